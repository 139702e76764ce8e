// Host calls and edits on a loaded, shown editor of N rows, with E of them expressions.
//
// SetAttributeValue/N/E: the host sets one attribute midway down the table by name and the
// row is redisplayed (which, as an edit of the row's value, also refreshes the expression
// rows). The first call after the load, which indexes the names, is reported apart as
// first_call_ms.
//
// TypedEdit/N/E: a user types a value into the value cell of that row through the grid's
// in-place editor and presses Enter: parse, validate, write back in the typed unit, redisplay,
// AttributeChange, refresh of the expression rows, and the repaint that follows.
//
// RefreshExpressionRows/N/E: that refresh alone, per call.
//
// The E expression rows are real rows spread evenly over the table, each an expression over
// the edited attribute, so that every refresh recomputes them.

#include "bench/BenchSupport.h"

#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/DataGrid.h"
#include "platform/RecordSet.h"
#include "tessel/Attribute.h"

#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace {

// makeObject() gives every fifth attribute, from the second on, a real value in millimetres.
int realRowNear(int index)
{
    return index - index % 5 + 1;
}

std::shared_ptr<tessel::Collection> makeEditedObject(int rows, int expressions,
                                                     const QString &edited)
{
    auto object = bench::makeObject(rows);
    const QString expression = QStringLiteral("[%1] * 2 + 1").arg(edited);
    for (int k = 0; k < expressions; ++k) {
        const int index = realRowNear(int(std::int64_t(k) * rows / expressions));
        const auto a = object->at(std::size_t(index));
        a->setExpression(true);
        a->setValue(expression);
    }
    return object;
}

struct Editor
{
    // The edited row is a real row midway, clear of the expression rows.
    explicit Editor(const benchmark::State &state)
        : rows(int(state.range(0))), editedRow(realRowNear(rows / 2) + 5),
          editedName(QStringLiteral("Attribute%1").arg(editedRow)),
          object(makeEditedObject(rows, int(state.range(1)), editedName))
    {
        control.setShowUnits(true);
        control.resize(600, 400);
        control.show();
        control.setDataSource(object);
        d = tabulon::ctlAttributesPrivate::get(&control);
        d->m_rs->setCurrentRow(editedRow);
        QCoreApplication::processEvents();
        QObject::connect(&control, &tabulon::ctlAttributes::AttributeChange,
                         [this] { ++changes; });
    }

    int rows;
    int editedRow;
    QString editedName;
    std::shared_ptr<tessel::Collection> object;
    tabulon::ctlAttributes control;
    tabulon::ctlAttributesPrivate *d = nullptr;
    int changes = 0;
};

void SetAttributeValue(benchmark::State &state)
{
    Editor editor(state);
    const tabulon::platform::Variant name = editor.editedName;
    const tabulon::platform::Variant values[] = {12.5, 250.0};
    // The first host call after a load builds the index of the names; timed apart.
    const auto start = std::chrono::steady_clock::now();
    editor.control.SetAttributeValue(name, values[1]);
    state.counters["first_call_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::size_t i = 0;
    for (auto _ : state)
        editor.control.SetAttributeValue(name, values[i++ % 2]);
    if (editor.d->m_rs->currentRow() != editor.editedRow)
        state.SkipWithError("SetAttributeValue did not stand on the attribute's row");
}

void TypedEdit(benchmark::State &state)
{
    Editor editor(state);
    tabulon::platform::DataGrid &grid = *editor.d->grdEdit;
    // Two texts in turn, so that every edit changes the value; the first names a unit.
    const QString typed[] = {QStringLiteral("12.5 ft"), QStringLiteral("250")};
    std::size_t i = 0;
    for (auto _ : state) {
        // Enter goes on to the next row and may open its editor; the user comes back.
        grid.setEditActive(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        grid.setFocus();
        grid.setCurrentColumn(1);
        editor.d->m_rs->setCurrentRow(editor.editedRow);
        grid.setEditActive(true);
        auto *lineEdit = grid.viewport()->findChild<QLineEdit *>();
        if (!lineEdit) {
            state.SkipWithError("no in-place editor");
            break;
        }
        lineEdit->selectAll();
        QTest::keyClicks(lineEdit, typed[i++ % 2]);
        QTest::keyClick(lineEdit, Qt::Key_Return);
        // The changed cells are repainted.
        QCoreApplication::processEvents();
    }
    if (editor.changes != int(state.iterations()))
        state.SkipWithError("the edit did not complete");
}

void RefreshExpressionRows(benchmark::State &state)
{
    Editor editor(state);
    for (auto _ : state)
        editor.d->RefreshExpressionRows();
}

void editSizes(benchmark::internal::Benchmark *b)
{
    b->ArgNames({"rows", "expressions"});
    for (const int rows : {1000, 100000, 1000000})
        for (const int expressions : {0, 100})
            b->Args({rows, expressions});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(SetAttributeValue)->Apply(editSizes);
BENCHMARK(TypedEdit)->Apply(editSizes);
BENCHMARK(RefreshExpressionRows)->Apply(editSizes);

} // namespace

// One typed edit's round trip, and the expression refresh that ends it.
//
// Edit/N writes the "Value" field of the current row as the grid's in-place editor does, so the
// field-change handler runs the whole road: parse, validate, write back in the typed unit,
// redisplay the row, AttributeChange, and the refresh of every expression row. Of the N rows,
// 100 are expressions over the edited attribute, so each refresh recomputes them.
//
// RefreshExpressionRows/N times that refresh alone and reports ns_per_row, its cost per row of
// the table (expression rows or not: the refresh walks them all).

#include "bench/BenchSupport.h"

#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/RecordSet.h"
#include "tessel/Attribute.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace {

constexpr int kExpressionRows = 100;

// makeObject() gives every fifth attribute, from the second on, a real value in millimetres.
int realRowNear(int index)
{
    return index - index % 5 + 1;
}

// The object of `rows` attributes with 100 of its real rows, spread evenly, turned into
// expressions over the attribute that the benchmark edits.
std::shared_ptr<tessel::Collection> makeEditedObject(int rows, const QString &edited)
{
    auto object = bench::makeObject(rows);
    const QString expression = QStringLiteral("[%1] * 2 + 1").arg(edited);
    for (int k = 0; k < kExpressionRows; ++k) {
        const int index = realRowNear(int(std::int64_t(k) * rows / kExpressionRows));
        const auto a = object->at(std::size_t(index));
        a->setExpression(true);
        a->setValue(expression);
    }
    return object;
}

struct Editor
{
    // The edited row is a real row midway, clear of the expression rows (every rows/100-th).
    explicit Editor(int rows)
        : editedRow(realRowNear(rows / 2) + 5),
          object(makeEditedObject(rows, QStringLiteral("Attribute%1").arg(editedRow)))
    {
        control.setShowUnits(true);
        control.resize(600, 400);
        control.show();
        control.setDataSource(object);
        d = tabulon::ctlAttributesPrivate::get(&control);
        d->m_rs->setCurrentRow(editedRow);
    }

    int editedRow;
    std::shared_ptr<tessel::Collection> object;
    tabulon::ctlAttributes control;
    tabulon::ctlAttributesPrivate *d = nullptr;
};

void Edit(benchmark::State &state)
{
    const int rows = int(state.range(0));
    Editor editor(rows);
    tabulon::platform::RecordSet &rs = *editor.d->m_rs;
    // Two texts in turn, so that every edit changes the value; the first names a unit.
    const tabulon::platform::Variant typed[] = {QStringLiteral("12.5 ft"), QStringLiteral("250")};
    int changes = 0;
    QObject::connect(&editor.control, &tabulon::ctlAttributes::AttributeChange,
                     [&changes] { ++changes; });
    std::size_t i = 0;
    for (auto _ : state) {
        rs.setValue(tabulon::fValue, typed[i++ % 2]);
    }
    if (changes != int(state.iterations()) || rs.currentRow() != editor.editedRow)
        state.SkipWithError("the edit did not complete");
}

void RefreshExpressionRows(benchmark::State &state)
{
    const int rows = int(state.range(0));
    Editor editor(rows);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (auto _ : state)
        editor.d->RefreshExpressionRows();
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    state.counters["ns_per_row"] = ns / double(state.iterations()) / rows;
}

BENCHMARK(Edit)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(RefreshExpressionRows)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

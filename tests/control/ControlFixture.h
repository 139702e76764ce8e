#pragma once

#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/DataGrid.h"
#include "platform/RecordSet.h"
#include "tests/support/FakeAttributes.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"
#include "tests/support/ScopedLocale.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tabulon::test {

// Messages of warning level or worse, as "category: text", while one is alive.
struct CapturedLog
{
    CapturedLog()
    {
        lines = {};
        s_previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context,
                                               const QString &text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                lines << QLatin1String(context.category) + QLatin1String(": ") + text;
        });
    }
    ~CapturedLog() { qInstallMessageHandler(s_previous); }
    static inline QStringList lines;
    static inline QtMessageHandler s_previous = nullptr;
};

// `rows` text attributes, A0 = "v0" onwards.
inline std::shared_ptr<FakeCollection> collectionOf(int rows)
{
    auto c = std::make_shared<FakeCollection>();
    for (int i = 0; i < rows; ++i)
        c->add(QStringLiteral("A%1").arg(i), adtText, QStringLiteral("v%1").arg(i));
    return c;
}

// Len and B real in mm, Count integer, Note text, Flag boolean, Colour enumerated, Total formula.
inline std::shared_ptr<FakeCollection> makeObject(double len = 100, double b = 1)
{
    auto object = std::make_shared<FakeCollection>();
    const std::tuple<const char *, const char *, std::int32_t, platform::Variant> rows[] = {
        {"Len", "Length", adtReal, len},  {"Count", "Pieces", adtInteger, 7},
        {"Note", "Remark", adtText, "n"}, {"Flag", "Tested", adtBoolean, true},
        {"Colour", "Colour", adtText, "r"}, {"B", "B", adtReal, b}, {"Total", "Total", adtReal, 7.0}};
    for (const auto &[name, displayName, type, value] : rows)
        object->add(name, type, value)->m_displayName = displayName;
    for (const auto &real : {object->attributes[0], object->attributes[5]}) {
        real->m_units = "mm";
        real->m_unitsCode = 0;
    }
    auto colour = object->attributes[4];
    colour->m_allowable = "enumeration";
    colour->m_enum = {{"r", "Red"}, {"g", "Green"}};
    object->attributes[6]->m_expression = true;
    return object;
}

// Writes `text` into the value cell of the row named `name`, as the grid's editor does.
inline void type(ctlAttributes &control, const QString &name, const platform::Variant &text)
{
    platform::RecordSet &rs = *ctlAttributesPrivate::get(&control)->m_rs;
    rs.setCurrentRow(rowOfName(rs, name));
    rs.setValue(fieldName(fValue), text);
}

// Types `text` into the value cell of grid row `row` and presses Enter.
inline void typeIntoGrid(platform::DataGrid &grid, int row, const QString &text)
{
    // The editor of an earlier edit may still await deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    grid.setFocus();
    grid.setCurrentColumn(1);
    grid.setCurrentRow(row);
    grid.setEditActive(true);
    auto *editor = grid.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

// The messages shown, as "title|text".
inline QStringList said(const RecordingMessageBox &box)
{
    QStringList out;
    for (const auto &m : box.messages)
        out << m.title + u'|' + m.text;
    return out;
}

// A control with a recording fake of every service, and a fake source for it to load.
struct ControlFixture : ::testing::Test
{
    RecordingServices services;
    ctlAttributes control{nullptr, services};
    ctlAttributesPrivate *d = ctlAttributesPrivate::get(&control);
    platform::DataGrid *grid = d->grdEdit;
    std::shared_ptr<FakeCollection> source = std::make_shared<FakeCollection>();

    void load() { control.setDataSource(source); }
    // One field of every row of the attribute table, as text.
    QStringList column(AttributeField field) const
    {
        QStringList out;
        for (int r = 0; r < d->m_rs->recordCount(); ++r)
            out << d->m_rs->valueAt(r, field).toText();
        return out;
    }
};

} // namespace tabulon::test

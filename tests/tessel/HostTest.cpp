// tessel as the control's host: what the cells show of its attributes.

#include "control/AttributeTable.h"
#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "tessel/JsonLoader.h"
#include "tests/support/RecordingServices.h"

#include "TesselTest.h"

namespace {

using namespace tabulon;

struct Host : ::testing::Test
{
    test::RecordingServices services;
    ctlAttributes control{nullptr, services};
    ctlAttributesPrivate *d = ctlAttributesPrivate::get(&control);

    QString cell(const QString &name) const
    {
        const int r = rowOfName(*d->m_rs, name);
        return r < 0 ? QStringLiteral("no row ") + name : d->m_rs->valueAt(r, fValue).toText();
    }
};

// After a display unit is requested, a value set by the host is taken in that unit: either it
// fits the limits and the cell shows it, or it is refused and the cell keeps what the attribute
// still holds.
TEST_F(Host, CellShowsWhatTheAttributeHoldsAfterADisplayUnitChange)
{
    control.setShowUnits(true);
    control.setDataSource(tessel::parseCollection(R"({"attributes": [{"name": "Len",
        "dataType": 3, "units": "mm", "value": 100, "minimum": 10, "maximum": 1000}]})",
                                                  "len.json"));
    EXPECT_EQ(cell("Len"), "100 mm");
    control.SetAttributeDisplayUnits("Len", "m");
    EXPECT_EQ(cell("Len"), "0.1 m");
    control.SetAttributeValue("Len", 0.5);
    EXPECT_EQ(cell("Len"), "0.5 m");
    control.SetAttributeValue("Len", 250.0); // 250000 mm
    EXPECT_EQ(cell("Len"), "0.5 m");
}

// The refresh of expression rows after an edit reads every expression; one that cannot be
// evaluated shows its error and neither stops the refresh nor keeps the current row.
TEST_F(Host, FailingExpressionDoesNotStopTheRefreshNorMoveTheRow)
{
    const auto object = tessel::parseCollection(R"json({"attributes": [
        {"name": "X", "dataType": 3, "value": 1},
        {"name": "Ratio", "dataType": 3, "expression": true, "value": "1 / ([X] - 2)"},
        {"name": "Scaled", "dataType": 3, "expression": true, "value": "[X] * 10"}
    ]})json",
                                                "refresh.json");
    control.setDataSource(object);
    d->m_rs->setCurrentRow(0);
    object->attribute("X")->setValue(2.0);
    d->RefreshExpressionRows();
    EXPECT_EQ(cell("Ratio"), "Cannot evaluate \"1 / ([X] - 2)\": division by zero: 1 / 0");
    EXPECT_EQ(cell("Scaled"), "20");
    EXPECT_EQ(d->m_rs->currentRow(), 0);
}

} // namespace

#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/DataGrid.h"
#include "platform/RecordSet.h"
#include "tests/support/FakeAttributes.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using test::FakeCollection;

namespace {

struct TableFixture : ::testing::Test
{
    test::RecordingServices services;
    ctlAttributes control{nullptr, &services};
    ctlAttributesPrivate *d = ctlAttributesPrivate::get(&control);
    std::shared_ptr<FakeCollection> source = std::make_shared<FakeCollection>();

    platform::RecordSet &load()
    {
        control.setDataSource(source);
        return *control.attributeTable();
    }
    QStringList column(const char *field)
    {
        QStringList out;
        platform::RecordSet &rs = *control.attributeTable();
        const int f = rs.fieldIndex(QString::fromLatin1(field));
        for (int r = 0; r < rs.recordCount(); ++r)
            out << rs.valueAt(r, f).toText();
        return out;
    }
};

} // namespace

TEST_F(TableFixture, SchemaHasTheTwelveFieldsInOrder)
{
    source->add("A", adtText);
    const platform::RecordSet &rs = load();
    const char *names[] = {"Name",         "DisplayName",     "DataType", "UnitsType",
                           "DisplayUnits", "Visible",         "Editable", "RawValue",
                           "Value",        "AllowableValues", "ValueSet", "Expression"};
    ASSERT_EQ(rs.fieldCount(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(rs.field(i).name, QString::fromLatin1(names[i]));
        EXPECT_TRUE(rs.field(i).nullable);
    }
    EXPECT_EQ(rs.field(0).type, platform::RecordSet::FieldType::VarWChar);
    EXPECT_EQ(rs.field(0).definedSize, 255);
    EXPECT_EQ(rs.field(5).type, platform::RecordSet::FieldType::Boolean);
    EXPECT_EQ(rs.field(8).type, platform::RecordSet::FieldType::Variant);
    EXPECT_EQ(rs.fieldIndex(u"Datatype"), 2);
}

TEST_F(TableFixture, RowsFollowTheChosenOrderAndSkipHiddenAttributes)
{
    for (const char *n : {"A", "B", "Hidden", "C", "A"})
        source->add(QString::fromLatin1(n), adtText);
    source->attributes[2]->m_visible = false;
    source->positions = {3, 1, 4, 2, 0};

    struct Case
    {
        int order;
        QStringList names;
    } cases[] = {
        {ctlAttributes::eGDODefault, {"A", "B", "C", "A"}},
        {ctlAttributes::eGDOInsertion, {"C", "B", "A", "A"}},
        {2, {"A", "B", "C", "A"}}, // any other value behaves as the default
    };
    for (const Case &c : cases) {
        control.setDisplayOrder(ctlAttributes::GridDisplayOrder(c.order));
        load();
        EXPECT_EQ(column("Name"), c.names) << "order " << c.order;
    }
}

TEST_F(TableFixture, FieldsTakeWhatTheAttributeGives)
{
    auto a = source->add("Len", adtReal, 12.5);
    a->m_displayName = "Length";
    a->m_units = "mm";
    a->m_unitsCode = 0;
    a->m_allowable = "positive";
    a->m_editable = false;
    a->m_valueSet = false;
    a->m_raw = Variant("12.5");
    platform::RecordSet &rs = load();
    rs.moveFirst();
    EXPECT_EQ(rs.value(u"DisplayName"), Variant("Length"));
    EXPECT_EQ(rs.value(u"DataType"), Variant("3"));
    EXPECT_EQ(rs.value(u"DataType").toInt(), 3);
    EXPECT_EQ(rs.value(u"UnitsType"), Variant("mm"));
    EXPECT_EQ(rs.value(u"DisplayUnits"), Variant("mm"));
    EXPECT_EQ(rs.value(u"Visible"), Variant(true));
    EXPECT_EQ(rs.value(u"Editable"), Variant(false));
    EXPECT_EQ(rs.value(u"RawValue"), Variant("12.5"));
    EXPECT_EQ(rs.value(u"Value"), Variant(12.5));
    EXPECT_EQ(rs.value(u"AllowableValues"), Variant("positive"));
    EXPECT_EQ(rs.value(u"ValueSet"), Variant(false));
    EXPECT_EQ(rs.value(u"Expression"), Variant(false));
}

TEST_F(TableFixture, ValuesAreShownByKind)
{
    auto boolTrue = source->add("BoolT", adtBoolean, Variant("True"));
    auto boolFalse = source->add("BoolF", adtBoolean, 0);
    auto colour = source->add("Colour", adtText, Variant("r"));
    colour->m_enum = {{"r", "Red"}, {"g", "Green"}};
    auto unnamed = source->add("Unnamed", adtText, Variant("x"));
    unnamed->m_enum = {{"r", "Red"}};
    auto broken = source->add("Broken", adtText);
    broken->throwOn = FakeAttribute::Op::EvaluatedValue;
    auto length = source->add("Len", adtReal, Variant("1234.56789"));
    length->m_units = "mm";
    length->m_unitsCode = 0;
    auto noUnit = source->add("Count", adtReal, 7.25);
    noUnit->m_units = "mm";
    auto integer = source->add("Int", adtInteger, 5);
    integer->m_units = "mm";
    integer->m_unitsCode = 0;

    load();
    const QStringList unitsOff = {"True",          "False",      "Red",  "x",
                                  "Broken failed", "1234.56789", "7.25", "5"};
    EXPECT_EQ(column("Value"), unitsOff);

    control.setShowUnits(true);
    load();
    QStringList unitsOn = unitsOff;
    unitsOn[5] = "1234.56789 mm"; // labelled, not rounded
    EXPECT_EQ(column("Value"), unitsOn);
}

TEST_F(TableFixture, NumbersWithUnitsUseTheUsersDecimalSeparator)
{
    auto length = source->add("Len", adtReal, 2.5);
    length->m_units = "m";
    length->m_unitsCode = 1;
    control.setShowUnits(true);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    load();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(column("Value"), QStringList{"2,5 m"});
}

TEST_F(TableFixture, AfterALoadTheCursorStandsBeforeTheFirstRowAndTheGridShowsTwoColumns)
{
    for (int i = 0; i < 30; ++i)
        source->add(QStringLiteral("A%1").arg(i), adtText, i);
    control.resize(300, 120);
    control.show();
    platform::RecordSet &rs = load();
    QAbstractItemModelTester tester(control.grid()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_TRUE(rs.isBOF());
    EXPECT_FALSE(d->m_bUpdating);
    platform::DataGrid *grid = control.grid();
    EXPECT_EQ(grid->dataSource(), &rs);
    EXPECT_EQ(grid->firstVisibleRow(), 0);
    EXPECT_EQ(d->m_colProperty, grid->columnByField(u"DisplayName"));
    EXPECT_EQ(d->m_colValue, grid->columnByField(u"Value"));
    EXPECT_TRUE(d->m_colProperty->isVisible());
    EXPECT_TRUE(d->m_colValue->isVisible());
    EXPECT_TRUE(d->m_colProperty->isLocked());
    EXPECT_FALSE(d->m_colValue->isLocked());
    EXPECT_TRUE(d->m_colValue->wordWrap());
}

TEST_F(TableFixture, AllHiddenGivesAnEmptyTable)
{
    source->add("A", adtText)->m_visible = false;
    platform::RecordSet &rs = load();
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_EQ(control.grid()->rowCount(), 0);
}

// A failure of the source stops the load and reaches the host; the rows read so far stay and
// the grid stays unbound.
TEST_F(TableFixture, AnAttributeThatThrowsStopsTheLoad)
{
    const FakeAttribute::Op ops[] = {
        FakeAttribute::Op::Visible,  FakeAttribute::Op::Name,
        FakeAttribute::Op::DataType, FakeAttribute::Op::Value,
        FakeAttribute::Op::RawValue, FakeAttribute::Op::AllowableValues};
    for (FakeAttribute::Op op : ops) {
        auto s = std::make_shared<FakeCollection>();
        s->add("A", adtText);
        s->add("B", adtBoolean, true)->throwOn = op;
        s->add("C", adtText);
        EXPECT_THROW(control.setDataSource(s), platform::Error) << int(op);
        EXPECT_FALSE(d->m_bUpdating);
        EXPECT_EQ(control.grid()->dataSource(), nullptr);
        EXPECT_GE(control.attributeTable()->recordCount(), 1);
        EXPECT_LE(control.attributeTable()->recordCount(), 2);
    }
}

TEST_F(TableFixture, TextsLongerThanAFieldHoldsFailTheLoadWithAClearMessage)
{
    source->add(QString(300, QLatin1Char('n')), adtText);
    try {
        load();
        FAIL() << "no error";
    } catch (const platform::Error &e) {
        EXPECT_EQ(e.number(), platform::Error::DataTooLarge);
        EXPECT_TRUE(e.description().contains(QStringLiteral("\"Name\""))) << e.what();
    }
}

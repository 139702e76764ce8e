#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/DataGrid.h"
#include "platform/PropertyBag.h"
#include "tests/support/FakeAttributes.h"
#include "tests/support/RecordingServices.h"

#include <QListWidget>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

using namespace tabulon;
using platform::Variant;
using test::FakeCollection;

namespace {

std::shared_ptr<FakeCollection> collectionOf(int rows)
{
    auto c = std::make_shared<FakeCollection>();
    for (int i = 0; i < rows; ++i)
        c->add(QStringLiteral("A%1").arg(i), adtText, QStringLiteral("v%1").arg(i));
    return c;
}

struct ControlFixture : ::testing::Test
{
    test::RecordingServices services;
    ctlAttributes control{nullptr, &services};
    ctlAttributesPrivate *d = ctlAttributesPrivate::get(&control);
    platform::DataGrid *grid = control.grid();
};

} // namespace

TEST_F(ControlFixture, NewInstanceHasDesignDefaults)
{
    control.InitProperties();
    EXPECT_EQ(control.PropertyCaption(), QString());
    EXPECT_EQ(control.ValueCaption(), QString());
    EXPECT_FALSE(control.ShowUnits());
    EXPECT_EQ(control.DisplayOrder(), ctlAttributes::eGDODefault);
    EXPECT_EQ(control.DataSource(), nullptr);
    EXPECT_EQ(control.attributeTable(), nullptr);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_GT(d->m_lScrollBarWidth, 0);
}

TEST_F(ControlFixture, WritePropertiesLeavesOutDefaultsAndAlwaysWritesTheRest)
{
    platform::MemoryPropertyBag bag;
    control.WriteProperties(bag);
    for (const char *key : {"PropertyCaption", "ValueCaption", "DisplayOrder"})
        EXPECT_FALSE(bag.contains(QString::fromLatin1(key))) << key;
    for (const char *key : {"RowHeight", "BackColor", "ForeColor", "RecordSelectors", "ShowUnits"})
        EXPECT_TRUE(bag.contains(QString::fromLatin1(key))) << key;
}

TEST_F(ControlFixture, PropertiesRoundTripThroughTheBagAndNotifyEachKey)
{
    control.setPropertyCaption(QStringLiteral("Property"));
    control.setValueCaption(QStringLiteral("Value"));
    control.setRowHeight(360);
    control.setBackColor(QColor(0x10, 0x20, 0x30));
    control.setForeColor(QColor(0xF0, 0xE0, 0xD0));
    control.setRecordSelectors(!control.RecordSelectors());
    control.setShowUnits(true);
    control.setDisplayOrder(ctlAttributes::eGDOInsertion);
    platform::MemoryPropertyBag bag;
    control.WriteProperties(bag);
    EXPECT_EQ(bag.size(), 8);

    test::RecordingServices otherServices;
    ctlAttributes restored(nullptr, &otherServices);
    QSignalSpy spy(&restored, &ctlAttributes::propertyChanged);
    restored.ReadProperties(bag);
    EXPECT_EQ(restored.PropertyCaption(), QStringLiteral("Property"));
    EXPECT_EQ(restored.ValueCaption(), QStringLiteral("Value"));
    EXPECT_NEAR(restored.RowHeight(), 360, restored.grid()->twipsPerPixelY());
    EXPECT_EQ(restored.BackColor(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(restored.ForeColor(), QColor(0xF0, 0xE0, 0xD0));
    EXPECT_EQ(restored.RecordSelectors(), control.RecordSelectors());
    EXPECT_TRUE(restored.ShowUnits());
    EXPECT_EQ(restored.DisplayOrder(), ctlAttributes::eGDOInsertion);
    QStringList keys;
    for (const auto &args : spy)
        keys << args.at(0).toString();
    EXPECT_EQ(keys, QStringList({"PropertyCaption", "ValueCaption", "RowHeight", "BackColor",
                                 "ForeColor", "RecordSelectors", "ShowUnits", "DisplayOrder"}));
}

TEST_F(ControlFixture, PropertiesWorkThroughTheQtPropertySystem)
{
    EXPECT_TRUE(control.setProperty("ValueCaption", QStringLiteral("Value")));
    EXPECT_TRUE(control.setProperty("ShowUnits", true));
    EXPECT_EQ(control.ValueCaption(), QStringLiteral("Value"));
    EXPECT_TRUE(control.property("ShowUnits").toBool());
    EXPECT_TRUE(control.setProperty("DisplayOrder", QStringLiteral("eGDOInsertion")));
    EXPECT_EQ(control.DisplayOrder(), ctlAttributes::eGDOInsertion);
}

TEST(ControlInitialize, FailureShowsTheMessageAndTheControlStillWorks)
{
    test::RecordingServices services;
    services.failFileSystem = QStringLiteral("No file system here");
    ctlAttributes control(nullptr, &services);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              QStringLiteral("Unexpected error initialising Tabulon\r\nNo file system here"));
    EXPECT_EQ(services.messages[0].title, QStringLiteral("CorvinAttributesEditor"));
    control.setPropertyCaption(QStringLiteral("P"));
    control.setDataSource(collectionOf(2));
    EXPECT_EQ(control.attributeTable()->recordCount(), 2);
}

TEST_F(ControlFixture, DisplayOrderBeforeAnySourceOnlyStores)
{
    control.setDisplayOrder(ctlAttributes::eGDOInsertion);
    EXPECT_EQ(control.attributeTable(), nullptr);
    auto c = collectionOf(3);
    c->positions = {2, 0, 1};
    control.setDataSource(c);
    control.attributeTable()->moveFirst();
    EXPECT_EQ(control.attributeTable()->value(u"Name").toText(), QStringLiteral("A2"));
}

TEST_F(ControlFixture, SettingTheSameDisplayOrderStillRebuilds)
{
    control.setDataSource(collectionOf(3));
    const platform::RecordSet *before = control.attributeTable();
    control.setDisplayOrder(control.DisplayOrder());
    EXPECT_NE(control.attributeTable(), before);
    EXPECT_EQ(control.attributeTable()->recordCount(), 3);
}

TEST_F(ControlFixture, EmptyCollectionHidesTheGridAndKeepsThePreviousSource)
{
    control.show();
    EXPECT_TRUE(grid->isVisible());
    auto first = collectionOf(2);
    control.setDataSource(first);
    const platform::RecordSet *table = control.attributeTable();
    control.setDataSource(collectionOf(0));
    EXPECT_FALSE(grid->isVisible());
    EXPECT_FALSE(d->lstEdit->isVisible());
    EXPECT_EQ(grid->dataSource(), nullptr);
    EXPECT_EQ(control.DataSource(), first);
    EXPECT_EQ(control.attributeTable(), table);

    // A later DisplayOrder assignment reloads the kept source and shows the grid again.
    control.setDisplayOrder(ctlAttributes::eGDODefault);
    EXPECT_TRUE(grid->isVisible());
    EXPECT_EQ(grid->rowCount(), 2);
}

TEST_F(ControlFixture, EmptyCollectionFirstLeavesNoSource)
{
    control.setDataSource(collectionOf(0));
    EXPECT_EQ(control.DataSource(), nullptr);
    EXPECT_EQ(control.attributeTable(), nullptr);
}

TEST_F(ControlFixture, NullSourceDetaches)
{
    control.setDataSource(collectionOf(2));
    control.setDataSource(nullptr);
    EXPECT_EQ(control.DataSource(), nullptr);
    EXPECT_EQ(control.attributeTable(), nullptr);
    EXPECT_EQ(grid->dataSource(), nullptr);
}

TEST_F(ControlFixture, ACountThatFailsReachesTheHost)
{
    auto c = collectionOf(2);
    c->failCount = true;
    EXPECT_THROW(control.setDataSource(c), platform::Error);
    EXPECT_EQ(control.DataSource(), nullptr);
}

TEST_F(ControlFixture, RecordSelectorsNarrowThePropertyColumnAndGiveTheRoomBack)
{
    control.resize(400, 300);
    control.setRecordSelectors(false);
    const double off = d->m_colProperty->width();
    control.setRecordSelectors(true);
    const double on = d->m_colProperty->width();
    const double expected = d->m_lScrollBarWidth * 1.25 * d->m_sngPropFraction;
    const double pixel = grid->twipsPerPixelX();
    EXPECT_NEAR(off - on, expected, pixel);
    control.setRecordSelectors(false);
    EXPECT_NEAR(d->m_colProperty->width(), off, pixel);
}

TEST_F(ControlFixture, RightMarginFollowsWhetherTheRowsFit)
{
    control.resize(400, 300);
    control.setDataSource(collectionOf(2));
    control.Resize();
    EXPECT_FLOAT_EQ(d->m_sngRightMargin, float(grid->twipsPerPixelX()));
    const double pixel = grid->twipsPerPixelX();
    EXPECT_NEAR(d->m_colProperty->width() + d->m_colValue->width(),
                grid->gridWidth() - d->m_colProperty->left() - d->m_sngRightMargin, pixel);

    control.setDataSource(collectionOf(200));
    control.Resize();
    EXPECT_FLOAT_EQ(d->m_sngRightMargin, float(d->m_lScrollBarWidth + 5));
}

TEST_F(ControlFixture, EqualCaptionsMakeFitTakeTheGivenColumnAsTheProperty)
{
    control.resize(400, 300);
    control.Resize();
    // Both captions are empty: the given value column counts as the property column, and the
    // value column is sized from its own width.
    d->m_colValue->setWidth(1500);
    d->FitValueColumn(d->m_colValue);
    EXPECT_NEAR(d->m_colValue->width(),
                grid->gridWidth() - d->m_colProperty->left() - 1500 - d->m_sngRightMargin,
                grid->twipsPerPixelX());
}

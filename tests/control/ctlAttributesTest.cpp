// The control without edits: properties, services, sources, the table a load builds, layout.

#include "tests/control/ControlFixture.h"

#include "platform/PropertyBag.h"

#include <QAbstractItemModelTester>

#include <limits>

using namespace tabulon;
using namespace tabulon::test;
using platform::Variant;

namespace {

// A file system whose creation throws what no std::exception is.
struct ForeignFailure : platform::FileSystemService
{
    std::unique_ptr<platform::FileSystem> createFileSystem() override { throw 42; }
};

using Control = test::ControlFixture;

} // namespace

TEST_F(Control, PropertiesHaveDesignDefaultsRoundTripThroughTheBagAndNotifyEachKey)
{
    platform::MemoryPropertyBag defaults;
    control.WriteProperties(defaults);
    EXPECT_EQ(defaults.size(), 5) << "no captions, no display order";

    // Set through the property system, stored, and restored by a new instance one by one.
    const std::pair<const char *, QVariant> values[] = {
        {"PropertyCaption", "Property"}, {"ValueCaption", "Value"}, {"RowHeight", 360.0f},
        {"BackColor", QColor(0x10, 0x20, 0x30)}, {"ForeColor", QColor(0xF0, 0xE0, 0xD0)},
        {"RecordSelectors", !control.RecordSelectors()}, {"ShowUnits", true},
        {"DisplayOrder", QVariant::fromValue(ctlAttributes::eGDOInsertion)}};
    for (const auto &[name, value] : values)
        control.setProperty(name, value);
    platform::MemoryPropertyBag bag;
    control.WriteProperties(bag);
    ctlAttributes restored(nullptr, services);
    QSignalSpy spy(&restored, &ctlAttributes::propertyChanged);
    restored.ReadProperties(bag);
    ASSERT_EQ(spy.size(), qsizetype(std::size(values)));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(restored.property(values[i].first), values[i].second) << values[i].first;
        EXPECT_EQ(spy[qsizetype(i)].at(0).toString(), QLatin1String(values[i].first));
    }
}

// What is no finite number in a property's range leaves its default and says so once.
TEST_F(Control, PersistedPropertiesAreValidated)
{
    const float defaultHeight = control.RowHeight();
    const std::tuple<const char *, Variant, bool> cases[] = { // key, stored value, accepted
        {"RowHeight", 450.0, true},   {"RowHeight", 1e10, false},    {"RowHeight", 1e300, false},
        {"RowHeight", std::numeric_limits<double>::quiet_NaN(), false},
        {"RowHeight", 1.0, false},    {"RowHeight", "tall", false},  {"BackColor", 0x123456, true},
        {"BackColor", -1, false},     {"ForeColor", 0x1000000, false},
        {"ShowUnits", "maybe", false}, {"DisplayOrder", 7, false},   {"DisplayOrder", 1, true},
    };
    for (const auto &[key, stored, accepted] : cases) {
        SCOPED_TRACE(std::string(key) + " " + stored.toText().toStdString());
        ctlAttributes fresh(nullptr, services);
        platform::MemoryPropertyBag bag;
        bag.insert(key, stored);
        const test::CapturedLog log;
        fresh.ReadProperties(bag);
        EXPECT_EQ(log.lines.size(), accepted ? 0 : 1) << log.lines.join('\n').toStdString();
        if (key == std::string_view("RowHeight")) {
            EXPECT_FLOAT_EQ(fresh.RowHeight(), accepted ? float(stored.toDouble()) : defaultHeight);
        }
    }
}

TEST_F(Control, AssigningASource)
{
    control.show();
    control.setDataSource(collectionOf(0)); // an empty first source leaves none
    EXPECT_EQ(control.DataSource(), nullptr);

    auto first = collectionOf(2);
    control.setDataSource(first);
    const platform::RecordSet *table = d->m_rs.get();
    // An empty collection hides the grid and keeps the previous source and table.
    control.setDataSource(collectionOf(0));
    EXPECT_TRUE(!grid->isVisible() && !grid->dataSource());
    EXPECT_TRUE(control.DataSource() == first && d->m_rs.get() == table);
    // DisplayOrder reloads the kept source, even when the order is unchanged.
    first->add("Added", adtText);
    control.setDisplayOrder(control.DisplayOrder());
    EXPECT_TRUE(grid->isVisible());
    EXPECT_EQ(grid->rowCount(), 3);

    auto failing = collectionOf(1);
    failing->failCount = true;
    EXPECT_THROW(control.setDataSource(failing), platform::Error);
    EXPECT_EQ(control.DataSource(), first);

    control.setDataSource(nullptr);
    EXPECT_TRUE(!control.DataSource() && !d->m_rs && !grid->dataSource());
}

// One row per visible attribute in the display order; the grid bound, before the first row.
TEST_F(Control, ALoadFillsTheTableInDisplayOrderAndBindsTheGrid)
{
    for (const char *n : {"A", "B", "Hidden", "C"})
        source->add(QString::fromLatin1(n), adtText);
    source->attributes[2]->m_visible = false;
    auto a = source->add("Len", adtReal, 12.5);
    a->m_displayName = "Length";
    a->m_units = "mm";
    a->m_unitsCode = 0;
    a->m_allowable = "positive";
    a->m_editable = a->m_valueSet = false;
    a->m_raw = Variant("12.5");
    source->positions = {3, 1, 4, 2, 0};
    control.setDisplayOrder(ctlAttributes::eGDOInsertion); // before any source: only stored
    load();
    EXPECT_EQ(column(fName), QStringList({"C", "B", "Len", "A"}));
    control.setDisplayOrder(ctlAttributes::GridDisplayOrder(2)); // behaves as the default
    EXPECT_EQ(column(fName), QStringList({"A", "B", "C", "Len"}));

    platform::RecordSet &rs = *d->m_rs;
    QAbstractItemModelTester tester(grid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_TRUE(rs.isBOF());
    // The grid shows the property and value columns only, the property column locked.
    EXPECT_EQ(d->m_colProperty, grid->columnByField(fieldName(fDisplayName)));
    EXPECT_EQ(d->m_colValue, grid->columnByField(fieldName(fValue)));
    for (int i = 0; i < grid->columnCount(); ++i)
        EXPECT_EQ(grid->column(i)->isVisible(),
                  grid->column(i) == d->m_colProperty || grid->column(i) == d->m_colValue);
    EXPECT_TRUE(d->m_colProperty->isLocked());

    // Only the data-type code turns into text.
    rs.moveLast();
    const Variant expected[] = {"Len", "Length", "3",  "mm",       "mm",  true,
                                false, "12.5",   12.5, "positive", false, false};
    ASSERT_EQ(rs.fieldCount(), kFieldCount);
    for (int i = 0; i < kFieldCount; ++i)
        EXPECT_EQ(rs.value(i), expected[i]) << rs.field(i).name.toStdString();
}

TEST_F(Control, ValuesAreShownByKind)
{
    source->add("BoolT", adtBoolean, Variant("True"));
    source->add("BoolF", adtBoolean, 0);
    source->add("Colour", adtText, Variant("r"))->m_enum = {{"r", "Red"}, {"g", "Green"}};
    source->add("Unnamed", adtText, Variant("x"))->m_enum = {{"r", "Red"}};
    source->add("Broken", adtText)->throwOn = FakeAttribute::Op::EvaluatedValue;
    auto foreign = source->add("Foreign", adtText);
    foreign->throwOn = FakeAttribute::Op::EvaluatedValue;
    foreign->throwForeign = true;
    auto length = source->add("Len", adtReal, Variant("1234.56789"));
    auto noUnit = source->add("Count", adtReal, 7.25);
    auto integer = source->add("Int", adtInteger, 5);
    length->m_units = noUnit->m_units = integer->m_units = "mm";
    length->m_unitsCode = integer->m_unitsCode = 0;

    QStringList shown = {"True", "False", "Red", "x", "Broken failed",
                         "Application-defined or object-defined error", "1234.56789", "7.25", "5"};
    for (const bool units : {false, true}) {
        control.setShowUnits(units);
        load();
        shown[6] = units ? "1234.56789 mm" : "1234.56789"; // labelled, not rounded
        EXPECT_EQ(column(fValue), shown);
    }
}

// A failure stops the load and reaches the host; the rows read so far stay, the grid unbound.
TEST_F(Control, AnAttributeThatThrowsStopsTheLoad)
{
    auto s = std::make_shared<FakeCollection>();
    const auto a = s->add("A", adtText);
    s->add("B", adtBoolean, true)->throwOn = FakeAttribute::Op::Value;
    s->add("C", adtText);
    control.setDataSource(collectionOf(300)); // the failing load reuses these rows
    EXPECT_THROW(control.setDataSource(s), platform::Error);
    EXPECT_EQ(grid->dataSource(), nullptr);
    d->m_rs->checkConsistency();
    EXPECT_EQ(column(fName), QStringList({"A", "B"}));
    EXPECT_EQ(column(fRawValue), QStringList({"", "True"}));
    EXPECT_EQ(column(fValue), QStringList({"", ""}));
    // The rows that stand are edited as any others.
    test::type(control, "A", "typed");
    EXPECT_EQ(a->m_value, Variant("typed"));

    source->add("Short", adtText);
    source->add("Long", adtText)->m_displayName = QString(256, QLatin1Char('n'));
    EXPECT_EQ(test::errorOf([&] { load(); }),
              "3721: Field \"DisplayName\" holds at most 255 characters; the value has 256.");
    d->m_rs->checkConsistency();
    EXPECT_EQ(column(fName), QStringList({"Short", "Long"}));
    EXPECT_EQ(column(fDisplayName), QStringList({"Short", ""}));
}

TEST_F(Control, Layout)
{
    control.resize(400, 300);
    const double pixel = grid->twipsPerPixelX();
    // Record selectors take 1.25 scroll-bar widths from the property column's share.
    control.setRecordSelectors(false);
    const double off = d->m_colProperty->width();
    control.setRecordSelectors(true);
    EXPECT_NEAR(off - d->m_colProperty->width(), d->m_lScrollBarWidth * 1.25 * 0.5, pixel);

    // The right margin is one pixel while the rows fit, room for the scroll bar when not.
    control.setDataSource(collectionOf(2));
    control.Resize();
    EXPECT_FLOAT_EQ(d->m_sngRightMargin, float(pixel));
    EXPECT_NEAR(d->m_colProperty->width() + d->m_colValue->width(),
                grid->gridWidth() - d->m_colProperty->left() - pixel, pixel);
    control.setDataSource(collectionOf(200));
    control.Resize();
    EXPECT_FLOAT_EQ(d->m_sngRightMargin, float(d->m_lScrollBarWidth + 5));

    // Equal (empty) captions: the value column is sized from its own width.
    d->m_colValue->setWidth(1500);
    d->FitValueColumn(d->m_colValue);
    EXPECT_NEAR(d->m_colValue->width(),
                grid->gridWidth() - d->m_colProperty->left() - 1500 - d->m_sngRightMargin, pixel);

    // A column resize sets the property column's share, unless the grid (shown, so that it
    // follows the control's size) is narrower than its margin.
    control.show();
    bool cancel = false;
    d->m_colProperty->setWidth(1500);
    Q_EMIT grid->columnResizedByUser(0, cancel);
    EXPECT_FLOAT_EQ(d->m_sngPropFraction, float(1500 / (grid->gridWidth() - d->m_sngRightMargin)));
    control.resize(0, 150);
    const float fraction = d->m_sngPropFraction;
    Q_EMIT grid->columnResizedByUser(0, cancel);
    EXPECT_EQ(d->m_sngPropFraction, fraction);
}

// A failed creation is told in the box in use; a refused value later goes to the control's own
// box, else to the default box of that time.
TEST(ControlServices, EachFacilityIsReplacedOnItsOwn)
{
    RecordingMessageBox processBox, ownBox, laterBox;
    test::RecordingFileSystem processFs, ownFs;
    ForeignFailure foreignFs;
    processFs.failure = QStringLiteral("No default file system");
    const ScopedDefault<platform::MessageBoxService> box(processBox);
    const ScopedDefault<platform::FileSystemService> fs(processFs);
    const QString title = QStringLiteral("CorvinAttributesEditor|");
    const QString failed = title + "Unexpected error initialising Tabulon\r\n";
    const QString noDefault = failed + "No default file system",
                  refused = title + "Invalid value ( 7 )\r\nCount has not been changed";
    // Services; what the default box at construction and the own box were told, own files used.
    const std::tuple<const char *, platform::Services, QStringList, QStringList, bool> cases[] = {
        {"defaults", {}, {noDefault}, {}, false},
        {"own message box, default file system", {.messageBox = &ownBox}, {}, {noDefault, refused},
         false},
        {"own file system, default message box", {.fileSystem = &ownFs}, {}, {}, true},
        {"both own", {.messageBox = &ownBox, .fileSystem = &ownFs}, {}, {refused}, true},
        {"foreign failure", {.fileSystem = &foreignFs},
         {failed + "Application-defined or object-defined error"}, {}, false},
    };
    for (const auto &[name, services, processBoxTold, ownBoxTold, ownFsUsed] : cases) {
        SCOPED_TRACE(name);
        processBox.messages.clear();
        ownBox.messages.clear();
        laterBox.messages.clear();
        ownFs.created = 0;
        ctlAttributes control(nullptr, services);
        EXPECT_EQ(ownFs.created, ownFsUsed ? 1 : 0);
        const ScopedDefault<platform::MessageBoxService> later(laterBox);
        auto refusing = collectionOf(0); // a value it refuses is typed: a message follows
        refusing->add("Count", adtInteger)->m_valid = false;
        control.setDataSource(refusing);
        test::type(control, "Count", "7");
        EXPECT_EQ(std::tuple(said(processBox), said(ownBox), said(laterBox)),
                  std::tuple(processBoxTold, ownBoxTold,
                             services.messageBox ? QStringList() : QStringList{refused}));
    }
}

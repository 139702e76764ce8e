// Edits of the value cell and its editors: what reaches the attribute, messages, event, redisplay.

#include "tests/control/ControlFixture.h"

#include "control/AttributeTable.h"
#include "control/editors/EditorRow.h"
#include "control/editors/FileEditor.h"
#include "control/editors/ListEditor.h"
#include "platform/FileSystemService.h"
#include "platform/ListBox.h"
#include "tessel/Collection.h"

#include <QListWidget>

using namespace tabulon;
using namespace tabulon::test;
using platform::Variant;

namespace {

const QString kTitle = QStringLiteral("CorvinAttributesEditor");
const QString kRejected = QStringLiteral("Invalid value ( %1 )\r\n%2 has not been changed");

// The rows of test::makeObject() edited here.
enum class Row { Length, Count, Note, Flag, Colour };

struct WriteBack : test::ControlFixture
{
    WriteBack()
    {
        control.setShowUnits(true);
        control.resize(400, 300);
        control.show();
        QObject::connect(&control, &ctlAttributes::AttributeChange,
                         [this](const Variant &name) { changed << name.toText(); });
    }
    // Loads a source holding just the attribute of `row` and forgets earlier messages and events.
    std::shared_ptr<FakeAttribute> loadOnly(Row row)
    {
        source = std::make_shared<FakeCollection>();
        auto a = source->add(test::makeObject()->attributes[int(row)]);
        control.setDataSource(source);
        services.messageBox.messages.clear();
        changed.clear();
        return a;
    }
    void type(const Variant &text) { test::type(control, d->m_rs->valueAt(0, fName).toText(), text); }
    QStringList changed; // the names AttributeChange carried
};

// A file dialog that acts while it is open, as the user or the host may.
struct ActingFileDialog : test::RecordingFileDialog
{
    std::optional<QString> openFile(QWidget *parent, const OpenRequest &request) override
    {
        whileOpen();
        return RecordingFileDialog::openFile(parent, request);
    }
    std::function<void()> whileOpen;
};

} // namespace

// Each entry is typed into the real grid and also written to the field as the grid's editor does.
TEST_F(WriteBack, TypedValues)
{
    const QLocale en = test::enUS, de = test::deDE;
    const QString longText = QStringLiteral("0123456789").repeated(30) + QStringLiteral("end");
    // Locale, row, text typed, the attribute's answer to validate; the value stored, the unit it was
    // written in (-1: none), the message, whether AttributeChange came, the value shown.
    const std::tuple<const char *, QLocale, Row, QString, bool, Variant, int, QString, bool, QString>
        cases[] = {
        // "." is the only decimal separator: the number ends at the comma, ",5 ft" names no unit.
        {"decimal comma, en_US", en, Row::Length, "12,5", true, 12.0, 0, "", true, "12 mm"},
        {"decimal comma and unit", de, Row::Length, "12,5 ft", true, 12.0, 0, "", true, "12 mm"},
        {"decimal point, de_DE", de, Row::Length, "12.5 ft", true, 12.5, 3, "", true, "12,5 mm"},
        {"decimal comma, integer", de, Row::Count, "12,5", true, 12, -1, "", true, "12"},
        // Spelled-out NaN and infinities are no number: they read as 0.
        {"NaN", en, Row::Length, "NaN", true, 0.0, 0, "", true, "0.00E+00 mm"},
        {"inf", en, Row::Length, "inf", true, 0.0, 0, "", true, "0.00E+00 mm"},
        // Digits past a double's range read as infinity, which is refused like a bad value.
        {"1e999", en, Row::Length, "1e999", true, 100.0, -1, kRejected.arg("1e999", "Length"), true,
         "100 mm"},
        // An integer past 32 bits overflows: the notification ends, nothing is said or stored.
        {"2^31", en, Row::Count, "2147483648", true, 7, -1, "", false, "2147483648"},
        {"2^31 - 1", en, Row::Count, "2147483647", true, 2147483647, -1, "", true, "2147483647"},
        // The value cell has no length limit of its own; the attribute decides.
        {"303 characters", en, Row::Note, longText, true, longText, -1, "", true, longText},
        {"303 characters refused", en, Row::Note, longText, false, "n", -1,
         kRejected.arg(longText, "Remark"), true, "n"},
        // A boolean that does not convert is stored as false by the nested notification.
        {"boolean", en, Row::Flag, "True", true, "True", -1, "", true, "True"},
        {"not a boolean", en, Row::Flag, "maybe", true, false, -1,
         "Invalid boolean value ( maybe )\r\nTested FALSE assumed", true, "False"},
        // An enumeration stores the stored value of the chosen text, else the first one.
        {"enumeration", en, Row::Colour, "Green", true, "g", -1, "", true, "Green"},
        {"not in the enumeration", en, Row::Colour, "Blue", true, "r", -1, "", true, "Blue"},
    };

    for (bool viaGrid : {false, true}) {
        for (const auto &[name, locale, row, typed, valid, stored, unit, message, reported, shown] :
             cases) {
            // The value cell of a list row is locked: only its list writes the field.
            if (viaGrid && (row == Row::Flag || row == Row::Colour)) continue;
            SCOPED_TRACE(std::string(name) + (viaGrid ? ", typed into the grid" : ", field set"));
            const test::ScopedLocale scoped(locale);
            FakeAttribute &a = *loadOnly(row);
            a.m_valid = valid;
            if (viaGrid)
                test::typeIntoGrid(*grid, 0, typed);
            else
                type(typed);

            EXPECT_EQ(a.m_value, stored);
            EXPECT_EQ(a.unitWrites.empty() ? -1 : a.unitWrites[0].first, unit);
            EXPECT_EQ(test::said(services.messageBox),
                      message.isEmpty() ? QStringList() : QStringList{kTitle + u'|' + message});
            EXPECT_EQ(changed, reported ? QStringList{a.m_name} : QStringList());
            EXPECT_EQ(column(fValue), QStringList{shown});
            // Validation gets the candidate as the row's data type takes it.
            const Variant::Type candidate[] = {Variant::Type::Double, Variant::Type::Int,
                                               Variant::Type::String};
            for (const Variant &v : a.validated)
                EXPECT_TRUE(row > Row::Note || v.type() == candidate[int(row)]);
        }
    }
}

// Only expression rows are redisplayed after an edit, and the row the edit left stays current.
TEST_F(WriteBack, TypingIntoTheGridWritesBackAndRefreshesTheExpressionRows)
{
    auto first = source->add("E1", adtReal, 1.0);
    auto a = source->add(test::makeObject()->attributes[0]);
    auto plain = source->add("Plain", adtReal, 1.0);
    auto last = source->add("E2", adtText, Variant("a"));
    first->m_expression = last->m_expression = true;
    a->m_answerCode = 0; // the double answers unconverted
    load();
    plain->m_value = 2.0;
    first->m_value = 42.0;
    last->m_value = "b";

    const test::CapturedLog log;
    test::typeIntoGrid(*grid, 1, QStringLiteral("3 ft"));

    EXPECT_EQ(a->unitWrites, (std::vector<std::pair<UnitCode, double>>{{3, 3.0}}));
    EXPECT_EQ(changed, QStringList{"Len"});
    EXPECT_EQ(grid->currentRow(), 2) << "Enter moved on to the next row";
    EXPECT_EQ(column(fValue), QStringList({"42", "3 mm", "1", "b"}));
    EXPECT_EQ(log.lines, QStringList());
}

// Whichever attribute operation throws, the edit ends cleanly and the next one works.
TEST_F(WriteBack, AnyFailingAttributeOperationEndsTheEditCleanly)
{
    // The row, what is typed, and what a write may hand the attribute.
    const std::tuple<Row, const char *, Variant> kinds[] = {
        {Row::Length, "3 ft", 3.0},    {Row::Count, "5", 5},        {Row::Note, "abc", "abc"},
        {Row::Flag, "False", "False"}, {Row::Colour, "Green", "g"},
    };
    using Op = FakeAttribute::Op;
    for (const auto &[row, typed, received] : kinds) {
        for (int op = int(Op::Name); op <= int(Op::DisplayText); ++op) {
            auto a = loadOnly(row);
            SCOPED_TRACE(a->m_name.toStdString() + " op " + std::to_string(op));
            a->throwOn = Op(op);
            type(typed);

            EXPECT_FALSE(d->m_bUpdating);
            EXPECT_NO_THROW(d->m_rs->checkConsistency());
            const bool refused = Op(op) == Op::Validate && row <= Row::Note;
            EXPECT_EQ(test::said(services.messageBox),
                      refused ? QStringList{kTitle + u'|' + kRejected.arg(typed, a->m_displayName)}
                              : QStringList());
            for (const Variant &w : a->writes)
                EXPECT_EQ(w, received);
            for (const auto &[units, v] : a->unitWrites)
                EXPECT_EQ(Variant(v), received);
            const bool happened = !a->writes.empty() || !a->unitWrites.empty() || refused;
            EXPECT_EQ(changed.size(), happened ? 1 : 0);

            a->throwOn = Op::None;
            type(typed);
            EXPECT_EQ(changed.size(), happened ? 2 : 1);
        }
    }
    // A row whose attribute the source no longer has.
    loadOnly(Row::Count);
    source->attributes.clear();
    type("5");
    EXPECT_EQ(changed.size() + services.messageBox.messages.size(), 0);
}

// SetAttributeValue goes the edit road; a decimal comma in the cell must not read back as 12.
TEST_F(WriteBack, HostCalls)
{
    auto a = loadOnly(Row::Length);
    EXPECT_TRUE(control.SetAttributeDisplayUnits("Len", "m").isEmpty());
    EXPECT_EQ(column(fValue), QStringList{"100 m"});
    EXPECT_TRUE(control.SetAttributeDisplayUnits("Nope", "m").isEmpty());
    EXPECT_TRUE(control.SetAttributeValue("Nope", 3.0).isEmpty());
    EXPECT_TRUE(control.SetAttributeValue("Len", 250.0).isEmpty());
    // Its write of the raw value is handled as an edit too: the text goes to the attribute.
    EXPECT_EQ(a->writes, (std::vector<Variant>{250.0, "250"}));

    control.setShowUnits(false);
    loadOnly(Row::Length);
    control.SetAttributeDisplayUnits("Len", "m");
    EXPECT_EQ(column(fValue), QStringList{"100"}) << "no unit shown without ShowUnits";
    const test::ScopedLocale german(test::deDE);
    auto object = std::make_shared<tessel::Collection>();
    object->add(QStringLiteral("Len"), adtReal)->setUnitsText(QStringLiteral("mm"));
    control.setDataSource(object);
    control.SetAttributeValue("Len", 12.5);
    EXPECT_EQ(object->attribute(QStringLiteral("Len"))->value(), Variant(12.5));
    EXPECT_TRUE(services.messageBox.messages.empty());
}

// The drop-down list on the real grid: Down moves, Enter or a click chooses, through the table.
TEST_F(WriteBack, ListEditorChoosesByKeysAndByClick)
{
    auto colour = loadOnly(Row::Colour);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&control));
    grid->setFocus();
    grid->setCurrentColumn(d->m_colValue->index());
    grid->setCurrentRow(0);
    auto *list = d->lstEdit->findChild<QListWidget *>();
    const auto open = [&] {
        d->m_colValue->setButton(true);
        d->m_listEditor->open(EditorRow(d->m_rs), *colour, *d->m_colValue);
        ASSERT_TRUE(d->lstEdit->isVisible() && d->lstEdit->hasFocus());
        EXPECT_FALSE(d->m_colValue->hasButton());
    };

    open();
    EXPECT_EQ(d->lstEdit->currentIndex(), 0);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_TRUE(d->lstEdit->isVisible());
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(!d->lstEdit->isVisible() && grid->hasFocus());
    EXPECT_EQ(colour->m_value, Variant("g"));
    EXPECT_EQ(column(fValue), QStringList{"Green"});

    open();
    EXPECT_EQ(d->lstEdit->currentIndex(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    EXPECT_FALSE(d->lstEdit->isVisible() || d->m_colValue->hasButton());
    EXPECT_EQ(colour->m_value, Variant("r"));
}

// The row is remembered when the editor opens: the cursor may move or the table go meanwhile.
TEST(Editors, FileEditorStartsAtTheRowsPathAndWritesOnlyAChosenFileToItsRow)
{
    const auto files = platform::FileSystemService::instance().createFileSystem();
    const QString chosen = QStringLiteral("/data/b.dxf"), old = QStringLiteral("/data/plans/a.dxf");
    // The dialog's answer and failure, whether the host replaces the table; the first row's value.
    const std::tuple<const char *, std::optional<QString>, QString, bool, QString> cases[] = {
        {"chosen", chosen, {}, false, chosen},
        {"cancelled", std::nullopt, {}, false, old},
        {"dialog fails", chosen, QStringLiteral("no dialog"), false, old},
        {"host loads another object meanwhile", chosen, {}, true, ""},
    };
    const auto twoRows = [] {
        std::unique_ptr<platform::RecordSet> table = createAttributeTable();
        table->addNew();
        table->addNew();
        return table;
    };
    for (const auto &[name, answer, failure, replaceTable, value] : cases) {
        SCOPED_TRACE(name);
        std::unique_ptr<platform::RecordSet> table = twoRows(), kept;
        table->setValueAt(0, fValue, old);
        ActingFileDialog dialogs;
        dialogs.answers = {answer};
        dialogs.failure = failure;
        dialogs.whileOpen = [&, replace = replaceTable] {
            table->moveLast();
            if (replace) kept = std::exchange(table, twoRows()); // kept: no address reuse
        };
        EditorRow row(table);
        FileEditor(dialogs, *files, nullptr).edit(row);

        EXPECT_EQ(table->valueAt(0, fValue).toText() + u'|' + table->valueAt(1, fValue).toText(),
                  value + u'|');
        ASSERT_EQ(dialogs.requests.size(), 1u);
        const auto &r = dialogs.requests[0];
        EXPECT_EQ(r.title + u'|' + r.fileName + u'|' + r.folder,
                  QStringLiteral("Specify file|/data/plans/a.dxf|/data/plans"));
    }
}

TEST(ListItems, BooleansOfferTrueAndFalseEnumerationsTheirTextsWithTheValueMatched)
{
    using Entries = std::vector<std::pair<QString, QString>>;
    // Data type, the attribute's value, the row's value, the entries; the items and the selected.
    const std::tuple<const char *, int, Variant, Variant, Entries, QStringList, int> cases[] = {
        {"false boolean", adtBoolean, false, "False", {}, {"True", "False"}, 1},
        {"true boolean", adtBoolean, "True", "x", {}, {"True", "False"}, 0},
        {"trimmed, any case", adtText, "r", " red ", {{"r", "Red"}, {"g", "Green"}},
         {"Red", "Green"}, 0},
        {"no match goes first", adtText, "c", "C", {{"a", "A"}, {"b", "B"}}, {"C", "A", "B"}, 0},
        {"empty value", adtText, "", Variant(), {{"a", "A"}}, {"", "A"}, 0},
        {"the last match wins", adtText, "a", "a", {{"1", "A"}, {"2", "a"}}, {"A", "a"}, 1},
    };
    for (const auto &[name, type, value, rowValue, entries, items, selected] : cases) {
        test::FakeAttribute attribute("X", type, value);
        attribute.m_enum = entries;
        const ListItems list = listItemsFor(attribute, rowValue);
        EXPECT_EQ(std::pair(list.items, list.selected), std::pair(items, selected)) << name;
    }
}

// The rows the refresh visits: those whose "Expression" holds true, however set, of one table.
TEST(ExpressionRowList, FollowsEveryWayTheFlagChanges)
{
    auto table = createAttributeTable(), other = createAttributeTable();
    ExpressionRows list; // goes before the tables it follows
    const auto addRows = [](platform::RecordSet &rs, std::initializer_list<bool> flags) {
        for (const bool expression : flags) {
            AttributeRow row;
            row[fExpression] = expression, rs.addNew(row);
        }
    };
    addRows(*table, {true, false});
    list.follow(table.get());
    EXPECT_EQ(list.rows(), std::vector<int>{0}) << "rows there before";
    addRows(*table, {true, false});
    table->addNew();
    table->setValue(fExpression, true);
    EXPECT_EQ(list.rows(), (std::vector<int>{0, 2, 4})) << "rows added whole and field by field";

    table->clone()->setValueAt(1, fExpression, true);
    table->setValueAt(2, fExpression, false);
    table->setValueAt(0, fExpression, Variant::null());
    EXPECT_EQ(list.rows(), (std::vector<int>{1, 4})) << "flags changed, also through a clone";

    addRows(*other, {false});
    list.follow(other.get());
    table->setValueAt(3, fExpression, true);
    EXPECT_TRUE(list.rows().empty()) << "another table followed";
}

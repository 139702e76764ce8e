// The cell editors, each on a table row of its own, with recording fakes for the dialogs.

#include "control/AttributeTable.h"
#include "control/editors/EditorRow.h"
#include "control/editors/FileEditor.h"
#include "control/editors/ListEditor.h"
#include "platform/FileSystemService.h"
#include "platform/ListBox.h"
#include "tests/control/ControlFixture.h"

#include <QListWidget>
#include <QTest>

using namespace tabulon;
using platform::Variant;
using test::ControlFixture;

namespace {

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

// The row is remembered when the editor opens: while the dialog is open, the cursor may move or
// the host may load another object.
TEST(Editors, FileEditorStartsAtTheRowsPathAndWritesOnlyAChosenFileToItsRow)
{
    const auto files = platform::FileSystemService::instance().createFileSystem();
    const struct
    {
        const char *name;
        std::optional<QString> answer;
        QString failure;
        bool replaceTable;
        QString value; // the first row's value afterwards, in the table then shown
    } cases[] = {
        {"chosen", QStringLiteral("/data/b.dxf"), {}, false, "/data/b.dxf"},
        {"cancelled", std::nullopt, {}, false, "/data/plans/a.dxf"},
        {"dialog fails", QStringLiteral("/data/b.dxf"), QStringLiteral("no dialog"), false,
         "/data/plans/a.dxf"},
        {"host loads another object meanwhile", QStringLiteral("/data/b.dxf"), {}, true, ""},
    };
    const auto twoRows = [] {
        std::unique_ptr<platform::RecordSet> table = createAttributeTable();
        table->addNew();
        table->addNew();
        return table;
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<platform::RecordSet> table = twoRows(), kept;
        table->setValueAt(0, fValue, QStringLiteral("/data/plans/a.dxf"));
        ActingFileDialog dialogs;
        dialogs.answers = {c.answer};
        dialogs.failure = c.failure;
        dialogs.whileOpen = [&] {
            table->moveLast();
            if (c.replaceTable) kept = std::exchange(table, twoRows()); // kept: no address reuse
        };
        EditorRow row(table);
        FileEditor(dialogs, *files, nullptr).edit(row);

        EXPECT_EQ(table->valueAt(0, fValue).toText() + u'|' + table->valueAt(1, fValue).toText(),
                  c.value + u'|');
        ASSERT_EQ(dialogs.requests.size(), 1u);
        const auto &r = dialogs.requests[0];
        EXPECT_EQ(r.title + u'|' + r.fileName + u'|' + r.folder,
                  QStringLiteral("Specify file|/data/plans/a.dxf|/data/plans"));
    }
}

TEST(ListItems, BooleansOfferTrueAndFalseEnumerationsTheirTextsWithTheValueMatched)
{
    using Entries = std::vector<std::pair<QString, QString>>;
    const struct
    {
        const char *name;
        std::int32_t type;
        Variant value, rowValue;
        Entries entries;
        QStringList items;
        int selected;
    } cases[] = {
        {"false boolean", adtBoolean, false, "False", {}, {"True", "False"}, 1},
        {"true boolean", adtBoolean, "True", "x", {}, {"True", "False"}, 0},
        {"trimmed, any case", adtText, "r", " red ", {{"r", "Red"}, {"g", "Green"}},
         {"Red", "Green"}, 0},
        {"no match goes first", adtText, "c", "C", {{"a", "A"}, {"b", "B"}}, {"C", "A", "B"}, 0},
        {"empty value", adtText, "", Variant(), {{"a", "A"}}, {"", "A"}, 0},
        {"the last match wins", adtText, "a", "a", {{"1", "A"}, {"2", "a"}}, {"A", "a"}, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeAttribute attribute("X", c.type, c.value);
        attribute.m_enum = c.entries;
        const ListItems list = listItemsFor(attribute, c.rowValue);
        EXPECT_EQ(list.items, c.items);
        EXPECT_EQ(list.selected, c.selected);
    }
}

// The drop-down list on the real grid: Down moves, Enter or a click chooses, through the table.
TEST_F(ControlFixture, ListEditorChoosesByKeysAndByClick)
{
    auto colour = source->add("Colour", adtText, "r");
    colour->m_allowable = "enumeration";
    colour->m_enum = {{"r", "Red"}, {"g", "Green"}, {"b", "Blue"}};
    control.resize(300, 300);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&control));
    load();
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
                      list->visualItemRect(list->item(2)).center());
    EXPECT_FALSE(d->lstEdit->isVisible() || d->m_colValue->hasButton());
    EXPECT_EQ(colour->m_value, Variant("b"));
}

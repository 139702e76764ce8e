// The cell editors, each on a table row of its own, with recording fakes for the dialogs.

#include "control/AttributeTable.h"
#include "control/editors/EditorRow.h"
#include "control/editors/FileEditor.h"
#include "control/editors/ListEditor.h"
#include "platform/FileSystemService.h"
#include "tests/control/ControlFixture.h"

using namespace tabulon;
using platform::Variant;

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
        table->addNew(), table->addNew();
        return table;
    };
    for (const auto &[name, answer, failure, replaceTable, value] : cases) {
        SCOPED_TRACE(name);
        std::unique_ptr<platform::RecordSet> table = twoRows(), kept;
        table->setValueAt(0, fValue, old);
        ActingFileDialog dialogs;
        dialogs.answers = {answer}, dialogs.failure = failure;
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

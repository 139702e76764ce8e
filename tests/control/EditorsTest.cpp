// The cell editors, each on a table row of its own, with recording fakes for the dialogs.

#include "control/AttributeTable.h"
#include "control/editors/EditorRow.h"
#include "control/editors/FileEditor.h"
#include "platform/FileSystemService.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <gtest/gtest.h>

using namespace tabulon;
using platform::Variant;

namespace {

struct Editors : ::testing::Test
{
    Editors()
    {
        table->addNew();
        table->setValue(fName, QStringLiteral("Drawing"));
        table->setValue(fValue, QStringLiteral("/data/plans/a.dxf"));
        table->connectFieldChangeComplete(
            [this](int, std::span<const platform::RecordSet::ChangedField> fields,
                   platform::RecordSet &) { written << fields[0].value.toText(); });
    }

    std::unique_ptr<platform::RecordSet> table = createAttributeTable();
    test::RecordingFileDialog dialogs;
    std::unique_ptr<platform::FileSystem> files =
        platform::FileSystemService::instance().createFileSystem();
    QStringList written;
};

} // namespace

TEST_F(Editors, FileEditorStartsAtTheRowsPathAndWritesOnlyAChosenFile)
{
    const struct
    {
        const char *name;
        std::optional<QString> answer;
        QString failure;
        bool replaceTable;
        QStringList written;
    } cases[] = {
        {"chosen", QStringLiteral("/data/b.dxf"), {}, false, {"/data/b.dxf"}},
        {"cancelled", std::nullopt, {}, false, {}},
        {"dialog fails", QStringLiteral("/data/b.dxf"), QStringLiteral("no dialog"), false, {}},
        {"host loads another object meanwhile", QStringLiteral("/data/b.dxf"), {}, true, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        table->setValue(fValue, QStringLiteral("/data/plans/a.dxf"));
        written.clear();
        dialogs.requests.clear();
        dialogs.answers = {c.answer};
        dialogs.failure = c.failure;
        EditorRow row(table);
        std::unique_ptr<platform::RecordSet> kept;
        if (c.replaceTable) kept = std::exchange(table, createAttributeTable());
        FileEditor(dialogs, *files, nullptr).edit(row);

        EXPECT_EQ(written, c.written);
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].title, QStringLiteral("Specify file"));
        EXPECT_EQ(dialogs.requests[0].fileName, QStringLiteral("/data/plans/a.dxf"));
        EXPECT_EQ(dialogs.requests[0].folder, QStringLiteral("/data/plans"));
        if (kept) table = std::move(kept);
    }
}

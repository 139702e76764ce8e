// The services' process-wide defaults as a host replaces them, and the built-ins that answer
// without a window.

#include "platform/ComponentService.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using namespace tabulon;
using platform::FileSystemService;
using platform::MessageBoxService;

// A control given no service of its own uses the process-wide one; each facility is replaced
// on its own, and null gives the built-in back.
TEST(ProcessDefaults, InstalledOnesServeControlsWithoutTheirOwnUntilRemoved)
{
    MessageBoxService &runnersBox = MessageBoxService::instance(); // the runner installs one
    FileSystemService &builtInFiles = FileSystemService::instance();
    test::RecordingMessageBox hostBox, controlBox;
    test::RecordingFileSystem hostFiles;
    EXPECT_EQ(MessageBoxService::setInstance(&hostBox), &runnersBox);
    EXPECT_EQ(FileSystemService::setInstance(&hostFiles), nullptr);
    platform::Services services;
    services.messageBox = &controlBox;
    EXPECT_EQ(&platform::orDefault(services.messageBox), &controlBox);
    EXPECT_EQ(&platform::orDefault(services.fileSystem), &hostFiles);

    EXPECT_EQ(MessageBoxService::setInstance(nullptr), &hostBox);
    EXPECT_EQ(FileSystemService::setInstance(nullptr), &hostFiles);
    EXPECT_NE(&MessageBoxService::instance(), &hostBox);
    EXPECT_EQ(&FileSystemService::instance(), &builtInFiles);
    MessageBoxService::setInstance(&runnersBox);
}

TEST(BuiltInServices, FileSystemGivesTheFolderPartOfAPathAndComponentsKnowNone)
{
    const auto fs = FileSystemService::instance().createFileSystem();
    const std::pair<const char *, const char *> cases[] = {
        // clang-format off
        {"/data/plant/file.txt", "/data/plant"}, {"relative/file.txt", "relative"},
        {"file.txt", ""}, {"", ""}, {"./file.txt", "."}, {"/file.txt", "/"},
        // clang-format on
    };
    for (const auto &[path, parent] : cases)
        EXPECT_EQ(fs->parentFolderName(QString::fromLatin1(path)), QString::fromLatin1(parent))
            << path;

    const auto create = [] { (void)platform::ComponentService::instance().create("Some.Client"); };
    EXPECT_EQ(test::errorOf(create), "1000: No component is registered as \"Some.Client\"");
}

} // namespace

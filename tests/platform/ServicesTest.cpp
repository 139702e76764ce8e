// The services' process-wide defaults: each facility is replaced on its own, and the built-in
// ones that answer without a window behave as documented.

#include "core/Error.h"
#include "tests/support/RecordingServices.h"

#include <gtest/gtest.h>

namespace {

using namespace tabulon;

template <class S, class F> struct Facility
{
    using Service = S;
    using Fake = F;
};

template <class T> struct ProcessDefault : ::testing::Test
{
};
using Facilities =
    ::testing::Types<Facility<platform::MessageBoxService, test::RecordingMessageBox>,
                     Facility<platform::FileDialogService, test::RecordingFileDialog>,
                     Facility<platform::FolderDialogService, test::RecordingFolderDialog>,
                     Facility<platform::ModalDialogService, test::RecordingModalDialog>,
                     Facility<platform::LocalisationService, test::RecordingLocalisation>,
                     Facility<platform::ComponentService, test::RecordingComponents>,
                     Facility<platform::FileSystemService, test::RecordingFileSystem>>;
TYPED_TEST_SUITE(ProcessDefault, Facilities);

TYPED_TEST(ProcessDefault, InstallingReplacesOnlyThatFacilityAndNullRestoresTheBuiltIn)
{
    using Service = typename TypeParam::Service;
    Service &builtIn = Service::instance();
    platform::MessageBoxService &messageBox = platform::MessageBoxService::instance();
    platform::FileSystemService &fileSystem = platform::FileSystemService::instance();
    typename TypeParam::Fake first, second;

    EXPECT_EQ(Service::setInstance(&first), nullptr);
    EXPECT_EQ(&Service::instance(), &first);
    EXPECT_EQ(Service::setInstance(&second), &first);
    EXPECT_EQ(&platform::orDefault<Service>(nullptr), &second);
    EXPECT_EQ(&platform::orDefault<Service>(&first), &first);
    // The others keep theirs (each facility is checked against two of them).
    if constexpr (!std::is_same_v<Service, platform::MessageBoxService>) {
        EXPECT_EQ(&platform::MessageBoxService::instance(), &messageBox);
    }
    if constexpr (!std::is_same_v<Service, platform::FileSystemService>) {
        EXPECT_EQ(&platform::FileSystemService::instance(), &fileSystem);
    }

    EXPECT_EQ(Service::setInstance(nullptr), &second);
    EXPECT_EQ(&Service::instance(), &builtIn);
}

TEST(BuiltInServices, FileSystemGivesTheFolderPartOfAPath)
{
    const std::unique_ptr<platform::FileSystem> fs =
        platform::FileSystemService::instance().createFileSystem();
    const struct
    {
        const char *path, *parent;
    } cases[] = {
        {"/data/plant/file.txt", "/data/plant"},
        {"relative/file.txt", "relative"},
        {"file.txt", ""},
        {"", ""},
        {"./file.txt", "."},
        {"/file.txt", "/"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fs->parentFolderName(QString::fromLatin1(c.path)), QString::fromLatin1(c.parent))
            << c.path;
}

TEST(BuiltInServices, LocalisationLeavesTextsAsTheyAreAndHasNoStrings)
{
    platform::LocalisationService &l10n = platform::LocalisationService::instance();
    EXPECT_EQ(l10n.translate(QStringLiteral("frmExpressionBuilder"), QStringLiteral("&Test")),
              QStringLiteral("&Test"));
    EXPECT_EQ(l10n.string(30072), std::nullopt);
}

TEST(BuiltInServices, ComponentsKnowsNoComponent)
{
    try {
        platform::ComponentService::instance().create(QStringLiteral("Some.Client"));
        FAIL() << "no throw";
    } catch (const platform::Error &e) {
        EXPECT_EQ(e.number(), platform::Error::NotAvailable);
        EXPECT_EQ(e.description(), QStringLiteral("No component is registered as \"Some.Client\""));
    }
}

} // namespace

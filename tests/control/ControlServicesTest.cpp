// A control uses the services it was given, else the process-wide default in force at the time.

#include "tessel/Collection.h"
#include "tests/control/ControlFixture.h"

using namespace tabulon;
using test::RecordingFileSystem;
using test::RecordingMessageBox;
using test::ScopedDefault;

namespace {

// Types a value out of range into `control`'s one row: a message follows.
void typeInvalid(ctlAttributes &control)
{
    auto source = std::make_shared<tessel::Collection>();
    source->add(QStringLiteral("Count"), adtInteger)->setMaximum(5);
    control.setDataSource(source);
    test::type(control, "Count", "7");
}

// A file system whose creation throws what no std::exception is.
struct ForeignFailure : platform::FileSystemService
{
    std::unique_ptr<platform::FileSystem> createFileSystem() override { throw 42; }
};

} // namespace

// A failed creation is told in the message box in use; the control still works: a refused value
// is still reported, in the same box.
TEST(ControlServices, EachFacilityIsReplacedOnItsOwn)
{
    RecordingMessageBox processBox, ownBox;
    RecordingFileSystem processFs, ownFs;
    ForeignFailure foreignFs;
    processFs.failure = QStringLiteral("No default file system");
    const ScopedDefault<platform::MessageBoxService> box(processBox);
    const ScopedDefault<platform::FileSystemService> fs(processFs);
    const QString title = QStringLiteral("CorvinAttributesEditor|");
    const QString failed = title + "Unexpected error initialising Tabulon\r\n";
    const QString noDefault = failed + "No default file system",
                  refused = title + "Invalid value ( 7 )\r\nCount has not been changed";
    const struct
    {
        const char *name;
        platform::Services services;
        QStringList processBoxTold, ownBoxTold;
        bool ownFsUsed;
    } cases[] = {
        {"defaults", {}, {noDefault, refused}, {}, false},
        {"own message box, default file system", {.messageBox = &ownBox}, {}, {noDefault, refused},
         false},
        {"own file system, default message box", {.fileSystem = &ownFs}, {refused}, {}, true},
        {"both own", {.messageBox = &ownBox, .fileSystem = &ownFs}, {}, {refused}, true},
        {"foreign failure", {.fileSystem = &foreignFs},
         {failed + "Application-defined or object-defined error", refused}, {}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        processBox.messages.clear(), ownBox.messages.clear(), ownFs.created = 0;
        ctlAttributes control(nullptr, c.services);
        EXPECT_EQ(ownFs.created, c.ownFsUsed ? 1 : 0);
        typeInvalid(control);
        EXPECT_EQ(test::said(processBox), c.processBoxTold);
        EXPECT_EQ(test::said(ownBox), c.ownBoxTold);
    }
}

// A default installed after a control was built serves it, unless it has its own.
TEST(ControlServices, ALaterDefaultServesOnlyTheControlsWithoutTheirOwn)
{
    RecordingMessageBox ownBox, laterDefault;
    ctlAttributes own(nullptr, {.messageBox = &ownBox}), other;
    const ScopedDefault<platform::MessageBoxService> box(laterDefault);
    typeInvalid(own), typeInvalid(other);
    EXPECT_EQ(ownBox.messages.size(), 1u);
    EXPECT_EQ(laterDefault.messages.size(), 1u);
}

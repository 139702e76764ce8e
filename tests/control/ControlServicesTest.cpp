// A control uses the services it was given, else the process-wide default in force at the time.

#include "tessel/Collection.h"
#include "tests/control/ControlFixture.h"

using namespace tabulon;
using test::RecordingFileSystem;
using test::RecordingMessageBox;
using test::ScopedDefault;

namespace {

const QString kInitFailure =
    QStringLiteral("Unexpected error initialising Tabulon\r\nNo default file system");

// Types a value out of range into `control`'s one row: a message follows.
void typeInvalid(ctlAttributes &control)
{
    auto source = std::make_shared<tessel::Collection>();
    source->add(QStringLiteral("Count"), adtInteger)->setMaximum(5);
    control.setDataSource(source);
    platform::RecordSet &rs = *ctlAttributesPrivate::get(&control)->m_rs;
    rs.moveFirst();
    rs.setValue(fieldName(fValue), "7");
}

} // namespace

TEST(ControlServices, EachFacilityIsReplacedOnItsOwn)
{
    RecordingMessageBox processBox, ownBox;
    RecordingFileSystem processFs, ownFs;
    processFs.failure = QStringLiteral("No default file system");
    const ScopedDefault<platform::MessageBoxService> box(processBox);
    const ScopedDefault<platform::FileSystemService> fs(processFs);

    const struct
    {
        const char *name;
        platform::Services services;
        bool processBoxTold, ownBoxTold, ownFsUsed;
    } cases[] = {
        {"defaults", {}, true, false, false},
        {"own message box, default file system", {.messageBox = &ownBox}, false, true, false},
        {"own file system, default message box", {.fileSystem = &ownFs}, false, false, true},
        {"both own", {.messageBox = &ownBox, .fileSystem = &ownFs}, false, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        processBox.messages.clear();
        ownBox.messages.clear();
        ownFs.created = 0;
        ctlAttributes control(nullptr, c.services);
        for (const auto &[fake, told] :
             {std::pair{&processBox, c.processBoxTold}, std::pair{&ownBox, c.ownBoxTold}}) {
            QStringList said;
            for (const auto &m : fake->messages)
                said << m.title + u'|' + m.text;
            EXPECT_EQ(said,
                      told ? QStringList{"CorvinAttributesEditor|" + kInitFailure} : QStringList());
        }
        EXPECT_EQ(ownFs.created, c.ownFsUsed ? 1 : 0);
        // A failed creation leaves a control that works: a refused value is still reported.
        const std::size_t before = processBox.messages.size() + ownBox.messages.size();
        typeInvalid(control);
        EXPECT_EQ(processBox.messages.size() + ownBox.messages.size(), before + 1);
    }
}

TEST(ControlServices, AFakeGivenToOneControlLeavesAnotherAlone)
{
    RecordingMessageBox ownBox, laterDefault;
    ctlAttributes own(nullptr, {.messageBox = &ownBox});
    ctlAttributes other;
    // A default installed after the control was built still serves it.
    const ScopedDefault<platform::MessageBoxService> box(laterDefault);

    typeInvalid(own);
    typeInvalid(other);
    EXPECT_EQ(ownBox.messages.size(), 1u);
    EXPECT_EQ(laterDefault.messages.size(), 1u);
}

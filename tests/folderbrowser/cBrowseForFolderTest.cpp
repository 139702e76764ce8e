// cBrowseForFolder against the scripted folder dialog: options, events, the calls that act on
// the open dialog, errors, and every identifier list released whatever the host does.

#include "folderbrowser/cBrowseForFolder.h"
#include "core/Error.h"
#include "platform/Shell.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <QDir>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <stdexcept>

namespace {

using namespace tabulon;
using platform::Error;

class BrowseForFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(tree.path()).mkpath(QStringLiteral("plant/pumps")));
        ASSERT_TRUE(QDir(tree.path()).mkpath(QStringLiteral("plant/valves")));
        liveBefore = platform::ShellAllocator::instance().liveLists();
    }
    // Every showing, cancelled, failed or not, releases every list it obtained.
    void TearDown() override
    {
        EXPECT_EQ(platform::ShellAllocator::instance().liveLists(), liveBefore);
    }

    QString at(const char *relative) const { return tree.path() + u'/' + QLatin1String(relative); }

    // Records the events of `browser` in `events`: "init", "sel PATH", "invalid TEXT".
    void record(cBrowseForFolder &browser)
    {
        QObject::connect(&browser, &cBrowseForFolder::Initialized, [this] { events << "init"; });
        QObject::connect(&browser, &cBrowseForFolder::SelectionChanged,
                         [this](const QString &path, bool &) { events << "sel " + path; });
        QObject::connect(&browser, &cBrowseForFolder::ValidationFailed,
                         [this](const QString &text, bool &) { events << "invalid " + text; });
    }

    QTemporaryDir tree;
    test::RecordingServices services;
    QStringList events;
    int liveBefore = 0;
};

void expectError(const std::function<void()> &call, int number, const QString &description)
{
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_EQ(e.source(), QStringLiteral("Tabulon.cBrowseForFolder"));
        EXPECT_EQ(e.description(), description);
    }
}

TEST_F(BrowseForFolder, OptionsBecomeTheRequestsFlags)
{
    const struct
    {
        const char *name;
        bool edit, status, fsOnly, validate, newUI;
        quint32 flags;
    } cases[] = {
        {"all off", false, false, false, false, false, 0x0},
        {"all on", true, true, true, true, true, 0x7D},
        {"file-system only", false, false, true, false, false, 0x9},
    };
    for (const auto &c : cases) {
        cBrowseForFolder browser(nullptr, services);
        browser.setEditBox(c.edit);
        browser.setStatusText(c.status);
        browser.setFileSystemOnly(c.fsOnly);
        browser.setValidateEditBox(c.validate);
        browser.setUseNewUI(c.newUI);
        browser.BrowseForFolder();
        EXPECT_EQ(services.folderDialog.requests.back().flags, c.flags) << c.name;
    }
}

TEST_F(BrowseForFolder, TitleFromTheLocalisedStringElseTheBuiltInOne)
{
    EXPECT_EQ(cBrowseForFolder(nullptr, services).Title(), QStringLiteral("Choose Folder"));
    EXPECT_EQ(services.localisation.asked, QStringList{"#30072"});
    services.localisation.strings[30072] = QStringLiteral("Ordner wählen");
    cBrowseForFolder browser(nullptr, services);
    EXPECT_EQ(browser.Title(), QStringLiteral("Ordner wählen"));
    QWidget owner;
    browser.setHwndOwner(&owner);
    browser.BrowseForFolder();
    EXPECT_EQ(services.folderDialog.requests.back().title, QStringLiteral("Ordner wählen"));
    EXPECT_EQ(services.folderDialog.requests.back().owner, &owner);

    struct Failing : test::RecordingLocalisation
    {
        std::optional<QString> string(int) override { throw std::runtime_error("no resources"); }
    } failing;
    EXPECT_EQ(cBrowseForFolder(nullptr, {.localisation = &failing}).Title(),
              QStringLiteral("Choose Folder"));
}

TEST_F(BrowseForFolder, ChosenItemGivesItsPathAndDisplayName)
{
    const struct
    {
        const char *name;
        QStringList script;
        QString path;
        QString displayName;
    } cases[] = {
        {"folder", {"select " + at("plant/pumps"), "ok"}, at("plant/pumps"), "pumps"},
        {"item without a path", {"select :Computer", "ok"}, "", "Computer"},
        {"cancel", {"select " + at("plant/pumps"), "cancel"}, "", ""},
        {"window closed", {"select " + at("plant/pumps")}, "", ""},
    };
    for (const auto &c : cases) {
        cBrowseForFolder browser(nullptr, services);
        EXPECT_TRUE(browser.DisplayName().isEmpty());
        services.folderDialog.script = c.script;
        EXPECT_EQ(browser.BrowseForFolder(), c.path) << c.name;
        EXPECT_EQ(browser.DisplayName().toString(), c.displayName) << c.name;
    }
}

// The initial folder is selected before Initialized; every selection's path goes to the
// status line, and OK follows the handler's answer for that selection only.
TEST_F(BrowseForFolder, SelectionChangedRefusesOkForOneSelection)
{
    cBrowseForFolder browser(nullptr, services);
    record(browser);
    browser.setInitialDir(at("plant"));
    QObject::connect(&browser, &cBrowseForFolder::SelectionChanged,
                     [](const QString &path, bool &allowOk) {
                         if (path.endsWith(u"valves")) allowOk = false;
                     });
    services.folderDialog.script = {"select " + at("plant/valves"), "ok",
                                    "select " + at("plant/pumps"), "ok"};
    EXPECT_EQ(browser.BrowseForFolder(), at("plant/pumps"));
    EXPECT_EQ(events, (QStringList{"sel " + at("plant"), "init", "sel " + at("plant/valves"),
                                   "sel " + at("plant/pumps")}));
    EXPECT_EQ(services.folderDialog.messages,
              (QStringList{"select " + at("plant"), "status " + at("plant"), "ok 1",
                           "status " + at("plant/valves"), "ok 0", "ok refused",
                           "status " + at("plant/pumps"), "ok 1"}));
}

TEST_F(BrowseForFolder, FailedValidationReportsTheTextAndClosesUnlessKeptOpen)
{
    for (const bool keepOpen : {false, true}) {
        services.folderDialog.messages.clear();
        events.clear();
        cBrowseForFolder browser(nullptr, services);
        record(browser);
        browser.setEditBox(true);
        browser.setValidateEditBox(true);
        QObject::connect(&browser, &cBrowseForFolder::ValidationFailed,
                         [keepOpen](const QString &, bool &bKeepOpen) { bKeepOpen = keepOpen; });
        // Kept open, OK stays disabled until the user picks another folder.
        services.folderDialog.script = {"select " + at("plant"), "type no such", "ok",
                                        "select " + at("plant/pumps"), "ok"};
        EXPECT_EQ(browser.BrowseForFolder(), keepOpen ? at("plant/pumps") : QString());
        EXPECT_EQ(events.value(2), QStringLiteral("invalid Path invalid: no such"));
        EXPECT_EQ(services.folderDialog.messages.mid(2, 2),
                  (QStringList{"ok 0", "status Path invalid: no such"}));
    }
}

TEST_F(BrowseForFolder, SetFolderAndSetStatusActOnTheOpenDialogOnly)
{
    const QString notDisplayed = QStringLiteral("Operation invalid unless dialog is displayed.");
    cBrowseForFolder browser(nullptr, services);
    expectError([&] { browser.SetFolder(at("plant")); }, 26002, notDisplayed);
    expectError([&] { browser.SetStatus(QStringLiteral("x")); }, 26002, notDisplayed);

    const struct
    {
        const char *name;
        bool newUI;
        QString folder;
        QStringList messages;
    } cases[] = {
        {"status line",
         false,
         at("plant/pumps"),
         {"status Looking", "select " + at("plant/pumps"), "status " + at("plant/pumps"), "ok 1",
          "focus"}},
        {"new style: the caption",
         true,
         at("plant/pumps"),
         {"caption Looking", "select " + at("plant/pumps"), "status " + at("plant/pumps"), "ok 1",
          "focus"}},
        {"no such folder: an empty selection",
         false,
         at("none"),
         {"status Looking", "select", "focus"}},
    };
    for (const auto &c : cases) {
        services.folderDialog.messages.clear();
        cBrowseForFolder b(nullptr, services);
        b.setUseNewUI(c.newUI);
        QObject::connect(&b, &cBrowseForFolder::Initialized, [&] {
            b.SetStatus(QStringLiteral("Looking"));
            b.SetFolder(c.folder);
        });
        services.folderDialog.script = {"ok"};
        b.BrowseForFolder();
        EXPECT_EQ(services.folderDialog.messages, c.messages) << c.name;
        expectError([&] { b.SetStatus(QStringLiteral("x")); }, 26002, notDisplayed);
    }
}

TEST_F(BrowseForFolder, RootAndInitialFolderReadBackInFullAfterAShowing)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(at("plant")));
    cBrowseForFolder browser(nullptr, services);
    browser.setRootDir(QStringLiteral("."));
    browser.setInitialDir(QStringLiteral("pumps/../valves"));
    browser.BrowseForFolder();
    QDir::setCurrent(saved);
    EXPECT_EQ(browser.RootDir(), at("plant"));
    EXPECT_EQ(browser.InitialDir(), at("plant/valves"));
    EXPECT_EQ(services.folderDialog.requests.back().root, at("plant"));
    EXPECT_EQ(services.folderDialog.messages.first(), "select " + at("plant/valves"));

    // A folder that resolves but does not exist is not applied.
    services.folderDialog.messages.clear();
    browser.setRootDir(at("none"));
    browser.setInitialDir(at("none/deeper"));
    browser.BrowseForFolder();
    EXPECT_EQ(services.folderDialog.requests.back().root, QString());
    EXPECT_EQ(services.folderDialog.messages, QStringList());
}

TEST_F(BrowseForFolder, PathsThatDoNotResolveRaiseTheSystemError)
{
    const QString tooLong = QStringLiteral("/") + QString(300, u'x');
    const int number = int(0x80047148u + ENAMETOOLONG);
    const QString text = QStringLiteral("File name too long");
    for (const bool root : {true, false}) {
        cBrowseForFolder browser(nullptr, services);
        browser.setRootDir(root ? tooLong : at("plant"));
        browser.setInitialDir(root ? at("plant") : tooLong);
        expectError([&] { browser.BrowseForFolder(); }, number, text);
    }
    EXPECT_TRUE(services.folderDialog.requests.empty());

    // From a handler: the dialog is left as it was, and the error reaches BrowseForFolder's
    // caller once the dialog has closed.
    cBrowseForFolder browser(nullptr, services);
    QObject::connect(&browser, &cBrowseForFolder::Initialized, [&] { browser.SetFolder(tooLong); });
    services.folderDialog.script = {"select " + at("plant"), "ok"};
    expectError([&] { browser.BrowseForFolder(); }, number, text);
    EXPECT_EQ(services.folderDialog.messages, QStringList{"close"});
}

// The host is not trusted: its handlers may throw or delete the component, at any event.
TEST_F(BrowseForFolder, HostileHandlersEndTheShowingCleanly)
{
    enum Act { Throw, Delete };
    const struct
    {
        const char *name;
        const char *event;
        Act act;
    } cases[] = {
        {"throws in Initialized", "init", Throw},
        {"throws in SelectionChanged", "sel", Throw},
        {"throws in ValidationFailed", "invalid", Throw},
        {"deletes in Initialized", "init", Delete},
        {"deletes in SelectionChanged", "sel", Delete},
        {"deletes in ValidationFailed", "invalid", Delete},
    };
    for (const auto &c : cases) {
        services.folderDialog.messages.clear();
        auto *browser = new cBrowseForFolder(nullptr, services);
        QPointer<cBrowseForFolder> alive(browser);
        browser->setEditBox(true);
        browser->setValidateEditBox(true);
        browser->setInitialDir(at("plant"));
        const auto act = [&](const char *event) {
            if (qstrcmp(event, c.event) != 0) return;
            if (c.act == Throw) throw std::runtime_error(c.name);
            delete browser;
        };
        QObject::connect(browser, &cBrowseForFolder::Initialized, [&] { act("init"); });
        QObject::connect(browser, &cBrowseForFolder::SelectionChanged,
                         [&](const QString &path, bool &) {
                             if (path.endsWith(u"pumps")) act("sel");
                         });
        QObject::connect(browser, &cBrowseForFolder::ValidationFailed,
                         [&](const QString &, bool &) { act("invalid"); });
        services.folderDialog.script = {"select " + at("plant/pumps"), "type x"};
        if (c.act == Throw) {
            EXPECT_THROW(browser->BrowseForFolder(), std::runtime_error) << c.name;
            EXPECT_TRUE(services.folderDialog.messages.contains("close")) << c.name;
            // Closed again: the calls of an open dialog are refused.
            EXPECT_THROW(browser->SetStatus(QString()), Error) << c.name;
            delete browser;
        } else {
            // The showing goes on without the component, as a dialog without one.
            EXPECT_EQ(browser->BrowseForFolder(), QString()) << c.name;
            EXPECT_TRUE(alive.isNull()) << c.name;
            EXPECT_TRUE(services.folderDialog.messages.contains("status Path invalid: x"))
                << c.name;
        }
    }
}

} // namespace

// cBrowseForFolder against the scripted folder dialog (options, errors, the calls that act on
// the open dialog, hostile handlers), then driving the built-in Qt folder picker end to end,
// offscreen. After every test each identifier list obtained has been released.

#include "folderbrowser/cBrowseForFolder.h"
#include "core/Error.h"
#include "platform/Shell.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <stdexcept>

namespace {

using namespace tabulon;

class BrowseForFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *folder : {"plant/pumps", "plant/valves", "store/sub"})
            ASSERT_TRUE(QDir(tree.path()).mkpath(QLatin1String(folder)));
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::ShellAllocator::instance().liveLists(), liveBefore);
    }
    QString at(const char *relative) const
    {
        return QDir::cleanPath(tree.path() + u'/' + QLatin1String(relative));
    }

    // Records the events of `browser` in `events` ("init", "sel PATH", "invalid TEXT"),
    // refusing OK for the valves and keeping the dialog open as `keepOpen` says; then runs
    // `then` with the event's name.
    void record(cBrowseForFolder &browser)
    {
        QObject::connect(&browser, &cBrowseForFolder::Initialized, [this] { log("init", {}); });
        QObject::connect(&browser, &cBrowseForFolder::SelectionChanged,
                         [this](const QString &path, bool &allowOk) {
                             allowOk = !path.endsWith(u"valves");
                             log("sel", path);
                         });
        QObject::connect(&browser, &cBrowseForFolder::ValidationFailed,
                         [this](const QString &text, bool &keep) {
                             keep = keepOpen;
                             log("invalid", text);
                         });
    }
    void log(const QString &event, const QString &what)
    {
        events << (event + u' ' + what).trimmed();
        if (then) then(event);
    }

    const int liveBefore = platform::ShellAllocator::instance().liveLists();
    QTemporaryDir tree;
    test::RecordingServices services;
    QStringList &messages = services.folderDialog.messages;
    QStringList events;
    bool keepOpen = false;
    std::function<void(const QString &)> then;
};

// The error `call` raises as "NUMBER SOURCE: DESCRIPTION"; "none" without one.
QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const platform::Error &e) {
        return QString::number(e.number()) + u' ' + e.source() + QStringLiteral(": ") +
               e.description();
    }
    return QStringLiteral("none");
}

// Each option is a bit of the request; the title is the localised string 30072, else the
// built-in one, also when the lookup fails.
TEST_F(BrowseForFolder, OptionsTitleAndOwnerMakeTheRequest)
{
    cBrowseForFolder plain(nullptr, services);
    for (const char *option :
         {"EditBox", "StatusText", "FileSystemOnly", "ValidateEditBox", "UseNewUI"})
        EXPECT_TRUE(plain.setProperty(option, true));
    plain.BrowseForFolder();
    EXPECT_EQ(services.folderDialog.requests.back().flags, 0x7Du);
    EXPECT_EQ(services.folderDialog.requests.back().title, QStringLiteral("Choose Folder"));
    EXPECT_EQ(services.localisation.asked, QStringList{"#30072"});

    services.localisation.strings[30072] = QStringLiteral("Ordner wählen");
    QWidget owner;
    cBrowseForFolder browser(nullptr, services);
    browser.setHwndOwner(&owner);
    browser.BrowseForFolder();
    EXPECT_EQ(services.folderDialog.requests.back().title, QStringLiteral("Ordner wählen"));
    EXPECT_EQ(services.folderDialog.requests.back().owner, &owner);
    EXPECT_EQ(services.folderDialog.requests.back().flags, 0x0u);
    struct Failing : test::RecordingLocalisation
    {
        std::optional<QString> string(int) override { throw std::runtime_error("no resources"); }
    } failing;
    EXPECT_EQ(cBrowseForFolder(nullptr, {.localisation = &failing}).Title(),
              QStringLiteral("Choose Folder"));
}

TEST_F(BrowseForFolder, SetFolderAndSetStatusActOnTheOpenDialog)
{
    const QString pumps = at("plant/pumps");
    const struct
    {
        bool newUI;
        QString folder;
        QStringList messages;
    } cases[] = {
        {false, pumps, {"status Looking", "select " + pumps, "status " + pumps, "ok 1", "focus"}},
        {true, pumps, {"caption Looking", "select " + pumps, "status " + pumps, "ok 1", "focus"}},
        {false, at("none"), {"status Looking", "select", "focus"}}, // no such folder: none
    };
    for (const auto &c : cases) {
        messages.clear();
        cBrowseForFolder browser(nullptr, services);
        browser.setUseNewUI(c.newUI);
        QObject::connect(&browser, &cBrowseForFolder::Initialized, [&] {
            browser.SetStatus(QStringLiteral("Looking"));
            browser.SetFolder(c.folder);
        });
        services.folderDialog.script = {"ok"};
        browser.BrowseForFolder();
        EXPECT_EQ(messages, c.messages) << qPrintable(c.folder);
    }
}

TEST_F(BrowseForFolder, RootAndInitialFolderResolveToTheirFullForm)
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
    EXPECT_EQ(messages.value(0), "select " + at("plant/valves"));

    // A folder that resolves but does not exist is not applied; one that does not resolve
    // raises the system error before the dialog shows.
    messages.clear();
    browser.setRootDir(at("none"));
    browser.setInitialDir(at("none/deeper"));
    browser.BrowseForFolder();
    EXPECT_EQ(services.folderDialog.requests.back().root, QString());
    EXPECT_EQ(messages, QStringList());
    const QString tooLong = QStringLiteral("/") + QString(300, u'x');
    const QString error = QString::number(int(0x80047148u + ENAMETOOLONG)) +
                          QStringLiteral(" Tabulon.cBrowseForFolder: File name too long");
    browser.setRootDir(tooLong);
    EXPECT_EQ(errorOf([&] { browser.BrowseForFolder(); }), error);
    browser.setRootDir(QString());
    browser.setInitialDir(tooLong);
    EXPECT_EQ(errorOf([&] { browser.BrowseForFolder(); }), error);
    EXPECT_EQ(services.folderDialog.requests.size(), 2u);
}

// The host is not trusted: its handlers may throw or delete the component, at any event.
TEST_F(BrowseForFolder, HostileHandlersEndTheShowingCleanly)
{
    const QString notDisplayed = QStringLiteral(
        "26002 Tabulon.cBrowseForFolder: Operation invalid unless dialog is displayed.");
    for (const QString event : {"init", "sel", "invalid"}) {
        for (const bool deletes : {false, true}) {
            SCOPED_TRACE(qPrintable((deletes ? "deletes in " : "throws in ") + event));
            messages.clear();
            auto *browser = new cBrowseForFolder(nullptr, services);
            QPointer<cBrowseForFolder> alive(browser);
            browser->setEditBox(true);
            browser->setValidateEditBox(true);
            browser->setInitialDir(at("plant"));
            record(*browser);
            then = [&](const QString &happened) {
                if (happened != event) return;
                if (!deletes) throw std::runtime_error("handler");
                delete browser;
            };
            services.folderDialog.script = {"select " + at("plant/pumps"), "type x"};
            if (deletes) {
                // The showing goes on without the component, as a dialog without one.
                EXPECT_EQ(browser->BrowseForFolder(), QString());
                EXPECT_TRUE(alive.isNull());
                EXPECT_TRUE(messages.contains("status Path invalid: x"));
            } else {
                EXPECT_THROW(browser->BrowseForFolder(), std::runtime_error);
                EXPECT_TRUE(messages.contains("close"));
                EXPECT_EQ(errorOf([&] { browser->SetStatus(QString()); }), notDisplayed);
                delete browser;
            }
        }
    }
}

// The built-in Qt folder picker, driven from inside its event loop; a timer closes any dialog
// left open so that no test can hang.
class FolderPicker : public BrowseForFolder
{
protected:
    // The built-in picker is what these tests drive, in place of the test runner's refusal.
    void SetUp() override
    {
        m_runners = platform::FolderDialogService::setInstance(nullptr);
        BrowseForFolder::SetUp();
    }
    void TearDown() override
    {
        BrowseForFolder::TearDown();
        platform::FolderDialogService::setInstance(m_runners);
    }
    platform::FolderDialogService *m_runners = nullptr;

    // Runs `drive` on the open dialog once it is up, from inside BrowseForFolder.
    static QString browse(cBrowseForFolder &browser, std::function<void(QDialog &)> drive)
    {
        QTimer::singleShot(20000, &browser, [] {
            if (QWidget *open = QApplication::activeModalWidget()) open->close();
        });
        QObject::connect(&browser, &cBrowseForFolder::Initialized, &browser, [drive] {
            QTimer::singleShot(0, [drive] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                ASSERT_NE(dialog, nullptr);
                drive(*dialog);
            });
        });
        return browser.BrowseForFolder();
    }
};

using Button = QDialogButtonBox::StandardButton;
QPushButton *button(QDialog &dialog, Button which)
{
    return dialog.findChild<QDialogButtonBox *>()->button(which);
}

// The child of `parent` shown as `name`, once the model has read the folder.
QModelIndex childNamed(QTreeView &view, const QModelIndex &parent, const QString &name)
{
    for (int wait = 0; wait < 250; ++wait) {
        for (int row = 0; row < view.model()->rowCount(parent); ++row) {
            const QModelIndex child = view.model()->index(row, 0, parent);
            if (child.data().toString() == name) return child;
        }
        QTest::qWait(20);
    }
    return {};
}

// The initial folder is selected before Initialized; every selection's path goes to the status
// line and OK follows the handler's answer for it. Typed text that names no folder disables OK
// and is reported; kept open, new text enables OK again.
TEST_F(FolderPicker, SelectsTypesValidatesAndChoosesAFolder)
{
    cBrowseForFolder browser;
    browser.setRootDir(tree.path());
    browser.setInitialDir(at("plant/valves"));
    browser.setTitle(QStringLiteral("Where do the drawings go?"));
    for (const char *option : {"EditBox", "StatusText", "ValidateEditBox"})
        browser.setProperty(option, true);
    keepOpen = true;
    record(browser);

    const QString chosen = browse(browser, [&](QDialog &dialog) {
        auto *folders = dialog.findChild<QTreeView *>(QStringLiteral("folders"));
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("folder"));
        auto *status = dialog.findChild<QLabel *>(QStringLiteral("status"));
        QPushButton *ok = button(dialog, Button::Ok);
        ASSERT_TRUE(folders && edit && status);
        // The tree's model keeps the rules of item models while folders load and sort.
        QAbstractItemModelTester tester(folders->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("title"))->text(), browser.Title());
        // The root alone on top, also once the folder around it has been read.
        const auto onTop = [&] { return folders->model()->rowCount(folders->rootIndex()); };
        ASSERT_FALSE(QTest::qWaitFor([&] { return onTop() != 1; }, 300)) << onTop();
        EXPECT_EQ(folders->currentIndex().data().toString(), QStringLiteral("valves"));
        EXPECT_EQ(edit->text(), QStringLiteral("valves"));
        EXPECT_EQ(status->toolTip(), at("plant/valves"));
        EXPECT_FALSE(ok->isEnabled());

        const QModelIndex root = folders->model()->index(0, 0, folders->rootIndex());
        const QModelIndex store = childNamed(*folders, root, QStringLiteral("store"));
        ASSERT_TRUE(store.isValid());
        QTest::mouseClick(folders->viewport(), Qt::LeftButton, {},
                          folders->visualRect(store).center());
        EXPECT_EQ(status->toolTip(), at("store"));
        EXPECT_EQ(edit->text(), QStringLiteral("store"));

        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("nosuch"));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(status->toolTip(), QStringLiteral("Path invalid: nosuch"));
        EXPECT_FALSE(ok->isEnabled());

        // A name is taken below the selected folder.
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("sub"));
        EXPECT_TRUE(ok->isEnabled());
        QTest::mouseClick(ok, Qt::LeftButton);
    });

    EXPECT_EQ(chosen, at("store/sub"));
    EXPECT_EQ(browser.DisplayName().toString(), QStringLiteral("sub"));
    EXPECT_EQ(events, (QStringList{"sel " + at("plant/valves"), "init", "sel " + at("store"),
                                   "invalid Path invalid: nosuch"}));
}

TEST_F(FolderPicker, ClosingTheDialog)
{
    const auto click = [](Button which) {
        return [which](QDialog &d) { QTest::mouseClick(button(d, which), Qt::LeftButton); };
    };
    const auto escape = [](QDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); };
    // Not kept open, a failed validation closes the dialog as Cancel does.
    const auto typeNoSuch = [](QDialog &d) {
        QTest::keyClicks(d.findChild<QLineEdit *>(), QStringLiteral("nosuch\r"));
        EXPECT_FALSE(d.isVisible());
    };
    const QString home = QDir::cleanPath(QDir::homePath());
    const struct
    {
        const char *name;
        bool newUI, fileSystemOnly, computer; // computer: Home selects the computer, on top
        std::function<void(QDialog &)> close;
        QString chosen, displayName;
    } cases[] = {
        {"Cancel", false, false, false, click(Button::Cancel), {}, {}},
        {"Escape", true, false, false, escape, {}, {}},
        {"window closed", false, false, false, [](QDialog &d) { d.close(); }, {}, {}},
        {"typed name of no folder", false, false, false, typeNoSuch, {}, {}},
        // The edit box shows the selection's name, which is no reason to refuse it.
        {"OK, name untouched", false, false, false, click(Button::Ok), home,
         QFileInfo(home).fileName()},
        {"the computer", false, false, true, click(Button::Ok), {}, "Computer"},
        {"the computer, file-system only: OK disabled", false, true, true, escape, {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        cBrowseForFolder browser;
        browser.setUseNewUI(c.newUI);
        browser.setFileSystemOnly(c.fileSystemOnly);
        browser.setEditBox(true);
        browser.setValidateEditBox(true);
        const QString chosen = browse(browser, [&](QDialog &dialog) {
            // Without a root the computer shows, opened at the home folder.
            auto *folders = dialog.findChild<QTreeView *>(QStringLiteral("folders"));
            const QModelIndex computer = folders->model()->index(0, 0);
            EXPECT_EQ(computer.data().toString(), QStringLiteral("Computer"));
            const QModelIndex top = folders->model()->index(0, 0, computer);
            EXPECT_EQ(top.data().toString(), QStringLiteral("/"));
            // The selection stays on its folder while the model reads and sorts the others.
            EXPECT_TRUE(childNamed(*folders, top, QStringLiteral("tmp")).isValid());
            QTest::qWait(100);
            const QModelIndex current = folders->currentIndex();
            EXPECT_EQ(current, folders->model()->index(current.row(), 0, current.parent()));
            EXPECT_EQ(current.data().toString(), QDir(QDir::homePath()).dirName());
            EXPECT_EQ(dialog.minimumSize() != dialog.maximumSize(), c.newUI);
            if (c.computer) QTest::keyClick(folders, Qt::Key_Home);
            EXPECT_EQ(button(dialog, Button::Ok)->isEnabled(), !(c.computer && c.fileSystemOnly));
            c.close(dialog);
        });
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(browser.DisplayName().toString(), c.displayName);
    }
}

} // namespace

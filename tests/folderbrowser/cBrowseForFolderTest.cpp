// cBrowseForFolder on the scripted dialog, then on the Qt picker; no test leaves a list unreleased.

#include "folderbrowser/cBrowseForFolder.h"
#include "core/Error.h"
#include "platform/Shell.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
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
    void TearDown() override { EXPECT_EQ(shell.liveLists(), liveBefore); }
    QString at(const char *path) const { return tree.path() + u'/' + QLatin1String(path); }

    platform::ShellAllocator &shell = platform::ShellAllocator::instance();
    const int liveBefore = shell.liveLists();
    QTemporaryDir tree;
    test::RecordingServices services;
    QStringList &messages = services.folderDialog.messages;
};

// The error `call` raises as "NUMBER SOURCE: DESCRIPTION"; "none" without one.
QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const platform::Error &e) {
        return QStringLiteral("%1 %2: %3").arg(e.number()).arg(e.source(), e.description());
    }
    return QStringLiteral("none");
}

// Each option is a bit of the request; root and initial folder go in their full form, and
// one that does not resolve raises the system error before any dialog shows. The title is the
// localised string 30072, else the built-in one, also when the lookup fails.
TEST_F(BrowseForFolder, OptionsFoldersTitleAndOwnerMakeTheRequest)
{
    services.localisation.strings[30072] = QStringLiteral("Ordner wählen");
    QWidget owner;
    cBrowseForFolder browser(nullptr, services);
    browser.setHwndOwner(&owner);
    for (const char *option :
         {"EditBox", "StatusText", "FileSystemOnly", "ValidateEditBox", "UseNewUI"})
        EXPECT_TRUE(browser.setProperty(option, true));
    browser.setRootDir(at("plant/."));
    browser.setInitialDir(at("plant/pumps/../valves"));
    browser.BrowseForFolder();
    const test::RecordingFolderDialog::Shown &request = services.folderDialog.requests.back();
    EXPECT_EQ(request.flags, 0x7Du);
    EXPECT_EQ(request.title, QStringLiteral("Ordner wählen"));
    EXPECT_EQ(request.owner, &owner);
    EXPECT_EQ(request.root, at("plant"));
    EXPECT_EQ(browser.RootDir(), at("plant"));
    EXPECT_EQ(browser.InitialDir(), at("plant/valves"));

    browser.setRootDir(QStringLiteral("/") + QString(300, u'x'));
    EXPECT_EQ(errorOf([&] { browser.BrowseForFolder(); }),
              QString::number(int(0x80047148u + ENAMETOOLONG)) +
                  QStringLiteral(" Tabulon.cBrowseForFolder: File name too long"));
    EXPECT_EQ(services.folderDialog.requests.size(), 1u);

    struct Failing : test::RecordingLocalisation
    {
        std::optional<QString> string(int) override { throw std::runtime_error("no resources"); }
    } failing;
    EXPECT_EQ(cBrowseForFolder(nullptr, {.localisation = &failing}).Title(),
              QStringLiteral("Choose Folder"));
}

// The host is not trusted: a handler that throws ends the showing, which passes the exception
// on once closed; one that deletes the component leaves the showing going on without it.
TEST_F(BrowseForFolder, HostileHandlersEndTheShowingCleanly)
{
    for (const QString event : {"init", "sel", "invalid"}) {
        for (const bool deletes : {false, true}) {
            SCOPED_TRACE(qPrintable((deletes ? "deletes in " : "throws in ") + event));
            messages.clear();
            auto *browser = new cBrowseForFolder(nullptr, services);
            browser->setValidateEditBox(true);
            browser->setInitialDir(at("plant"));
            const auto act = [&](const char *happened) {
                if (event != happened) return;
                if (!deletes) throw std::runtime_error("handler");
                delete browser;
            };
            using B = cBrowseForFolder;
            QObject::connect(browser, &B::Initialized, [&] { act("init"); });
            QObject::connect(browser, &B::SelectionChanged, [&](auto, bool &) { act("sel"); });
            QObject::connect(browser, &B::ValidationFailed, [&](auto, bool &) { act("invalid"); });
            services.folderDialog.script = {"select " + at("plant/pumps"), "type x"};
            if (deletes) {
                EXPECT_EQ(browser->BrowseForFolder(), QString());
                EXPECT_TRUE(messages.contains("status Path invalid: x"));
                continue;
            }
            EXPECT_THROW(browser->BrowseForFolder(), std::runtime_error);
            EXPECT_TRUE(messages.contains("close"));
            EXPECT_EQ(errorOf([&] { browser->SetStatus(QString()); }),
                      "26002 Tabulon.cBrowseForFolder: Operation invalid unless dialog is "
                      "displayed.");
            delete browser;
        }
    }
}

// Shows `browser` in the built-in Qt picker, in place of the runner's refusal, and runs `drive`
// on it once it is up; what `drive` leaves open is cancelled.
QString browse(cBrowseForFolder &browser, std::function<void(QDialog &)> drive)
{
    using platform::FolderDialogService;
    const auto restore = qScopeGuard([runners = FolderDialogService::setInstance(nullptr)] {
        FolderDialogService::setInstance(runners);
    });
    QObject::connect(&browser, &cBrowseForFolder::Initialized, &browser, [drive] {
        QTimer::singleShot(0, [drive] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            drive(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
    });
    return browser.BrowseForFolder();
}

// Every selection's path goes to the status line and OK follows the handler's answer for it.
// SetStatus writes the status line; SetFolder selects (nothing for a folder that does not exist)
// and focuses the dialog. Typed text that names no folder disables OK; kept open, new text
// enables OK again and is taken below the selection.
TEST_F(BrowseForFolder, PickerSelectsTypesValidatesAndChoosesAFolder)
{
    cBrowseForFolder browser;
    browser.setRootDir(tree.path());
    browser.setInitialDir(at("plant/valves"));
    for (const char *option : {"EditBox", "StatusText", "ValidateEditBox"})
        browser.setProperty(option, true);
    // OK is refused for the valves; a failed validation keeps the dialog open.
    QObject::connect(&browser, &cBrowseForFolder::SelectionChanged,
                     [](const QString &path, bool &ok) { ok = !path.endsWith(u"valves"); });
    QObject::connect(&browser, &cBrowseForFolder::ValidationFailed,
                     [](const QString &, bool &keep) { keep = true; });

    const QString chosen = browse(browser, [&](QDialog &dialog) {
        auto *folders = dialog.findChild<QTreeView *>(QStringLiteral("folders"));
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("folder"));
        auto *status = dialog.findChild<QLabel *>(QStringLiteral("status"));
        QPushButton *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        ASSERT_TRUE(folders && edit && status);
        EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("title"))->text(), browser.Title());
        // The root alone on top, also once the folder around it has been read.
        const auto onTop = [&] { return folders->model()->rowCount(folders->rootIndex()); };
        ASSERT_FALSE(QTest::qWaitFor([&] { return onTop() != 1; }, 300)) << onTop();
        EXPECT_EQ(folders->model()->index(0, 0, folders->rootIndex()).data().toString(),
                  QDir(tree.path()).dirName());
        EXPECT_EQ(edit->text(), QStringLiteral("valves"));
        EXPECT_FALSE(ok->isEnabled());

        browser.SetStatus(QStringLiteral("Looking"));
        EXPECT_EQ(status->toolTip(), QStringLiteral("Looking"));
        browser.SetFolder(at("none"));
        EXPECT_FALSE(folders->currentIndex().isValid());
        browser.SetFolder(at("store"));
        EXPECT_EQ(QApplication::focusWidget(), &dialog);
        EXPECT_EQ(status->toolTip(), at("store"));

        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("nosuch\r"));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(ok->isEnabled());
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("sub"));
        EXPECT_TRUE(ok->isEnabled());
        QTest::mouseClick(ok, Qt::LeftButton);
    });

    EXPECT_EQ(chosen, at("store/sub"));
    EXPECT_EQ(browser.DisplayName().toString(), QStringLiteral("sub"));
}

// Without a root the computer is on top, opened at the home folder, which stays selected while
// the model reads and sorts. SetStatus writes the new-style dialog's caption. Each row types its
// text in the edit box (after Home, which selects the computer, where asked) and presses Return.
TEST_F(BrowseForFolder, PickerWithoutARoot)
{
    const QString home = QDir::cleanPath(QDir::homePath());
    // clang-format off
    const struct { const char *name; bool newUI, fsOnly, computer; QString typed, chosen, shown; }
    cases[] = {
        {"OK, the selection's name untouched", false, false, false, {}, home, QDir(home).dirName()},
        {"name of no folder: closes as Cancel", false, false, false, "nosuch", {}, {}},
        {"the computer", true, false, true, {}, {}, "Computer"},
        {"the computer, file-system only: OK disabled", false, true, true, {}, {}, {}},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        cBrowseForFolder browser;
        browser.setUseNewUI(c.newUI);
        browser.setFileSystemOnly(c.fsOnly);
        browser.setEditBox(true);
        browser.setValidateEditBox(true);
        QStringList reported;
        QObject::connect(&browser, &cBrowseForFolder::SelectionChanged,
                         [&](const QString &path, bool &) { reported << path; });
        const QString chosen = browse(browser, [&](QDialog &dialog) {
            EXPECT_EQ(reported, QStringList{home}) << "the selection it opened with";
            auto *folders = dialog.findChild<QTreeView *>(QStringLiteral("folders"));
            QPushButton *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
            const QModelIndex top = folders->model()->index(0, 0, folders->model()->index(0, 0));
            EXPECT_TRUE(QTest::qWaitFor([&] { return folders->model()->rowCount(top) > 1; }));
            QTest::qWait(100);
            const QModelIndex current = folders->currentIndex();
            EXPECT_EQ(current, folders->model()->index(current.row(), 0, current.parent()));
            EXPECT_EQ(current.data().toString(), QDir(home).dirName());
            EXPECT_EQ(dialog.minimumSize() != dialog.maximumSize(), c.newUI);
            browser.SetStatus(QStringLiteral("Looking"));
            EXPECT_EQ(dialog.windowTitle() == u"Looking", c.newUI);
            if (c.computer) QTest::keyClick(folders, Qt::Key_Home);
            EXPECT_EQ(ok->isEnabled(), !(c.computer && c.fsOnly));
            QTest::keyClicks(dialog.findChild<QLineEdit *>(), c.typed + u'\r');
            EXPECT_EQ(dialog.isVisible(), c.computer && c.fsOnly); // OK disabled
        });
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(browser.DisplayName().toString(), c.shown);
    }
}

} // namespace

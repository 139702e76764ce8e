// The built-in Qt folder picker driven end to end through cBrowseForFolder, offscreen: the
// test acts from inside the dialog's event loop, and a timer closes any dialog left open so
// that no test can hang.

#include "folderbrowser/cBrowseForFolder.h"
#include "platform/Shell.h"
#include "tests/support/Printers.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace tabulon;

class FolderPicker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *folder : {"alpha/beta", "gamma/sub", "delta"})
            ASSERT_TRUE(QDir(tree.path()).mkpath(QLatin1String(folder)));
        liveBefore = platform::ShellAllocator::instance().liveLists();
        QTimer::singleShot(20000, &safetyNet, [] {
            if (QWidget *open = QApplication::activeModalWidget()) open->close();
        });
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::ShellAllocator::instance().liveLists(), liveBefore);
    }

    QString at(const char *relative) const
    {
        return QDir::cleanPath(tree.path() + u'/' + QLatin1String(relative));
    }

    // Runs `drive` on the open dialog once it is up, from inside BrowseForFolder.
    QString browse(cBrowseForFolder &browser, std::function<void(QDialog &)> drive)
    {
        QObject::connect(&browser, &cBrowseForFolder::Initialized, &browser, [drive] {
            QTimer::singleShot(0, [drive] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                if (!dialog) {
                    ADD_FAILURE() << "no dialog";
                    return;
                }
                drive(*dialog);
            });
        });
        return browser.BrowseForFolder();
    }

    QTemporaryDir tree;
    QObject safetyNet;
    int liveBefore = 0;
};

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

TEST_F(FolderPicker, SelectsTypesValidatesAndChoosesAFolder)
{
    cBrowseForFolder browser;
    browser.setRootDir(tree.path());
    browser.setInitialDir(at("alpha"));
    browser.setTitle(QStringLiteral("Where do the drawings go?"));
    browser.setEditBox(true);
    browser.setStatusText(true);
    browser.setValidateEditBox(true);
    QStringList events;
    QObject::connect(&browser, &cBrowseForFolder::SelectionChanged,
                     [&](const QString &path, bool &) { events << path; });
    QObject::connect(&browser, &cBrowseForFolder::ValidationFailed,
                     [&](const QString &text, bool &keepOpen) {
                         events << text;
                         keepOpen = true;
                     });

    const QString chosen = browse(browser, [&](QDialog &dialog) {
        auto *folders = dialog.findChild<QTreeView *>(QStringLiteral("folders"));
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("folder"));
        auto *status = dialog.findChild<QLabel *>(QStringLiteral("status"));
        QPushButton *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        ASSERT_TRUE(folders && edit && status && ok);
        // The tree's model keeps the rules of item models while folders load and sort.
        QAbstractItemModelTester tester(folders->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("title"))->text(), browser.Title());
        EXPECT_EQ(folders->model()->rowCount(folders->rootIndex()), 1) << "the root alone on top";
        EXPECT_EQ(folders->currentIndex().data().toString(), QStringLiteral("alpha"));
        EXPECT_EQ(edit->text(), QStringLiteral("alpha"));
        EXPECT_EQ(status->toolTip(), at("alpha"));

        const QModelIndex root = folders->model()->index(0, 0, folders->rootIndex());
        const QModelIndex gamma = childNamed(*folders, root, QStringLiteral("gamma"));
        ASSERT_TRUE(gamma.isValid());
        QTest::mouseClick(folders->viewport(), Qt::LeftButton, {},
                          folders->visualRect(gamma).center());
        EXPECT_EQ(status->toolTip(), at("gamma"));
        EXPECT_EQ(edit->text(), QStringLiteral("gamma"));

        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("nosuch"));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(status->toolTip(), QStringLiteral("Path invalid: nosuch"));
        EXPECT_FALSE(ok->isEnabled());

        // New text re-enables OK; a name is taken below the selected folder.
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("sub"));
        EXPECT_TRUE(ok->isEnabled());
        QTest::mouseClick(ok, Qt::LeftButton);
    });

    EXPECT_EQ(chosen, at("gamma/sub"));
    EXPECT_EQ(browser.DisplayName().toString(), QStringLiteral("sub"));
    EXPECT_EQ(events, (QStringList{at("alpha"), at("gamma"), "Path invalid: nosuch"}));
}

TEST_F(FolderPicker, ClosingTheDialog)
{
    const auto click = [](QDialogButtonBox::StandardButton which) {
        return [which](QDialog &d) {
            QTest::mouseClick(d.findChild<QDialogButtonBox *>()->button(which), Qt::LeftButton);
        };
    };
    // The computer, on top, is an item without a path.
    const auto computerThenOk = [click](QDialog &d) {
        QTest::keyClick(d.findChild<QTreeView *>(QStringLiteral("folders")), Qt::Key_Home);
        click(QDialogButtonBox::Ok)(d);
    };
    const QString home = QDir::cleanPath(QDir::homePath());
    const struct
    {
        const char *name;
        bool newUI, fileSystemOnly;
        std::function<void(QDialog &)> close;
        QString chosen, displayName;
    } cases[] = {
        {"Cancel", false, false, click(QDialogButtonBox::Cancel), {}, {}},
        {"Escape", true, false, [](QDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); }, {}, {}},
        {"window closed", false, false, [](QDialog &d) { d.close(); }, {}, {}},
        // The edit box shows the selection's name, which is no reason to refuse it.
        {"OK, name untouched", false, false, click(QDialogButtonBox::Ok), home,
         QFileInfo(home).fileName()},
        {"the computer", false, false, computerThenOk, {}, "Computer"},
        {"the computer, file-system only: OK disabled",
         false,
         true,
         [](QDialog &d) {
             QTest::keyClick(d.findChild<QTreeView *>(QStringLiteral("folders")), Qt::Key_Home);
             EXPECT_FALSE(
                 d.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
             QTest::keyClick(&d, Qt::Key_Escape);
         },
         {},
         {}},
    };
    for (const auto &c : cases) {
        cBrowseForFolder browser;
        browser.setUseNewUI(c.newUI);
        browser.setFileSystemOnly(c.fileSystemOnly);
        browser.setEditBox(true);
        browser.setValidateEditBox(true);
        const QString chosen = browse(browser, [&](QDialog &dialog) {
            // Without a root the computer shows, opened at the home folder.
            auto *folders = dialog.findChild<QTreeView *>(QStringLiteral("folders"));
            const QModelIndex computer = folders->model()->index(0, 0);
            EXPECT_EQ(computer.data().toString(), QStringLiteral("Computer")) << c.name;
            const QModelIndex top = folders->model()->index(0, 0, computer);
            EXPECT_EQ(top.data().toString(), QStringLiteral("/")) << c.name;
            // The selection stays on its folder while the model reads and sorts the others.
            EXPECT_TRUE(childNamed(*folders, top, QStringLiteral("tmp")).isValid()) << c.name;
            QTest::qWait(100);
            const QModelIndex current = folders->currentIndex();
            EXPECT_EQ(current, folders->model()->index(current.row(), 0, current.parent()))
                << c.name;
            EXPECT_EQ(folders->currentIndex().data().toString(), QDir(QDir::homePath()).dirName())
                << c.name;
            EXPECT_EQ(dialog.minimumSize() != dialog.maximumSize(), c.newUI) << c.name;
            c.close(dialog);
        });
        EXPECT_EQ(chosen, c.chosen) << c.name;
        EXPECT_EQ(browser.DisplayName().toString(), c.displayName) << c.name;
    }
}

} // namespace

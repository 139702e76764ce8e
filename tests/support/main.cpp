#include "platform/FileDialogService.h"
#include "platform/FolderDialogService.h"
#include "platform/MessageBoxService.h"
#include "platform/ModalDialogService.h"

#include <QApplication>
#include <QDialog>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

using namespace tabulon::platform;

// The process-wide default of every modal facility while tests run. A test that reaches a real
// dialog would wait on it until its timeout, hiding which test it was; this fails that test at
// once, saying what was about to be shown, and answers as a person who cancels.
class UnexpectedModals final : public MessageBoxService,
                               public FileDialogService,
                               public FolderDialogService,
                               public ModalDialogService
{
public:
    void warning(QWidget *, const QString &text, const QString &title) override
    {
        ADD_FAILURE() << "unexpected message box \"" << title.toStdString()
                      << "\": " << text.toStdString();
    }
    std::optional<QString> openFile(QWidget *, const OpenRequest &) override
    {
        ADD_FAILURE() << "unexpected file dialog";
        return std::nullopt;
    }
    ItemIdList *browse(Request &) override
    {
        ADD_FAILURE() << "unexpected folder dialog";
        return nullptr;
    }
    int exec(QDialog &dialog) override
    {
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog.windowTitle().toStdString() << '"';
        return QDialog::Rejected;
    }
};

} // namespace

// Runs every test inside one QApplication on the offscreen platform, with no real dialog and
// with the locale pinned to en_US so that formatting and parsing are the same on every machine.
// Tests that need another locale set it themselves and restore it.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    UnexpectedModals unexpected;
    MessageBoxService::setInstance(&unexpected);
    FileDialogService::setInstance(&unexpected);
    FolderDialogService::setInstance(&unexpected);
    ModalDialogService::setInstance(&unexpected);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "platform/FolderDialogService.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace tabulon::platform {

namespace {

// A plain QFileDialog in folder mode. It has no status line and manages its OK button itself,
// so it ignores those two requests, and it refuses typed paths that name no folder on its own,
// so it never reports a failed validation.
class QtFolderDialog : public FolderDialogService::Dialog
{
public:
    explicit QtFolderDialog(QFileDialog &dialog) : m_dialog(dialog) {}

    void setSelection(const QString &path) override
    {
        if (path.isEmpty()) return;
        const QFileInfo info(path);
        m_dialog.setDirectory(info.absolutePath());
        m_dialog.selectFile(info.absoluteFilePath());
    }
    void setStatusText(const QString &) override {}
    void setOkEnabled(bool) override {}
    QWidget *window() override { return &m_dialog; }

private:
    QFileDialog &m_dialog;
};

class QtFolderDialogService : public FolderDialogService
{
public:
    std::optional<Selection> browse(const Request &request) override
    {
        QFileDialog dialog(request.owner, request.title, request.root);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        // The Qt dialog, not the desktop's: only it reports selection changes.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QtFolderDialog handle(dialog);
        if (Listener *listener = request.listener) {
            QObject::connect(
                &dialog, &QFileDialog::currentChanged, &dialog,
                [&](const QString &path) { listener->selectionChanged(handle, path); });
            // Once the dialog is up, that is on the first turn of its event loop.
            QTimer::singleShot(0, &dialog, [&] { listener->initialized(handle); });
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString path = dialog.selectedFiles().constFirst();
        const QString name = QFileInfo(path).fileName();
        return Selection{path, name.isEmpty() ? path : name};
    }
};

FolderDialogService *installed = nullptr;

} // namespace

FolderDialogService::Dialog::~Dialog() = default;
FolderDialogService::Listener::~Listener() = default;
FolderDialogService::~FolderDialogService() = default;

FolderDialogService &FolderDialogService::instance()
{
    static QtFolderDialogService qt;
    return installed ? *installed : qt;
}

FolderDialogService *FolderDialogService::setInstance(FolderDialogService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform

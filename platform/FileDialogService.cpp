#include "platform/FileDialogService.h"

#include <QFileDialog>

#include <utility>

namespace tabulon::platform {

namespace {

class QtFileDialogService : public FileDialogService
{
public:
    std::optional<QString> openFile(QWidget *parent, const OpenRequest &request) override
    {
        QFileDialog dialog(parent, request.title, request.folder, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
};

FileDialogService *installed = nullptr;

} // namespace

FileDialogService::~FileDialogService() = default;

FileDialogService &FileDialogService::instance()
{
    static QtFileDialogService qt;
    return installed ? *installed : qt;
}

FileDialogService *FileDialogService::setInstance(FileDialogService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform

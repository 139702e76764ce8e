#include "platform/ModalDialogService.h"

#include <QDialog>

#include <utility>

namespace tabulon::platform {

namespace {

class QtModalDialogService : public ModalDialogService
{
public:
    int exec(QDialog &dialog) override { return dialog.exec(); }
};

ModalDialogService *installed = nullptr;

} // namespace

ModalDialogService::~ModalDialogService() = default;

ModalDialogService &ModalDialogService::instance()
{
    static QtModalDialogService qt;
    return installed ? *installed : qt;
}

ModalDialogService *ModalDialogService::setInstance(ModalDialogService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform

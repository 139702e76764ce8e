#include "platform/MessageBoxService.h"

#include <QMessageBox>

#include <utility>

namespace tabulon::platform {

namespace {

class QtMessageBoxService : public MessageBoxService
{
public:
    void warning(QWidget *parent, const QString &text, const QString &title) override
    {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
        box.exec();
    }
};

MessageBoxService *installed = nullptr;

} // namespace

MessageBoxService::~MessageBoxService() = default;

MessageBoxService &MessageBoxService::instance()
{
    static QtMessageBoxService qt;
    return installed ? *installed : qt;
}

MessageBoxService *MessageBoxService::setInstance(MessageBoxService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform

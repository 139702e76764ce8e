#include "platform/ComponentService.h"

#include "core/Error.h"

#include <utility>

namespace tabulon::platform {

namespace {

class NoComponentService : public ComponentService
{
public:
    std::unique_ptr<QObject> create(const QString &identifier) override
    {
        throw Error(Error::NotAvailable, QStringLiteral("ComponentService"),
                    QStringLiteral("No component is registered as \"%1\"").arg(identifier));
    }
};

ComponentService *installed = nullptr;

} // namespace

ComponentService::~ComponentService() = default;

ComponentService &ComponentService::instance()
{
    static NoComponentService none;
    return installed ? *installed : none;
}

ComponentService *ComponentService::setInstance(ComponentService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform

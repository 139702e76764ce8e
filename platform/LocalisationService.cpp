#include "platform/LocalisationService.h"

#include <utility>

namespace tabulon::platform {

namespace {

class UntranslatedLocalisationService : public LocalisationService
{
public:
    QString translate(const QString &, const QString &text) override { return text; }
    std::optional<QString> string(int) override { return std::nullopt; }
};

LocalisationService *installed = nullptr;

} // namespace

LocalisationService::~LocalisationService() = default;

LocalisationService &LocalisationService::instance()
{
    static UntranslatedLocalisationService untranslated;
    return installed ? *installed : untranslated;
}

LocalisationService *LocalisationService::setInstance(LocalisationService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform

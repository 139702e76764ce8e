#pragma once

#include "../core/Export.h"

#include <QObject>
#include <QString>

#include <memory>

namespace tabulon::platform {

// Outside components, created by the identifier under which a host registers them (the
// document platform's client and the like).
class TABULON_EXPORT ComponentService
{
public:
    virtual ~ComponentService();

    // A new instance of the component registered as `identifier`, owned by the caller, who
    // reaches the interface it expects with qobject_cast (interfaces declared with
    // Q_DECLARE_INTERFACE). Null when the component gives no object. Throws platform::Error when
    // no component is registered as `identifier` or creating it fails.
    virtual std::unique_ptr<QObject> create(const QString &identifier) = 0;

    // The process-wide default: the one installed, else one that knows no components.
    static ComponentService &instance();
    // Installs the process-wide default (not owned; nullptr restores the built-in one) and
    // returns the one installed before it.
    static ComponentService *setInstance(ComponentService *service);
};

} // namespace tabulon::platform

#pragma once

#include "../core/Export.h"

#include <QString>

#include <optional>

namespace tabulon::platform {

// Localisation: translated texts of the dialogs, and localised strings by number (the folder
// browser's default title).
class TABULON_EXPORT LocalisationService
{
public:
    virtual ~LocalisationService();

    // `text`, one of the texts of the dialog or component `context` ("frmExpressionBuilder"), in
    // the user's language; `text` itself when there is no translation.
    virtual QString translate(const QString &context, const QString &text) = 0;
    // The localised string numbered `id`, or nothing when there is none. Callers treat a throw
    // the same as nothing.
    virtual std::optional<QString> string(int id) = 0;

    // The process-wide default: the one installed, else one that leaves every text as it is and
    // has no strings.
    static LocalisationService &instance();
    // Installs the process-wide default (not owned; nullptr restores the built-in one) and
    // returns the one installed before it.
    static LocalisationService *setInstance(LocalisationService *service);
};

} // namespace tabulon::platform

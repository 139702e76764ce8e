#pragma once

#include "../core/Export.h"

#include <QString>

class QWidget;

namespace tabulon::platform {

// Message boxes: every message the library shows to people.
class TABULON_EXPORT MessageBoxService
{
public:
    virtual ~MessageBoxService();

    // Shows `text` over `parent` in a box titled `title`, with the warning (exclamation) icon
    // and one OK button, and returns when it has been closed.
    virtual void warning(QWidget *parent, const QString &text, const QString &title) = 0;

    // The process-wide default: the one installed, else a QMessageBox.
    static MessageBoxService &instance();
    // Installs the process-wide default (not owned; nullptr restores the QMessageBox) and
    // returns the one installed before it.
    static MessageBoxService *setInstance(MessageBoxService *service);
};

} // namespace tabulon::platform

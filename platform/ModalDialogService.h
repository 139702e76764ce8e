#pragma once

#include "../core/Export.h"

class QDialog;

namespace tabulon::platform {

// Modal showing of the library's own dialogs (the expression builder and the like).
class TABULON_EXPORT ModalDialogService
{
public:
    virtual ~ModalDialogService();

    // Shows `dialog` modally and returns its result code (QDialog::Accepted, QDialog::Rejected or
    // what it was closed with) once it has been closed. The dialog is hidden, not destroyed.
    virtual int exec(QDialog &dialog) = 0;

    // The process-wide default: the one installed, else QDialog::exec().
    static ModalDialogService &instance();
    // Installs the process-wide default (not owned; nullptr restores QDialog::exec()) and
    // returns the one installed before it.
    static ModalDialogService *setInstance(ModalDialogService *service);
};

} // namespace tabulon::platform

#pragma once

#include "../core/Export.h"

#include <QString>

#include <optional>

class QWidget;

namespace tabulon::platform {

// The file dialog: asks the user for one existing file.
class TABULON_EXPORT FileDialogService
{
public:
    struct OpenRequest
    {
        QString title;
        QString folder;   // the folder shown first; empty: the dialog's own choice
        QString fileName; // the file name proposed; empty: none
        QString filter;   // name filters as QFileDialog takes them ("Drawings (*.dxf)"); empty: all
    };

    virtual ~FileDialogService();

    // Shows an open-file dialog over `parent` and returns the full path of the file chosen, or
    // nothing when the user cancels. Only an existing file can be chosen. May throw when the
    // dialog cannot be shown.
    virtual std::optional<QString> openFile(QWidget *parent, const OpenRequest &request) = 0;

    // The process-wide default: the one installed, else a QFileDialog.
    static FileDialogService &instance();
    // Installs the process-wide default (not owned; nullptr restores the QFileDialog) and
    // returns the one installed before it.
    static FileDialogService *setInstance(FileDialogService *service);
};

} // namespace tabulon::platform

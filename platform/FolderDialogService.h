#pragma once

#include "../core/Export.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class QWidget;

namespace tabulon::platform {

// The folder-selection dialog as the folder browser runs it: one request, notifications to the
// browser while the dialog is open, and the chosen item when it closes.
class TABULON_EXPORT FolderDialogService
{
public:
    // The open dialog, for the listener to act on from its notifications.
    class TABULON_EXPORT Dialog
    {
    public:
        virtual ~Dialog();
        // Selects the folder at `path`; an empty path selects nothing.
        virtual void setSelection(const QString &path) = 0;
        virtual void setStatusText(const QString &text) = 0;
        virtual void setOkEnabled(bool enabled) = 0;
        // The dialog's window, for its caption and the focus.
        virtual QWidget *window() = 0;
    };

    // Told, on the caller's thread and from inside browse(), what happens while the dialog is
    // open.
    class TABULON_EXPORT Listener
    {
    public:
        virtual ~Listener();
        // The dialog is up; the listener may now select the initial folder.
        virtual void initialized(Dialog &dialog) = 0;
        // The selection moved; `path` is empty for an item that has no file-system path.
        virtual void selectionChanged(Dialog &dialog, const QString &path) = 0;
        // OK was chosen with typed text that names no folder; true keeps the dialog open.
        virtual bool validationFailed(Dialog &dialog, const QString &text) = 0;
    };

    struct Request
    {
        QWidget *owner = nullptr;
        QString title;                // the instruction above the folders
        QString root;                 // the top of what can be browsed; empty: everything
        quint32 flags = 0;            // the browser's option bits; a dialog ignores those it
                                      // does not support
        Listener *listener = nullptr; // not owned; may be null
    };

    struct Selection
    {
        QString path; // empty when the chosen item has no file-system path
        QString displayName;
    };

    virtual ~FolderDialogService();

    // Runs the dialog modally and returns the chosen item, or nothing when the user cancels.
    virtual std::optional<Selection> browse(const Request &request) = 0;

    // The process-wide default: the one installed, else a QFileDialog choosing a folder.
    static FolderDialogService &instance();
    // Installs the process-wide default (not owned; nullptr restores the QFileDialog) and
    // returns the one installed before it.
    static FolderDialogService *setInstance(FolderDialogService *service);
};

} // namespace tabulon::platform

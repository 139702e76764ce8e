#pragma once

#include "../core/Export.h"
#include "Shell.h"

#include <QByteArray>
#include <QtGlobal>

class QWidget;

namespace tabulon::platform {

// The shell's folder-selection dialog: shows one request modally, tells the request's callback
// what happens while it is open, obeys the messages the callback sends back, and answers the
// chosen item.
class TABULON_EXPORT FolderDialogService
{
public:
    // The open dialog, as the callback and its listeners act on it.
    class TABULON_EXPORT Dialog
    {
    public:
        virtual ~Dialog();
        // BFFM_SETSTATUSTEXTA (0x464): the status line's text; ignored without a status line.
        virtual void setStatusText(const QByteArray &text) = 0;
        // BFFM_ENABLEOK (0x465): enables or disables OK for the current selection.
        virtual void enableOk(bool enabled) = 0;
        // BFFM_SETSELECTIONA (0x466): selects `item` (not taken over); null selects nothing.
        virtual void setSelection(const ItemIdList *item) = 0;
        // The window's caption.
        virtual void setWindowText(const QByteArray &text) = 0;
        // Gives the window the keyboard focus.
        virtual void setFocus() = 0;
        // Ends the showing as Cancel does.
        virtual void close() = 0;
        // The dialog's window, for hosts that place their own windows over it.
        virtual QWidget *window() = 0;
    };

    // What the callback is told with a notification: the new selection for BFFM_SELCHANGED
    // (null when there is none), the typed text for BFFM_VALIDATEFAILEDA.
    struct Notification
    {
        const ItemIdList *item = nullptr;
        QByteArray text;
    };

    // Called on the caller's thread from inside browse(). For BFFM_VALIDATEFAILEDA a non-zero
    // answer keeps the dialog open; the answer to the others is ignored.
    using Callback = qint32 (*)(Dialog &dialog, unsigned message, const Notification &param,
                                void *data);

    // The request record.
    struct Request
    {
        QWidget *owner = nullptr;
        const ItemIdList *root = nullptr; // top of the browsable tree; null: the whole computer
        PathBuffer displayName{};         // receives the chosen item's name, zero-terminated
        QByteArray title;                 // the instruction above the tree
        quint32 flags = 0;                // BIF_ bits; a dialog ignores those it lacks
        Callback callback = nullptr;
        void *callbackData = nullptr;
        int image = 0;
    };

    virtual ~FolderDialogService();

    // Runs the dialog modally. Answers the chosen item's list, which the caller releases with
    // the ShellAllocator, and its name in request.displayName; null when the user cancels.
    virtual ItemIdList *browse(Request &request) = 0;

    // The process-wide default: the one installed, else the built-in Qt folder dialog.
    static FolderDialogService &instance();
    // Installs the process-wide default (not owned; nullptr restores the built-in one) and
    // returns the one installed before it.
    static FolderDialogService *setInstance(FolderDialogService *service);
};

} // namespace tabulon::platform

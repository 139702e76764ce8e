#include "folderbrowser/mBrowseForFolder.h"

#include "folderbrowser/cBrowseForFolder_p.h"

namespace tabulon::mBrowseForFolder {

using platform::FolderDialogService;

platform::ShellAllocator &allocator()
{
    static platform::ShellAllocator &shellAllocator = platform::ShellAllocator::instance();
    return shellAllocator;
}

QString stringFromNarrow(const char *text)
{
    return text ? QString::fromLocal8Bit(text) : QString();
}

QString pathFromIdList(const platform::ItemIdList *list)
{
    platform::PathBuffer buffer{};
    if (!platform::getPathFromIdList(list, buffer)) return {};
    return stringFromNarrow(buffer.data());
}

quint32 browseFlags(bool editBox, bool statusText, bool fileSystemOnly, bool validateEditBox,
                    bool useNewUI)
{
    using namespace platform;
    quint32 flags = 0;
    if (editBox) flags |= BIF_EDITBOX;
    if (statusText) flags |= BIF_STATUSTEXT;
    if (fileSystemOnly) flags |= BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    if (validateEditBox) flags |= BIF_VALIDATE;
    if (useNewUI) flags |= BIF_NEWDIALOGSTYLE;
    return flags;
}

qint32 BrowseCallbackProc(FolderDialogService::Dialog &dialog, unsigned message,
                          const FolderDialogService::Notification &param, void *data)
{
    auto *showing = static_cast<Showing *>(data);
    // Looked up afresh each time: a handler may have deleted the component.
    const auto component = [showing]() -> cBrowseForFolderPrivate * {
        return showing && showing->component ? cBrowseForFolderPrivate::get(showing->component)
                                             : nullptr;
    };
    try {
        switch (message) {
        case platform::BFFM_INITIALIZED:
            if (cBrowseForFolderPrivate *c = component()) {
                // Known before the initial selection, so that SetStatus works from the
                // SelectionChanged it raises.
                c->mDialogWnd = &dialog;
                if (const platform::ItemIdList *initial = c->initialIdList())
                    dialog.setSelection(initial);
            }
            if (cBrowseForFolderPrivate *c = component()) c->initialized(dialog);
            return 0;
        case platform::BFFM_SELCHANGED: {
            // The path goes to the status line whether or not the component asked for one.
            const QString path = pathFromIdList(param.item);
            dialog.setStatusText(path.toLocal8Bit());
            if (cBrowseForFolderPrivate *c = component())
                dialog.enableOk(c->selectionChanged(path));
            return 0;
        }
        case platform::BFFM_VALIDATEFAILEDA: {
            dialog.enableOk(false);
            const QString text =
                QStringLiteral("Path invalid: ") + stringFromNarrow(param.text.constData());
            dialog.setStatusText(text.toLocal8Bit());
            if (cBrowseForFolderPrivate *c = component()) return c->validationFailed(text) ? 1 : 0;
            return 0;
        }
        default:
            return 0;
        }
    } catch (...) {
        // Nothing may unwind through the dialog's event loop: the showing ends, and
        // BrowseForFolder hands the failure to its caller once the dialog has closed.
        if (showing && !showing->failure) showing->failure = std::current_exception();
        dialog.close();
        return 0;
    }
}

} // namespace tabulon::mBrowseForFolder

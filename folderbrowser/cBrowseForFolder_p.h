#pragma once

#include "folderbrowser/cBrowseForFolder.h"
#include "folderbrowser/mBrowseForFolder.h"

#include <QPointer>
#include <QWidget>

namespace tabulon {

class cBrowseForFolderPrivate
{
public:
    explicit cBrowseForFolderPrivate(cBrowseForFolder *q, const platform::Services &services);
    static cBrowseForFolderPrivate *get(cBrowseForFolder *q) { return q->d.get(); }

    quint32 flags() const;
    // Resolves `path` to its full form, writes that back into `path` and answers the list of
    // the item there, or null when no item is there. Raises the system error when the path
    // does not resolve.
    mBrowseForFolder::IdList idListFromPath(QString &path) const;
    // The open dialog, or the not-displayed error.
    platform::FolderDialogService::Dialog *openDialog() const;

    // What the callback asks of the component while the dialog is open. The last two raise
    // an event whose handler may delete the component: they answer from locals only.
    const platform::ItemIdList *initialIdList() const { return mInitialPidl; }
    void initialized(platform::FolderDialogService::Dialog &dialog);
    bool selectionChanged(const QString &path);
    bool validationFailed(const QString &text);

    cBrowseForFolder *const q;
    const platform::Services services;
    QPointer<QWidget> hwndOwner;
    QString Title;
    QString InitialDir;
    QString RootDir;
    bool EditBox = false;
    bool StatusText = false;
    bool FileSystemOnly = false;
    bool ValidateEditBox = false;
    bool UseNewUI = false;
    platform::Variant displayName;
    const platform::ItemIdList *mInitialPidl = nullptr; // owned by the running showing
    bool mShown = false;
    platform::FolderDialogService::Dialog *mDialogWnd = nullptr;
};

} // namespace tabulon

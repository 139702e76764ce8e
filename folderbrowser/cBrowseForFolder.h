#pragma once

#include "../core/Export.h"
#include "../core/Variant.h"
#include "../platform/Services.h"

#include <QObject>
#include <QString>

#include <memory>

class QWidget;

namespace tabulon {

class cBrowseForFolderPrivate;

// Shows the folder-selection dialog and returns the chosen folder's path. Options are Boolean
// properties; while the dialog is open the component raises Initialized, SelectionChanged and
// ValidationFailed, and its handlers may move the selection with SetFolder and set the status
// with SetStatus.
//
//     tabulon::cBrowseForFolder browser;
//     browser.setInitialDir(current);
//     browser.setEditBox(true);
//     const QString chosen = browser.BrowseForFolder();   // empty: cancelled
class TABULON_EXPORT cBrowseForFolder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QWidget *hwndOwner READ hwndOwner WRITE setHwndOwner)
    Q_PROPERTY(QString Title READ Title WRITE setTitle)
    Q_PROPERTY(QString InitialDir READ InitialDir WRITE setInitialDir)
    Q_PROPERTY(QString RootDir READ RootDir WRITE setRootDir)
    Q_PROPERTY(bool EditBox READ EditBox WRITE setEditBox)
    Q_PROPERTY(bool StatusText READ StatusText WRITE setStatusText)
    Q_PROPERTY(bool FileSystemOnly READ FileSystemOnly WRITE setFileSystemOnly)
    Q_PROPERTY(bool ValidateEditBox READ ValidateEditBox WRITE setValidateEditBox)
    Q_PROPERTY(bool UseNewUI READ UseNewUI WRITE setUseNewUI)

public:
    // services: the folder dialog and the localisation (for the default title) this instance
    // uses; not owned, and a null one stands for its facility's process-wide default.
    explicit cBrowseForFolder(QObject *parent = nullptr, const platform::Services &services = {});
    ~cBrowseForFolder() override;

    // Sets the window which owns the dialog box.
    QWidget *hwndOwner() const;
    void setHwndOwner(QWidget *owner);
    // The instruction text above the folders; by default the localised string 30072, else
    // "Choose Folder".
    QString Title() const;
    void setTitle(const QString &title);
    // The folder selected when the dialog opens; empty: none. A showing rewrites it into its
    // full form.
    QString InitialDir() const;
    void setInitialDir(const QString &dir);
    // The top of the browsable tree; empty: the whole computer. A showing rewrites it into its
    // full form.
    QString RootDir() const;
    void setRootDir(const QString &dir);
    // Show an edit box in which a folder can be typed.
    bool EditBox() const;
    void setEditBox(bool on);
    // Show a status line.
    bool StatusText() const;
    void setStatusText(bool on);
    // Only file-system folders can be chosen.
    bool FileSystemOnly() const;
    void setFileSystemOnly(bool on);
    // Typed text that names no folder raises ValidationFailed instead of being ignored.
    bool ValidateEditBox() const;
    void setValidateEditBox(bool on);
    // The larger, resizable dialog; SetStatus then sets its caption.
    bool UseNewUI() const;
    void setUseNewUI(bool on);

    // Shows the dialog modally over hwndOwner. Answers the chosen folder's path; empty when the
    // user cancels or the chosen item has no file-system path. Raises 0x80047148 + the system
    // code when RootDir or InitialDir does not resolve, and passes on whatever an event handler
    // threw, after the dialog has closed.
    QString BrowseForFolder();
    // The display name of the item chosen in the last showing; empty before the first.
    platform::Variant DisplayName() const;
    // While the dialog is open: selects the folder at sPath and focuses the dialog.
    void SetFolder(const QString &sPath);
    // While the dialog is open: the status text, or with UseNewUI the caption.
    void SetStatus(const QString &sText);
    // The path of a special folder by the system's published identifier; empty when it has
    // none or the identifier is unknown. Never raises.
    QString SpecialFolderLocation(int eFolder) const;

Q_SIGNALS:
    // The dialog is up and its initial folder selected.
    void Initialized();
    // The selection moved; sPath is empty for an item without a path. Clearing bAllowOk
    // disables OK for this selection.
    void SelectionChanged(const QString &sPath, bool &bAllowOk);
    // OK was chosen with typed text that names no folder; sPath is "Path invalid: " and the
    // text. Setting bKeepOpen keeps the dialog open.
    void ValidationFailed(const QString &sPath, bool &bKeepOpen);

private:
    Q_DISABLE_COPY(cBrowseForFolder)
    friend class cBrowseForFolderPrivate;
    std::unique_ptr<cBrowseForFolderPrivate> const d;
};

} // namespace tabulon

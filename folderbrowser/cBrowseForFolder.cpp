#include "folderbrowser/cBrowseForFolder.h"

#include "core/Error.h"
#include "folderbrowser/cBrowseForFolder_p.h"
#include "platform/LocalisationService.h"

#include <QScopeGuard>

#include <tuple>
#include <utility>

namespace tabulon {

using platform::FolderDialogService;
using namespace mBrowseForFolder;

namespace {

constexpr int kTitleString = 30072;
constexpr int kNotDisplayed = 26000 + 2;
// The object-error base plus 29000; the system's error code is added to it.
constexpr quint32 kSystemErrorBase = 0x80047148u;

QString errorSource()
{
    return QStringLiteral("Tabulon.cBrowseForFolder");
}

[[noreturn]] void raiseNotDisplayed()
{
    throw platform::Error(kNotDisplayed, errorSource(),
                          QStringLiteral("Operation invalid unless dialog is displayed."));
}

[[noreturn]] void raiseSystemError(int code)
{
    throw platform::Error(int(kSystemErrorBase + quint32(code)), errorSource(),
                          platform::systemErrorText(code));
}

QString defaultTitle(platform::LocalisationService &localisation)
{
    try {
        if (const std::optional<QString> title = localisation.string(kTitleString)) return *title;
    } catch (...) {
        // A failing lookup is no reason to refuse the component: the built-in title stands.
    }
    return QStringLiteral("Choose Folder");
}

} // namespace

cBrowseForFolderPrivate::cBrowseForFolderPrivate(cBrowseForFolder *q,
                                                 const platform::Services &services)
    : q(q), services(services), Title(defaultTitle(platform::orDefault(services.localisation)))
{}

quint32 cBrowseForFolderPrivate::flags() const
{
    return browseFlags(EditBox, StatusText, FileSystemOnly, ValidateEditBox, UseNewUI);
}

IdList cBrowseForFolderPrivate::idListFromPath(QString &path) const
{
    const platform::FullPathName full = platform::getFullPathName(path);
    if (full.error) raiseSystemError(full.error);
    path = full.path;
    return IdList(platform::parseDisplayName(full.path));
}

FolderDialogService::Dialog *cBrowseForFolderPrivate::openDialog() const
{
    if (!mShown) raiseNotDisplayed();
    return mDialogWnd;
}

void cBrowseForFolderPrivate::initialized(FolderDialogService::Dialog &dialog)
{
    mDialogWnd = &dialog;
    Q_EMIT q->Initialized();
}

bool cBrowseForFolderPrivate::selectionChanged(const QString &path)
{
    bool bAllowOk = true;
    Q_EMIT q->SelectionChanged(path, bAllowOk);
    return bAllowOk;
}

bool cBrowseForFolderPrivate::validationFailed(const QString &text)
{
    bool bKeepOpen = false;
    Q_EMIT q->ValidationFailed(text, bKeepOpen);
    return bKeepOpen;
}

cBrowseForFolder::cBrowseForFolder(QObject *parent, const platform::Services &services)
    : QObject(parent), d(std::make_unique<cBrowseForFolderPrivate>(this, services))
{}

cBrowseForFolder::~cBrowseForFolder() = default;

QWidget *cBrowseForFolder::hwndOwner() const
{
    return d->hwndOwner;
}
void cBrowseForFolder::setHwndOwner(QWidget *owner)
{
    d->hwndOwner = owner;
}
QString cBrowseForFolder::Title() const
{
    return d->Title;
}
void cBrowseForFolder::setTitle(const QString &title)
{
    d->Title = title;
}
QString cBrowseForFolder::InitialDir() const
{
    return d->InitialDir;
}
void cBrowseForFolder::setInitialDir(const QString &dir)
{
    d->InitialDir = dir;
}
QString cBrowseForFolder::RootDir() const
{
    return d->RootDir;
}
void cBrowseForFolder::setRootDir(const QString &dir)
{
    d->RootDir = dir;
}
bool cBrowseForFolder::EditBox() const
{
    return d->EditBox;
}
void cBrowseForFolder::setEditBox(bool on)
{
    d->EditBox = on;
}
bool cBrowseForFolder::StatusText() const
{
    return d->StatusText;
}
void cBrowseForFolder::setStatusText(bool on)
{
    d->StatusText = on;
}
bool cBrowseForFolder::FileSystemOnly() const
{
    return d->FileSystemOnly;
}
void cBrowseForFolder::setFileSystemOnly(bool on)
{
    d->FileSystemOnly = on;
}
bool cBrowseForFolder::ValidateEditBox() const
{
    return d->ValidateEditBox;
}
void cBrowseForFolder::setValidateEditBox(bool on)
{
    d->ValidateEditBox = on;
}
bool cBrowseForFolder::UseNewUI() const
{
    return d->UseNewUI;
}
void cBrowseForFolder::setUseNewUI(bool on)
{
    d->UseNewUI = on;
}

QString cBrowseForFolder::BrowseForFolder()
{
    FolderDialogService::Request request;
    request.owner = d->hwndOwner;
    request.title = d->Title.toLocal8Bit();
    request.flags = d->flags();

    // Locals, not members: they are released on every way out, also when a handler deleted
    // this component or threw.
    IdList root, initial;
    if (!d->RootDir.isEmpty()) root = d->idListFromPath(d->RootDir);
    if (!d->InitialDir.isEmpty()) initial = d->idListFromPath(d->InitialDir);
    request.root = root.get();

    Showing showing{this, {}};
    request.callback = &BrowseCallbackProc;
    request.callbackData = &showing;

    FolderDialogService &dialog = platform::orDefault(d->services.folderDialog);
    // A handler may show this component again from inside; the outer showing gets its state
    // back when the inner one closes.
    const auto outer = std::make_tuple(d->mInitialPidl, d->mShown, d->mDialogWnd);
    d->mInitialPidl = initial.get();
    d->mShown = true;
    d->mDialogWnd = nullptr;
    const auto closed = qScopeGuard([&] {
        if (showing.component) std::tie(d->mInitialPidl, d->mShown, d->mDialogWnd) = outer;
    });
    const IdList chosen(dialog.browse(request));

    if (showing.component) {
        request.displayName.back() = '\0';
        d->displayName = stringFromNarrow(request.displayName.data());
    }
    if (showing.failure) std::rethrow_exception(showing.failure);
    return pathFromIdList(chosen.get());
}

platform::Variant cBrowseForFolder::DisplayName() const
{
    return d->displayName;
}

void cBrowseForFolder::SetFolder(const QString &sPath)
{
    FolderDialogService::Dialog *dialog = d->openDialog();
    QString path = sPath;
    const IdList list = d->idListFromPath(path);
    if (!dialog) return;
    dialog->setSelection(list.get());
    dialog->setFocus();
}

void cBrowseForFolder::SetStatus(const QString &sText)
{
    FolderDialogService::Dialog *dialog = d->openDialog();
    if (!dialog) return;
    if (d->UseNewUI)
        dialog->setWindowText(sText.toLocal8Bit());
    else
        dialog->setStatusText(sText.toLocal8Bit());
}

QString cBrowseForFolder::SpecialFolderLocation(int eFolder) const
{
    try {
        const IdList list(platform::specialFolderLocation(eFolder));
        return pathFromIdList(list.get());
    } catch (...) {
        return {};
    }
}

} // namespace tabulon

#pragma once

#include "platform/FileDialogService.h"
#include "platform/FileSystemService.h"
#include "platform/FolderDialogService.h"
#include "platform/LocalisationService.h"
#include "platform/MessageBoxService.h"
#include "platform/ModalDialogService.h"
#include "platform/Services.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Recording fakes of the outside services, one per facility: each records what it was asked
// and answers what the test scripted, so that no test ever waits on a modal window.

namespace tabulon::test {

class RecordingMessageBox : public platform::MessageBoxService
{
public:
    struct Message
    {
        QString text;
        QString title;
    };

    void warning(QWidget *parent, const QString &text, const QString &title) override;

    std::vector<Message> messages;
    // Called after a message is recorded, to act while the "box" is open.
    std::function<void(const Message &)> onMessage;
};

class RecordingFileDialog : public platform::FileDialogService
{
public:
    std::optional<QString> openFile(QWidget *parent, const OpenRequest &request) override;

    std::vector<OpenRequest> requests;
    // The answers, one per request in order (nothing: the user cancels); once they run out,
    // every request is cancelled.
    std::deque<std::optional<QString>> answers;
    // When set, openFile() throws platform::Error with this description.
    QString failure;
};

// The folder dialog, scripted: after BFFM_INITIALIZED it plays the steps of `script` and
// records the messages the callback sends it.
class RecordingFolderDialog : public platform::FolderDialogService
{
public:
    platform::ItemIdList *browse(Request &request) override;

    // What one showing was asked for.
    struct Shown
    {
        QWidget *owner = nullptr;
        QString title;
        quint32 flags = 0;
        QString root; // the root item's path; empty without one
    };
    std::vector<Shown> requests;

    // The user's steps, in order; the showing always ends as Cancel, when they run out or
    // sooner:
    //   "select PATH"  the selection moves to the folder at PATH (need not exist);
    //   "type TEXT"    OK with TEXT, naming no folder, in the edit box: the callback is told
    //                  as under BIF_VALIDATE, and the showing ends unless it answers non-zero.
    QStringList script;
    // What the dialog received, in order: "select PATH" (":NAME" for a virtual item, "select"
    // for none), "status TEXT", "ok 1", "ok 0", "caption TEXT", "focus" and "close".
    QStringList messages;
    QWidget window;

private:
    friend class RecordingFolderDialogHandle;
    void moveTo(platform::ItemIdList *item); // takes `item` over
    qint32 notify(unsigned message, const platform::ItemIdList *item, const QByteArray &text);

    Request *m_request = nullptr;
    platform::ItemIdList *m_selection = nullptr;
    bool m_closed = false;
};

class RecordingModalDialog : public platform::ModalDialogService
{
public:
    // Shows the dialog (not modally), runs onShow, closes it as Cancel would when it is still
    // open, and returns its result.
    int exec(QDialog &dialog) override;

    // The object names of the dialogs shown, in order.
    QStringList shown;
    // Acts while the dialog is up, as a user would: fills in fields, clicks OK.
    std::function<void(QDialog &)> onShow;
};

class RecordingLocalisation : public platform::LocalisationService
{
public:
    QString translate(const QString &context, const QString &text) override;
    std::optional<QString> string(int id) override;

    // Translations by source text; texts without one come back unchanged.
    QHash<QString, QString> translations;
    QHash<int, QString> strings;
    // What was asked, in order: "CONTEXT|TEXT" or "#ID".
    QStringList asked;
};

class RecordingFileSystem : public platform::FileSystemService
{
public:
    std::unique_ptr<platform::FileSystem> createFileSystem() override;

    // When set, createFileSystem() throws platform::Error with this description.
    QString failure;
    int created = 0;
};

// One fake of every facility in use (outside components have none: the process default,
// which knows no component, serves); converts to the platform::Services a control takes.
struct RecordingServices
{
    RecordingMessageBox messageBox;
    RecordingFileDialog fileDialog;
    RecordingFolderDialog folderDialog;
    RecordingModalDialog modalDialog;
    RecordingLocalisation localisation;
    RecordingFileSystem fileSystem;

    operator platform::Services()
    {
        return {&messageBox,   &fileDialog, &folderDialog, &modalDialog,
                &localisation, nullptr,     &fileSystem};
    }
};

// Installs `service` as its facility's process-wide default for one scope, then restores the
// one before it.
template <class Service> class ScopedDefault
{
public:
    explicit ScopedDefault(Service &service) : m_previous(Service::setInstance(&service)) {}
    ~ScopedDefault() { Service::setInstance(m_previous); }
    ScopedDefault(const ScopedDefault &) = delete;
    ScopedDefault &operator=(const ScopedDefault &) = delete;

private:
    Service *const m_previous;
};

} // namespace tabulon::test

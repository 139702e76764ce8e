#pragma once

#include "../core/Export.h"

#include <QString>

#include <memory>

class QWidget;

namespace tabulon::platform {

// The file-system facility: what the control asks of paths.
class TABULON_EXPORT FileSystem
{
public:
    virtual ~FileSystem();
    // The folder part of a path ("" for a bare name).
    virtual QString parentFolderName(const QString &path) const = 0;
};

// The one door to everything modal or external. The process has one default (Qt
// implementations); a control can be given its own, and tests install recording fakes so that
// nothing ever waits on a modal window.
class TABULON_EXPORT Services
{
public:
    virtual ~Services();

    // A message box with the warning (exclamation) icon, one OK button and the given title.
    virtual void messageBox(QWidget *parent, const QString &text, const QString &title) = 0;

    // Creates the file-system facility. May throw (the platform could not provide it).
    virtual std::unique_ptr<FileSystem> createFileSystem() = 0;

    // The process-wide default. Never null: without an installed one, the Qt implementation.
    static Services &instance();
    // Installs a process-wide default (not owned; nullptr restores the Qt implementation).
    static void setInstance(Services *services);
};

// The Qt implementations: QMessageBox, QFileInfo.
class TABULON_EXPORT QtServices : public Services
{
public:
    void messageBox(QWidget *parent, const QString &text, const QString &title) override;
    std::unique_ptr<FileSystem> createFileSystem() override;
};

} // namespace tabulon::platform

#pragma once

#include "../core/Export.h"

#include <QString>

#include <memory>

namespace tabulon::platform {

// What the control asks of paths.
class TABULON_EXPORT FileSystem
{
public:
    virtual ~FileSystem();
    // The folder part of a path: up to its last separator, without it ("" for a bare name).
    virtual QString parentFolderName(const QString &path) const = 0;
};

// The file-system facility: gives each control its FileSystem.
class TABULON_EXPORT FileSystemService
{
public:
    virtual ~FileSystemService();

    // A new FileSystem, owned by the caller. May throw (the platform could not provide one).
    virtual std::unique_ptr<FileSystem> createFileSystem() = 0;

    // The process-wide default: the one installed, else one over QFileInfo.
    static FileSystemService &instance();
    // Installs the process-wide default (not owned; nullptr restores the QFileInfo one) and
    // returns the one installed before it.
    static FileSystemService *setInstance(FileSystemService *service);
};

} // namespace tabulon::platform

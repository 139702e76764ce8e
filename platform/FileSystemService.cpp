#include "platform/FileSystemService.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace tabulon::platform {

namespace {

class QtFileSystem : public FileSystem
{
public:
    QString parentFolderName(const QString &path) const override
    {
        const QString folder = QFileInfo(path).path();
        // QFileInfo answers "." for a bare name; that is no folder of the path.
        if (folder == u"." && !path.startsWith(u"./") && !path.startsWith(u".\\")) return QString();
        // QFileInfo hands back "/"; give the caller the separators it used.
        return path.contains(u'\\') ? QDir::toNativeSeparators(folder) : folder;
    }
};

class QtFileSystemService : public FileSystemService
{
public:
    std::unique_ptr<FileSystem> createFileSystem() override
    {
        return std::make_unique<QtFileSystem>();
    }
};

FileSystemService *installed = nullptr;

} // namespace

FileSystem::~FileSystem() = default;
FileSystemService::~FileSystemService() = default;

FileSystemService &FileSystemService::instance()
{
    static QtFileSystemService qt;
    return installed ? *installed : qt;
}

FileSystemService *FileSystemService::setInstance(FileSystemService *service)
{
    return std::exchange(installed, service);
}

} // namespace tabulon::platform

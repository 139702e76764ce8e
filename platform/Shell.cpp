#include "platform/Shell.h"

#include "platform/Shell_p.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace tabulon::platform {

ShellAllocator &ShellAllocator::instance()
{
    static ShellAllocator allocator;
    return allocator;
}

ItemIdList *ShellAllocator::allocate(const QString &path, const QString &displayName)
{
    auto *list = new ItemIdList{path, displayName};
    ++m_live;
    return list;
}

ItemIdList *ShellAllocator::clone(const ItemIdList *list)
{
    return list ? allocate(list->path, list->displayName) : nullptr;
}

void ShellAllocator::free(ItemIdList *list)
{
    if (!list) return;
    Q_ASSERT(m_live.load() > 0);
    delete list;
    --m_live;
}

bool getPathFromIdList(const ItemIdList *list, PathBuffer &buffer)
{
    if (!list || list->path.isEmpty()) return false;
    const QByteArray narrow = list->path.toLocal8Bit();
    if (narrow.size() >= kMaxPath) return false;
    std::memcpy(buffer.data(), narrow.constData(), size_t(narrow.size()) + 1);
    return true;
}

QString itemDisplayName(const ItemIdList *list)
{
    return list ? list->displayName : QString();
}

ItemIdList *parseDisplayName(const QString &fullPath)
{
    if (fullPath.isEmpty() || QDir::isRelativePath(fullPath)) return nullptr;
    const QFileInfo info(fullPath);
    if (!info.exists()) return nullptr;
    const QString path = QDir::cleanPath(info.absoluteFilePath());
    const QString name = info.fileName();
    return ShellAllocator::instance().allocate(path, name.isEmpty() ? path : name);
}

FullPathName getFullPathName(const QString &path)
{
    if (path.isEmpty()) return {{}, ENOENT};
    if (path.contains(QChar(u'\0'))) return {{}, EINVAL};
    QString absolute = path;
    if (QDir::isRelativePath(path)) {
        // The process's own current folder, as the system sees it: QDir::currentPath() hides
        // the failure of a folder deleted under us.
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) return {{}, errno};
        absolute = QString::fromLocal8Bit(cwd) + u'/' + path;
    }
    const QString full = QDir::cleanPath(absolute);
    if (full.toLocal8Bit().size() >= kMaxPath) return {{}, ENAMETOOLONG};
    return {full, 0};
}

QString systemErrorText(int code)
{
    // strerrordesc_np, unlike strerror, answers null for a code the system does not know.
    const char *text = ::strerrordesc_np(code);
    return text ? QString::fromLocal8Bit(text).left(256) : QString();
}

ItemIdList *specialFolderLocation(int folder)
{
    using SP = QStandardPaths;
    static constexpr struct
    {
        int folder;
        SP::StandardLocation location;
    } kLocations[] = {
        {SpecialFolder::Desktop, SP::DesktopLocation},
        {SpecialFolder::DesktopDirectory, SP::DesktopLocation},
        {SpecialFolder::Programs, SP::ApplicationsLocation},
        {SpecialFolder::Documents, SP::DocumentsLocation},
        {SpecialFolder::Music, SP::MusicLocation},
        {SpecialFolder::Videos, SP::MoviesLocation},
        {SpecialFolder::Fonts, SP::FontsLocation},
        {SpecialFolder::ApplicationData, SP::GenericConfigLocation},
        {SpecialFolder::LocalApplicationData, SP::GenericDataLocation},
        {SpecialFolder::Cache, SP::GenericCacheLocation},
        {SpecialFolder::Pictures, SP::PicturesLocation},
        {SpecialFolder::Profile, SP::HomeLocation},
    };
    if (folder == SpecialFolder::Computer)
        return ShellAllocator::instance().allocate(QString(), QStringLiteral("Computer"));
    for (const auto &known : kLocations) {
        if (known.folder != folder) continue;
        const QString path = SP::writableLocation(known.location);
        return path.isEmpty() ? nullptr : parseDisplayName(path);
    }
    return nullptr;
}

} // namespace tabulon::platform

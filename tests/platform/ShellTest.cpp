// Item identifier lists and their paths, full paths, and special folders.

#include "platform/Shell.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace {

using namespace tabulon::platform;

QString pathOf(const ItemIdList *list)
{
    PathBuffer buffer{};
    return getPathFromIdList(list, buffer) ? QString::fromLocal8Bit(buffer.data())
                                           : QStringLiteral("<none>");
}

TEST(Shell, ListsOfPathsAndPathsOfLists)
{
    QTemporaryDir tree;
    ASSERT_TRUE(QDir(tree.path()).mkpath(QStringLiteral("plant/pumps")));
    const QString pumps = tree.path() + QStringLiteral("/plant/pumps");
    // parsed: given to parseDisplayName, null for the list of `made`; path: of the list,
    // "<none>" when it has none or there is no list.
    // clang-format off
    const struct { const char *name; QString parsed, made, path, display; } cases[] = {
        {"existing folder", pumps + QStringLiteral("/../pumps"), {}, pumps, "pumps"},
        {"missing folder", tree.path() + QStringLiteral("/none"), {}, "<none>", ""},
        {"relative path", QStringLiteral("plant"), {}, "<none>", ""},
        {"path beyond the buffer", {}, u'/' + QString(kMaxPath, u'x'), "<none>", "x"},
    };
    // clang-format on
    ShellAllocator &allocator = ShellAllocator::instance();
    for (const auto &c : cases) {
        ItemIdList *list =
            !c.parsed.isNull() ? parseDisplayName(c.parsed) : allocator.allocate(c.made, c.display);
        EXPECT_EQ(pathOf(list), c.path) << c.name;
        EXPECT_EQ(itemDisplayName(list), c.display) << c.name;
        allocator.free(list);
    }
}

TEST(Shell, FullPathNamesAndTheirErrors)
{
    QTemporaryDir tree;
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tree.path()));
    const QString current = QDir::currentPath();
    // clang-format off
    const struct { const char *name; QString path, full; int error; } cases[] = {
        {"absolute, dots resolved", QStringLiteral("/data/./plant/../pumps/"), "/data/pumps", 0},
        {"relative to the current folder", QStringLiteral("sub/x"), current + "/sub/x", 0},
        {"the current folder", QStringLiteral("."), current, 0},
        {"empty", QString(), {}, ENOENT},
        {"embedded zero", QStringLiteral("a") + QChar(u'\0') + u'b', {}, EINVAL},
        {"longer than the buffer", QStringLiteral("/") + QString(kMaxPath, u'x'), {}, ENAMETOOLONG},
    };
    // clang-format on
    for (const auto &c : cases) {
        const FullPathName full = getFullPathName(c.path);
        EXPECT_EQ(std::pair(full.path, full.error), std::pair(c.full, c.error)) << c.name;
    }
    QDir::setCurrent(saved);

    EXPECT_EQ(systemErrorText(ENOENT), QStringLiteral("No such file or directory"));
    EXPECT_EQ(systemErrorText(99999), QString());
}

TEST(Shell, SpecialFoldersByTheirPublishedIdentifiers)
{
    ShellAllocator &allocator = ShellAllocator::instance();
    const int before = allocator.liveLists();
    ItemIdList *home = specialFolderLocation(SpecialFolder::Profile);
    EXPECT_EQ(pathOf(home), QDir::cleanPath(QDir::homePath()));
    ItemIdList *computer = specialFolderLocation(SpecialFolder::Computer);
    ASSERT_NE(computer, nullptr);
    EXPECT_EQ(pathOf(computer) + itemDisplayName(computer), QStringLiteral("<none>Computer"));
    for (int unknown : {0x0001, 0x0015, 0x7fff, -1})
        EXPECT_EQ(specialFolderLocation(unknown), nullptr) << unknown;
    allocator.free(home);
    allocator.free(computer);
    EXPECT_EQ(allocator.liveLists(), before);
}

} // namespace

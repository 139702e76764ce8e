#pragma once

#include "../core/Export.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <atomic>

// The shell's side of folder selection: item identifier lists and the allocator that owns
// them, paths of lists and lists of paths, full-path resolution with system error codes, and
// special folders. Texts that the folder dialog exchanges cross in the system's narrow
// encoding (QString::toLocal8Bit), as zero-terminated buffers of at most kMaxPath bytes.

namespace tabulon::platform {

// Size of every path and display-name buffer, terminating zero included; longer paths are not
// supported.
inline constexpr int kMaxPath = 260;
using PathBuffer = std::array<char, kMaxPath>;

// One shell item: a folder of the file system, or a virtual item without a path (the
// computer, which lists drives and places). Opaque: made and released only by the
// ShellAllocator.
struct ItemIdList;

// Owns every item identifier list and counts those still alive, so that a caller can prove it
// released each list it obtained.
class TABULON_EXPORT ShellAllocator
{
public:
    // The process's one allocator.
    static ShellAllocator &instance();

    // A new list for the item at `path` (empty for a virtual item) shown as `displayName`.
    ItemIdList *allocate(const QString &path, const QString &displayName);
    // A new list for the same item as `list`; null gives null.
    ItemIdList *clone(const ItemIdList *list);
    // Releases `list`; null is ignored.
    void free(ItemIdList *list);
    // Lists allocated and not yet released.
    int liveLists() const { return m_live.load(); }

private:
    ShellAllocator() = default;
    std::atomic<int> m_live{0};
};

// Fills `buffer` with the file-system path of `list` in the narrow encoding, zero-terminated;
// false, with the buffer left alone, for a null list, an item without a path or a path that
// does not fit.
TABULON_EXPORT bool getPathFromIdList(const ItemIdList *list, PathBuffer &buffer);

// The name the item is shown by; empty for a null list.
TABULON_EXPORT QString itemDisplayName(const ItemIdList *list);

// The list of the existing file or folder at the absolute `fullPath`, or null when the path is
// relative or names nothing. The caller releases it.
TABULON_EXPORT ItemIdList *parseDisplayName(const QString &fullPath);

// Full form of a path: absolute against the current folder, with "." and ".." resolved.
struct FullPathName
{
    QString path;  // empty on failure
    int error = 0; // the system error code (errno) on failure, else 0
};
TABULON_EXPORT FullPathName getFullPathName(const QString &path);

// The system's message text for an error code, at most 256 characters; empty when the system
// has none.
TABULON_EXPORT QString systemErrorText(int code);

// Special folders by the operating system's published identifiers, passed through unchanged.
// Those named here map to this desktop's standard locations; any other identifier has none.
namespace SpecialFolder {
inline constexpr int Desktop = 0x0000;
inline constexpr int Programs = 0x0002;
inline constexpr int Documents = 0x0005;
inline constexpr int Music = 0x000d;
inline constexpr int Videos = 0x000e;
inline constexpr int DesktopDirectory = 0x0010;
inline constexpr int Computer = 0x0011; // virtual: drives and places, no path
inline constexpr int Fonts = 0x0014;
inline constexpr int ApplicationData = 0x001a;
inline constexpr int LocalApplicationData = 0x001c;
inline constexpr int Cache = 0x0020;
inline constexpr int Pictures = 0x0027;
inline constexpr int Profile = 0x0028;
} // namespace SpecialFolder

// The list of special folder `folder`, or null when the identifier is unknown or the folder
// does not exist on this desktop. The caller releases it.
TABULON_EXPORT ItemIdList *specialFolderLocation(int folder);

// Option bits of a folder-selection request (published names).
inline constexpr quint32 BIF_RETURNONLYFSDIRS = 0x1;
inline constexpr quint32 BIF_STATUSTEXT = 0x4;
inline constexpr quint32 BIF_RETURNFSANCESTORS = 0x8;
inline constexpr quint32 BIF_EDITBOX = 0x10;
inline constexpr quint32 BIF_VALIDATE = 0x20;
inline constexpr quint32 BIF_NEWDIALOGSTYLE = 0x40;

// Notifications from the open dialog to the request's callback (published numbers).
inline constexpr unsigned BFFM_INITIALIZED = 1;
inline constexpr unsigned BFFM_SELCHANGED = 2;
inline constexpr unsigned BFFM_VALIDATEFAILEDA = 3;

} // namespace tabulon::platform

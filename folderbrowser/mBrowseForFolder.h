#pragma once

#include "../core/Export.h"
#include "../platform/FolderDialogService.h"
#include "../platform/Shell.h"

#include <QPointer>
#include <QString>

#include <exception>
#include <memory>

namespace tabulon {

class cBrowseForFolder;

// What the folder browser keeps outside its instances: the dialog's callback procedure, the
// shell allocator and small text conversions.
namespace mBrowseForFolder {

// The shell allocator, fetched on first need and kept for the life of the process.
TABULON_AUTOTEST_EXPORT platform::ShellAllocator &allocator();

// Releases a list through allocator().
struct ListRelease
{
    void operator()(platform::ItemIdList *list) const { allocator().free(list); }
};
using IdList = std::unique_ptr<platform::ItemIdList, ListRelease>;

// The narrow zero-terminated text at `text` as a string; null gives empty.
TABULON_AUTOTEST_EXPORT QString stringFromNarrow(const char *text);
// The file-system path of `list`; empty for null, an item without a path or one too long.
TABULON_AUTOTEST_EXPORT QString pathFromIdList(const platform::ItemIdList *list);

// The request's option bits for the browser's Boolean options.
TABULON_AUTOTEST_EXPORT quint32 browseFlags(bool editBox, bool statusText, bool fileSystemOnly,
                                            bool validateEditBox, bool useNewUI);

// One showing of the dialog, on the stack of BrowseForFolder and given to the dialog as the
// callback data. The component may be deleted by its own event handlers; the pointer then
// reads null and the callback goes on without it.
struct Showing
{
    QPointer<cBrowseForFolder> component;
    // The first exception an event handler threw; the showing ends and BrowseForFolder
    // rethrows it.
    std::exception_ptr failure;
};

// The dialog's callback: `data` is a Showing, or null for a dialog without a component.
TABULON_AUTOTEST_EXPORT qint32
BrowseCallbackProc(platform::FolderDialogService::Dialog &dialog, unsigned message,
                   const platform::FolderDialogService::Notification &param, void *data);

} // namespace mBrowseForFolder
} // namespace tabulon

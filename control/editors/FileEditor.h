#pragma once

#include "core/Export.h"

class QWidget;

namespace tabulon {

class EditorRow;
namespace platform {
class FileDialogService;
class FileSystem;
} // namespace platform

/// The editor of "File" rows: an open-file dialog that starts at the row's path, whose chosen
/// file becomes the row's "Value". Cancelling, and any failure once the dialog is being set
/// up, end it silently with nothing written.
class TABULON_AUTOTEST_EXPORT FileEditor
{
public:
    FileEditor(platform::FileDialogService &dialogs, const platform::FileSystem &files,
               QWidget *parent);

    void edit(EditorRow &row);

private:
    platform::FileDialogService &m_dialogs;
    const platform::FileSystem &m_files;
    QWidget *m_parent;
};

} // namespace tabulon

#include "control/editors/FileEditor.h"

#include "control/editors/EditorRow.h"
#include "platform/FileDialogService.h"
#include "platform/FileSystemService.h"

namespace tabulon {

FileEditor::FileEditor(platform::FileDialogService &dialogs, const platform::FileSystem &files,
                       QWidget *parent)
    : m_dialogs(dialogs), m_files(files), m_parent(parent)
{}

void FileEditor::edit(EditorRow &row)
{
    const QString path = row.value().toText();
    try {
        platform::FileDialogService::OpenRequest request;
        request.title = QStringLiteral("Specify file");
        request.fileName = path;
        request.folder = m_files.parentFolderName(path);
        // The dialog itself offers existing files only, without a read-only choice.
        if (const auto chosen = m_dialogs.openFile(m_parent, request)) row.setValue(*chosen);
    } catch (...) {
        // The dialog could not be shown or its result not written: the row keeps its value.
    }
}

} // namespace tabulon

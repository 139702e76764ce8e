// browse-folder: shows the folder browser with the options given on the command line and
// prints the chosen folder's path and display name.
//
//   browse-folder [--title TEXT] [--root DIR] [--initial DIR] [--edit-box] [--status-text]
//                 [--file-system-only] [--validate] [--keep-open] [--new-ui]
//                 [--special ID] [--screenshot FILE.png]

#include "core/Error.h"
#include "folderbrowser/cBrowseForFolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// Grabs the open dialog into `file` once its folders have been read, then cancels it.
void screenshotWhenReady(const QString &file)
{
    QTimer::singleShot(2000, [file] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        if (!dialog->grab().save(file))
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        dialog->close();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("browse-folder"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows the folder browser and prints the chosen path and display name."));
    parser.addHelpOption();
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("Instruction text."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption root(QStringLiteral("root"), QStringLiteral("Top of the tree."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption initial(QStringLiteral("initial"),
                                     QStringLiteral("Folder selected on opening."),
                                     QStringLiteral("DIR"));
    const QCommandLineOption editBox(QStringLiteral("edit-box"),
                                     QStringLiteral("Show an edit box for typing a folder."));
    const QCommandLineOption statusText(QStringLiteral("status-text"),
                                        QStringLiteral("Show a status line."));
    const QCommandLineOption fileSystemOnly(QStringLiteral("file-system-only"),
                                            QStringLiteral("Only file-system folders."));
    const QCommandLineOption validate(QStringLiteral("validate"),
                                      QStringLiteral("Report typed text that names no folder."));
    const QCommandLineOption keepOpen(QStringLiteral("keep-open"),
                                      QStringLiteral("Keep the dialog open after such text."));
    const QCommandLineOption newUI(QStringLiteral("new-ui"),
                                   QStringLiteral("The larger, resizable dialog."));
    const QCommandLineOption special(
        QStringLiteral("special"), QStringLiteral("Print the path of special folder ID and quit."),
        QStringLiteral("ID"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Write a picture of the dialog and quit."),
                                        QStringLiteral("FILE.png"));
    parser.addOptions({title, root, initial, editBox, statusText, fileSystemOnly, validate,
                       keepOpen, newUI, special, screenshot});
    parser.process(app);

    tabulon::cBrowseForFolder browser;
    if (parser.isSet(special)) {
        const int id = parser.value(special).toInt(nullptr, 0);
        std::printf("%s\n", qPrintable(browser.SpecialFolderLocation(id)));
        return 0;
    }
    if (parser.isSet(title)) browser.setTitle(parser.value(title));
    browser.setRootDir(parser.value(root));
    browser.setInitialDir(parser.value(initial));
    browser.setEditBox(parser.isSet(editBox));
    browser.setStatusText(parser.isSet(statusText));
    browser.setFileSystemOnly(parser.isSet(fileSystemOnly));
    browser.setValidateEditBox(parser.isSet(validate));
    browser.setUseNewUI(parser.isSet(newUI));

    QObject::connect(&browser, &tabulon::cBrowseForFolder::SelectionChanged,
                     [](const QString &path, bool &) {
                         std::fprintf(stderr, "selected: %s\n", qPrintable(path));
                     });
    QObject::connect(&browser, &tabulon::cBrowseForFolder::ValidationFailed,
                     [&](const QString &text, bool &bKeepOpen) {
                         std::fprintf(stderr, "%s\n", qPrintable(text));
                         bKeepOpen = parser.isSet(keepOpen);
                     });
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QObject::connect(&browser, &tabulon::cBrowseForFolder::Initialized,
                         [file] { screenshotWhenReady(file); });
    }

    try {
        const QString path = browser.BrowseForFolder();
        std::printf("path: %s\ndisplay name: %s\n", qPrintable(path),
                    qPrintable(browser.DisplayName().toString()));
        return path.isEmpty() ? 1 : 0;
    } catch (const tabulon::platform::Error &e) {
        std::fprintf(stderr, "error %d (%s): %s\n", e.number(), qPrintable(e.source()),
                     qPrintable(e.description()));
        return 2;
    }
}

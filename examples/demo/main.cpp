// tabulon-demo: shows one object's attributes in the attribute editor.
//
//   tabulon-demo [FILE.json] [--screenshot FILE.png] [--builder-screenshot FILE.png]
//                [--settings FILE.ini] [--edit NAME=TEXT]... [--current NAME]
//
// Without a file it shows the stand-in library's built-in object. Without a display it can only
// write a screenshot.

#include "DemoWindow.h"

#include "control/ctlAttributes.h"
#include "core/Error.h"
#include "platform/MessageBoxService.h"
#include "platform/ModalDialogService.h"
#include "platform/Services.h"
#include "tessel/JsonLoader.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <memory>

namespace {

// Headless runs have nobody to press OK: messages go to standard output instead of a box.
class PrintingMessageBox : public tabulon::platform::MessageBoxService
{
public:
    void warning(QWidget *, const QString &text, const QString &title) override
    {
        std::printf("message [%s]: %s\n", qPrintable(title), qPrintable(text));
    }
};

// Headless runs have nobody to close a modal dialog: this draws it as a user would see it in
// use (a category open, the expression tested), writes the picture and closes it.
class ScreenshotModalDialog : public tabulon::platform::ModalDialogService
{
public:
    explicit ScreenshotModalDialog(QString path) : m_path(std::move(path)) {}
    int exec(QDialog &dialog) override
    {
        dialog.show();
        if (auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("tvwFunctions"))) {
            if (QTreeWidgetItem *category = tree->topLevelItem(3)) {
                tree->expandItem(category);
                if (QTreeWidgetItem *function = category->child(0)) {
                    tree->expandItem(function);
                    tree->setCurrentItem(function);
                }
            }
        }
        if (auto *test = dialog.findChild<QPushButton *>(QStringLiteral("cmdTest")))
            test->click();
        QCoreApplication::processEvents();
        written = dialog.grab().save(m_path);
        dialog.reject();
        return dialog.result();
    }
    bool written = false;

private:
    QString m_path;
};

// Makes the value cell of the row whose property column shows `name` the editor's current
// cell, as a click would, and returns its grid; nullptr when no row shows that name.
QTableView *goToValueOf(tabulon::ctlAttributes &editor, const QString &name)
{
    // The editor's grid is an item view: its visible columns are the property and the value.
    auto *grid = editor.findChild<QTableView *>();
    QAbstractItemModel *model = grid ? grid->model() : nullptr;
    if (!model) return nullptr;
    QList<int> shown;
    for (int c = 0; c < model->columnCount(); ++c)
        if (!grid->isColumnHidden(c)) shown << c;
    if (shown.size() != 2) return nullptr;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, shown[0]).data().toString() != name) continue;
        // A click focuses the grid and moves the current cell without selecting rows.
        grid->setFocus();
        grid->selectionModel()->setCurrentIndex(model->index(row, shown[1]),
                                                QItemSelectionModel::NoUpdate);
        return grid;
    }
    return nullptr;
}

// Types `text` into the value cell of the row whose property column shows `name`, through the
// grid's in-place editor, and commits it with Enter. False when no row shows that name or its
// value cannot be typed into.
bool typeInto(tabulon::ctlAttributes &editor, const QString &name, const QString &text)
{
    QTableView *grid = goToValueOf(editor, name);
    if (!grid) return false;
    // Moving there opened the editor of a row that takes typing.
    auto *line = qobject_cast<QLineEdit *>(grid->indexWidget(grid->currentIndex()));
    if (!line) return false;
    line->selectAll();
    line->insert(text);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(line, &press);
    return true;
}

// Whether there is a display for Qt's default platform. Only X11 and Wayland say so in the
// environment; other systems always have one.
bool hasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

} // namespace

int main(int argc, char **argv)
{
    // Without a display Qt's default platform aborts before the options are read. Drawing
    // offscreen instead keeps --help, --version, option errors and --screenshot working.
    const bool offscreen = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !hasDisplay();
    if (offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tabulon"));
    QApplication::setApplicationName(QStringLiteral("tabulon-demo"));
    QApplication::setApplicationVersion(QStringLiteral(TABULON_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows an object's attributes in Tabulon."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Object file (JSON); the built-in object if none."),
                                 QStringLiteral("[file]"));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Write a screenshot to <png> and quit."),
                                  QStringLiteral("png"));
    QCommandLineOption settingsFile(QStringLiteral("settings"),
                                    QStringLiteral("Keep the editor's settings in <ini>."),
                                    QStringLiteral("ini"));
    QCommandLineOption edit(QStringLiteral("edit"),
                            QStringLiteral("Type <text> into the value cell of the row shown as "
                                           "<name> and press Enter, as a user would. Repeatable."),
                            QStringLiteral("name=text"));
    QCommandLineOption builderScreenshot(
        QStringLiteral("builder-screenshot"),
        QStringLiteral("Open the expression builder for the first expression attribute, write a "
                       "screenshot of it to <png> and quit."),
        QStringLiteral("png"));
    QCommandLineOption current(QStringLiteral("current"),
                               QStringLiteral("Make the value cell of the row shown as <name> the "
                                              "current cell, after the edits."),
                               QStringLiteral("name"));
    parser.addOption(screenshot);
    parser.addOption(builderScreenshot);
    parser.addOption(current);
    parser.addOption(settingsFile);
    parser.addOption(edit);
    parser.process(app);

    const bool headless = parser.isSet(screenshot) || parser.isSet(builderScreenshot);
    if (offscreen && !headless) {
        std::fprintf(stderr, "tabulon-demo: no display to show the window on; "
                             "--screenshot FILE.png draws it offscreen\n");
        return 1;
    }
    // The editor's other facilities keep their Qt defaults.
    PrintingMessageBox printing;
    tabulon::platform::Services services;
    if (headless) services.messageBox = &printing;
    ScreenshotModalDialog builderShot(parser.value(builderScreenshot));
    if (parser.isSet(builderScreenshot)) services.modalDialog = &builderShot;
    std::shared_ptr<tabulon::AttributeCollection> object;
    QString origin;
    try {
        if (parser.positionalArguments().isEmpty()) {
            object = tessel::defaultCollection();
            origin = QStringLiteral("built-in object");
        } else {
            origin = parser.positionalArguments().first();
            object = tessel::loadCollection(origin);
        }
    } catch (const std::exception &e) {
        const QString message = tabulon::platform::describe(e);
        std::fprintf(stderr, "tabulon-demo: %s\n", qPrintable(message));
        if (!headless)
            QMessageBox::critical(nullptr, QStringLiteral("Tabulon demo"), message);
        return 1;
    }

    std::unique_ptr<QSettings> settings =
        parser.isSet(settingsFile)
            ? std::make_unique<QSettings>(parser.value(settingsFile), QSettings::IniFormat)
            : std::make_unique<QSettings>();

    try {
        DemoWindow window(object, origin, *settings, services);
        window.show();
        for (const QString &request : parser.values(edit)) {
            const qsizetype eq = request.indexOf(u'=');
            if (eq <= 0 || !typeInto(*window.editor(), request.left(eq), request.mid(eq + 1)))
                std::fprintf(stderr, "tabulon-demo: no row shown as \"%s\" takes typing\n",
                             qPrintable(request.left(eq)));
        }
        if (parser.isSet(current) && !goToValueOf(*window.editor(), parser.value(current)))
            std::fprintf(stderr, "tabulon-demo: no row shown as \"%s\"\n",
                         qPrintable(parser.value(current)));
        if (parser.isSet(builderScreenshot)) {
            const QStringList expressions = window.expressionAttributes();
            if (expressions.isEmpty()) {
                std::fprintf(stderr, "tabulon-demo: the object has no expression attribute\n");
                return 1;
            }
            window.buildExpression(expressions.first());
            const QString path = parser.value(builderScreenshot);
            std::printf("%s %s\n", builderShot.written ? "screenshot written to" : "could not write",
                        qPrintable(path));
            return builderShot.written ? 0 : 1;
        }
        if (headless) {
            const QString path = parser.value(screenshot);
            // Let the layout settle before grabbing.
            QTimer::singleShot(100, &window, [&] {
                const bool ok = window.grab().save(path);
                std::printf("%s %s\n", ok ? "screenshot written to" : "could not write",
                            qPrintable(path));
                QApplication::exit(ok ? 0 : 1);
            });
        }
        return QApplication::exec();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tabulon-demo: %s\n",
                     qPrintable(tabulon::platform::describe(e)));
        return 1;
    }
}

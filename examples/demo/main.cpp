// tabulon-demo: shows one object's attributes in the attribute editor.
//
//   tabulon-demo [FILE.json] [--screenshot FILE.png] [--settings FILE.ini]
//
// Without a file it shows the stand-in library's built-in object.

#include "DemoWindow.h"

#include "control/ctlAttributes.h"
#include "platform/Error.h"
#include "tessel/JsonLoader.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tabulon"));
    QApplication::setApplicationName(QStringLiteral("tabulon-demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows an object's attributes in Tabulon."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Object file (JSON); the built-in object if none."),
                                 QStringLiteral("[file]"));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Write a screenshot to <png> and quit."),
                                  QStringLiteral("png"));
    QCommandLineOption settingsFile(QStringLiteral("settings"),
                                    QStringLiteral("Keep the editor's settings in <ini>."),
                                    QStringLiteral("ini"));
    parser.addOption(screenshot);
    parser.addOption(settingsFile);
    parser.process(app);

    const bool headless = parser.isSet(screenshot);
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
        DemoWindow window(object, origin, *settings);
        window.show();
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

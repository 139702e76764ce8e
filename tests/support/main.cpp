#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

// Runs every test inside one QApplication on the offscreen platform, with the locale pinned to
// en_US so that formatting and parsing are the same on every machine. Tests that need another
// locale set it themselves and restore it.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

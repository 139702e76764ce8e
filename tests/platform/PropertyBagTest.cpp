#include "platform/PropertyBag.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/Printers.h"

namespace {

using namespace tabulon::platform;

// One value per type, each with a default of the same type, as the control's properties are.
// clang-format off
const struct { const char *key; Variant value, defaultValue; } properties[] = {
    {"PropertyCaption", "Größe", "Property"}, {"RowHeight", 300, 225},
    {"BackColor", -2147483643, 0},            {"RecordSelectors", false, true},
    {"ShowUnits", true, false},               {"Fraction", 0.35, 0.5},
    {"EmptyText", "", "Value"},
};
// clang-format on

void writeAll(PropertyBag &bag)
{
    for (const auto &p : properties)
        bag.writeProperty(QString::fromLatin1(p.key), p.value, p.defaultValue);
}

void expectAll(const PropertyBag &bag)
{
    for (const auto &p : properties)
        EXPECT_EQ(bag.readProperty(QString::fromLatin1(p.key), p.defaultValue), p.value) << p.key;
}

TEST(PropertyBag, MemoryKeepsWhatDiffersFromTheDefault)
{
    MemoryPropertyBag bag;
    writeAll(bag);
    expectAll(bag);
    bag.writeProperty(QStringLiteral("RowHeight"), 225, 225); // back to the default: removed
    EXPECT_EQ(bag.readProperty(QStringLiteral("RowHeight"), 200), Variant(200));
    bag.writeProperty(QStringLiteral("Other"), 1.0, 1); // another type is another value
    EXPECT_TRUE(bag.contains(QStringLiteral("Other")));
}

TEST(PropertyBag, SettingsKeepTypesAcrossAnIniFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("props.ini"));
    const QString copy = dir.filePath(QStringLiteral("copy.ini"));
    {
        QSettings settings(file, QSettings::IniFormat);
        SettingsPropertyBag bag(settings, QStringLiteral("ctlAttributes"));
        writeAll(bag);
        bag.writeProperty(QStringLiteral("Gone"), 5, 0);
        bag.writeProperty(QStringLiteral("Gone"), 0, 0); // back to the default: removed
        bag.writeProperty(QStringLiteral("Nothing"), Variant::null(), 0);
        expectAll(bag);
    }
    // Read from a copy: the process keeps the values it wrote to a file with their types.
    ASSERT_TRUE(QFile::copy(file, copy));
    QSettings settings(copy, QSettings::IniFormat);
    EXPECT_TRUE(settings.contains(QStringLiteral("ctlAttributes/RowHeight")));
    EXPECT_FALSE(settings.contains(QStringLiteral("ctlAttributes/Gone")));

    const SettingsPropertyBag bag(settings, QStringLiteral("ctlAttributes"));
    expectAll(bag); // the file gives texts back; the defaults' types restore the values
    for (const char *missing : {"Gone", "Nothing"})
        EXPECT_EQ(bag.readProperty(QString::fromLatin1(missing), 7), Variant(7)) << missing;
    // A stored text that does not fit the default's type is handed back as it is.
    EXPECT_EQ(bag.readProperty(QStringLiteral("PropertyCaption"), 1), Variant("Größe"));
    const SettingsPropertyBag ungrouped(settings);
    EXPECT_EQ(ungrouped.readProperty(QStringLiteral("RowHeight"), 225), Variant(225));
}

} // namespace

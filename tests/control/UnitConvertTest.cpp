#include "control/UnitConvert.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace tabulon {
namespace {

TEST(UnitCodeFromName, ExactNamesOnly)
{
    const QStringList names = {"mm", "m",  "inch", "in", "\"", "ft", "'",  "C", "F",
                               "K",  "hr", "min",  "s",  "g",  "kg", "oz", "lb"};
    const UnitCode codes[] = {0, 1, 2, 2, 2, 3, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(UnitCodeFromName(names[i]), codes[i]) << names[i].toStdString();
    // Other case, padding, longer or shorter spellings and look-alike marks name no unit.
    for (const char *other : {"", "MM", "c", "Ft", " m", "mm ", "inches", "lbs", "\u201d"})
        EXPECT_EQ(UnitCodeFromName(QString::fromUtf8(other)), kNoUnit) << '"' << other << '"';
}

} // namespace
} // namespace tabulon

// Text typed into a value cell: every data type, every display unit, under a decimal point
// and a decimal comma. Reading it either gives a value of the row's type or raises one of the
// conversion errors the write-back handles.

#include "control/UnitConvert.h"
#include "control/ValueDisplay.h"
#include "core/AttributeSource.h"
#include "core/Error.h"

#include <QLocale>

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tabulon;
    using platform::Variant;
    if (size < 1) return 0;
    // The first byte picks the row: data type, display unit and locale.
    static const QStringList units = kRecognisedUnits.split(u';') << QString() << "cm";
    const std::uint8_t pick = data[0];
    const std::int32_t dataType = 1 + pick % 5; // 5: a code outside the four
    const QString &unit = units.at((pick / 5) % units.size());
    QLocale::setDefault(pick & 0x80 ? QLocale(QLocale::German, QLocale::Germany)
                                    : QLocale(QLocale::English, QLocale::UnitedStates));
    const QString typed =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    try {
        const ParsedValue parsed = ParseEnteredValue(Variant(typed), dataType, Variant(unit));
        if (dataType == adtReal) {
            (void)UnitCodeFromName(parsed.units);
            const double v = parsed.value.toDouble();
            if (std::isfinite(v)) (void)FormatUnitValue(v, UnitCodeFromName(parsed.units));
        }
    } catch (const platform::Error &) {
    }
    return 0;
}

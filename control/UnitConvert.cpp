#include "control/UnitConvert.h"

namespace tabulon {

namespace {

struct Spelling
{
    QStringView text;
    UnitCode code;
};

constexpr Spelling named(UnitCode code)
{
    return {unitName(code), code};
}

} // namespace

UnitCode UnitCodeFromName(const QString &name)
{
    // Checked in this order, whole text against whole text; no trimming, no case folding.
    static constexpr Spelling spellings[] = {
        named(kMillimetre), named(kMetre),  {kInchWord, kInch}, named(kInch),
        {kInchMark, kInch}, named(kFoot),   {kFootMark, kFoot}, named(kKilogram),
        named(kGram),       named(kPound),  named(kOunce),      named(kHour),
        named(kMinute),     named(kSecond), named(kCelsius),    named(kFahrenheit),
        named(kKelvin),
    };
    for (const auto &[text, code] : spellings)
        if (name == text) return code;
    return kNoUnit;
}

} // namespace tabulon

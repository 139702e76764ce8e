#include "control/RowDisplay.h"

#include "core/Error.h"
#include "core/NumberText.h"

#include <cmath>

namespace tabulon {

using platform::Variant;

const QString &messageTitle()
{
    static const QString title = QStringLiteral("CorvinAttributesEditor");
    return title;
}

QString textWithUnits(const QString &number, const QString &units)
{
    return number + QLatin1Char(' ') + units;
}

Variant AttributeDisplayValue(const Attribute &attribute)
{
    try {
        return attribute.evaluatedValue();
    } catch (...) {
        return platform::describeCurrentException();
    }
}

Variant DisplayValue(const Attribute &attribute, const QString &displayUnits, bool showUnits)
{
    const std::int32_t dataType = attribute.dataType();
    if (dataType == adtBoolean)
        return attribute.value().toBool() ? QStringLiteral("True") : QStringLiteral("False");

    const Variant x = AttributeDisplayValue(attribute);
    if (attribute.enumerationCount() > 0) {
        const QString text = attribute.displayText(x.toText());
        return text.isEmpty() ? x : Variant(text);
    }
    if (attribute.unitsCode() == kNoUnit || dataType != adtReal || !showUnits) return x;
    // A number is taken as it is; only text is read by the number rule, which knows "." alone
    // and would cut a number's own text at a decimal comma.
    const double number = x.isNumber() ? x.toDouble() : platform::readNumber(x.toText());
    return textWithUnits(platform::numberToText(number), displayUnits);
}

QString StoredEnumValue(const Attribute &attribute, const QString &text)
{
    const std::int32_t count = attribute.enumerationCount();
    if (count < 1) return QString();
    for (std::int32_t i = 0; i < count; ++i)
        if (text == attribute.enumerationDisplayText(i)) return attribute.enumerationValue(i);
    return attribute.enumerationValue(0);
}

bool IsValueValid(const Attribute &attribute, const Variant &value)
{
    try {
        switch (attribute.dataType()) {
        case adtText:
            return attribute.validate(value.toString());
        case adtInteger:
            return attribute.validate(int(value.toInt()));
        case adtReal: {
            // Typed digits past the range of a double read as infinity; neither it nor NaN is a
            // value to hand to the attribute.
            const double d = value.toDouble();
            return std::isfinite(d) && attribute.validate(d);
        }
        default:
            return false;
        }
    } catch (...) {
        return false;
    }
}

} // namespace tabulon

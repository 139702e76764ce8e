#include "control/EditMode.h"

namespace tabulon {

namespace {

using platform::Variant;

// Equality with true is that of the table's boolean fields: a number or the text "True" is
// not the boolean true, so it locks the row like false and null do.
bool isTrue(const Variant &v)
{
    return v == Variant(true);
}

// Only blanks are trimmed; a tab or line break around a units word keeps it from matching.
QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

} // namespace

QString GetEditMode(const EditModeFields &fields)
{
    if (!isTrue(fields.editable)) return kModeLocked.toString();
    if (isTrue(fields.expression)) return kModeExpression.toString();

    // toText(): null reads as the empty text, which none of the words equals.
    const QString unitsText = fields.unitsType.toText();
    const QString units = trimBlanks(unitsText).toString().toUpper();
    if (units == u"FILE") return kModeFile.toString();
    if (units == u"FOLDER") return kModeFolder.toString();
    if (units == u"BYF") return kModeBYF.toString();

    if (fields.allowableValues.toText().contains(u"enumeration", Qt::CaseSensitive))
        return kModeList.toString();
    // Null is unequal to 4; anything else is converted, and a text that is no number raises.
    if (!fields.dataType.isNull() && fields.dataType.toDouble() == 4.0) return kModeList.toString();
    return kModeEdit.toString();
}

ValueColumnSetup ValueColumnSetupForMode(QStringView mode, bool selectText)
{
    ValueColumnSetup setup;
    if (mode == kModeLocked) {
        setup.locked = true;
    } else if (mode == kModeList || mode == kModeFile || mode == kModeFolder ||
               mode == kModeExpression || mode == kModeBYF) {
        setup.button = true;
        setup.locked = true;
        setup.refresh = true;
    } else {
        setup.editActive = true;
        setup.selectWholeText = selectText;
    }
    return setup;
}

} // namespace tabulon

#pragma once

#include "core/Export.h"
#include "core/Variant.h"

#include <QString>
#include <QStringView>

namespace tabulon {

/// The edit modes of a row. Wherever a mode is tested it is compared exactly, case included.
inline constexpr QStringView kModeLocked = u"Locked";
inline constexpr QStringView kModeEdit = u"Edit";
inline constexpr QStringView kModeList = u"List";
inline constexpr QStringView kModeFile = u"File";
inline constexpr QStringView kModeFolder = u"Folder";
inline constexpr QStringView kModeBYF = u"BYF";
inline constexpr QStringView kModeExpression = u"Expression";

/// The fields of an attribute-table row that decide its edit mode, as the table holds them.
struct EditModeFields
{
    platform::Variant editable;        // "Editable"
    platform::Variant expression;      // "Expression"
    platform::Variant unitsType;       // "UnitsType"
    platform::Variant allowableValues; // "AllowableValues"
    platform::Variant dataType;        // "DataType", the data-type code as decimal text
};

/// The row's edit mode; the first test that holds decides:
/// "Editable" not the boolean true (false, null, anything else): "Locked";
/// "Expression" the boolean true: "Expression";
/// "UnitsType" without surrounding spaces and upper-cased "FILE", "FOLDER" or "BYF": "File",
/// "Folder" or "BYF";
/// "AllowableValues" containing "enumeration" (lower case, anywhere): "List";
/// "DataType" equal to 4 as a number: "List";
/// otherwise "Edit".
/// A null field matches nothing: null is never equal to true, to a word or to 4. "DataType" is
/// converted as Variant::toDouble() converts ("4", " 4 ", "4.0" are 4; empty is 0); a text that
/// is no number, the empty text included, raises TypeMismatch, one out of range Overflow. It is
/// converted only when the earlier tests fail, so an enumerated row never raises.
TABULON_AUTOTEST_EXPORT QString GetEditMode(const EditModeFields &fields);

/// What the value column and the grid's in-place editing are set to for one edit mode.
struct ValueColumnSetup
{
    bool button = false;          // the value column shows its cell button
    bool locked = false;          // the value column cannot be edited in place
    bool editActive = false;      // in-place editing of the current cell is started
    bool refresh = false;         // the grid is repainted, so that the button shows at once
    bool selectWholeText = false; // the cell's text is selected from 0 to its length
};

/// The setup of the value column for `mode`: "Locked" locked without a button; "List", "File",
/// "Folder", "Expression" and "BYF" locked with the button; any other text, "Edit" and the
/// empty mode of a row whose mode could not be computed, editable in place, with the whole
/// text selected when `selectText` is true.
TABULON_AUTOTEST_EXPORT ValueColumnSetup ValueColumnSetupForMode(QStringView mode, bool selectText);

} // namespace tabulon

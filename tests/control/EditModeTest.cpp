#include "control/EditMode.h"

#include "tests/support/Printers.h"

#include <gtest/gtest.h>

#include <array>

namespace tabulon {
namespace {

using platform::Variant;

TEST(GetEditMode, FirstMatchingTestDecides)
{
    const Variant null = Variant::null();
    const struct
    {
        const char *name;
        EditModeFields fields; // Editable, Expression, UnitsType, AllowableValues, DataType
        const char *mode;      // or the number of the error raised
    } cases[] = {
        {"editable text row", {true, false, "mm", "", "1"}, "Edit"},
        {"editable null, expression true", {null, true, "", "", "1"}, "Locked"},
        {"editable false beats everything", {false, true, "FILE", "enumeration", "4"}, "Locked"},
        {"editable -1 is not the boolean true", {-1, false, "", "", "1"}, "Locked"},
        {"expression beats FILE", {true, true, "FILE", "", "1"}, "Expression"},
        {"expression null", {true, null, "", "", "1"}, "Edit"},
        {"file, lower case, padded", {true, false, "  file ", "", "1"}, "File"},
        {"only blanks are trimmed", {true, false, "\tFILE", "", "1"}, "Edit"},
        {"a longer word", {true, false, "FILES", "", "1"}, "Edit"},
        {"folder, lower case", {true, false, "folder", "", "1"}, "Folder"},
        {"byf, lower case, beats enumeration", {true, false, "byf", "enumeration", "4"}, "BYF"},
        {"units null", {true, false, null, "", "1"}, "Edit"},
        {"enumeration anywhere", {true, false, "", "an enumeration", "1"}, "List"},
        {"enumeration beats a bad data type", {true, false, "", "enumeration", "x"}, "List"},
        {"Enumeration capitalised, text type", {true, false, "", "Enumeration", "1"}, "Edit"},
        {"boolean type, empty allowable values", {true, false, "", "", " 4.0 "}, "List"},
        {"4.4 is not 4", {true, false, "", "", "4.4"}, "Edit"},
        {"data type null", {true, false, "", null, null}, "Edit"},
        {"data type no number", {true, false, "", "", "four"}, "13"},
        {"data type empty text", {true, false, "", "", ""}, "13"},
    };
    for (const auto &c : cases) {
        QString mode;
        if (const int error = test::errorNumber([&] { mode = GetEditMode(c.fields); }))
            mode = QString::number(error);
        EXPECT_EQ(mode, QString::fromUtf8(c.mode)) << c.name;
    }
}

TEST(ValueColumnSetupForMode, ButtonLockEditingAndSelection)
{
    // button, locked, editActive, refresh, selectWholeText
    using F = std::array<bool, 5>;
    const auto flags = [](const ValueColumnSetup &s) {
        return F{s.button, s.locked, s.editActive, s.refresh, s.selectWholeText};
    };
    const F editor{true, true, false, true, false}, edit{false, false, true, false, true};
    for (const char16_t *mode : {u"List", u"File", u"Folder", u"Expression", u"BYF"})
        EXPECT_EQ(flags(ValueColumnSetupForMode(mode, true)), editor)
            << QStringView(mode).toString().toStdString();
    EXPECT_EQ(flags(ValueColumnSetupForMode(u"Locked", true)),
              (F{false, true, false, false, false}));
    EXPECT_EQ(flags(ValueColumnSetupForMode(u"Edit", true)), edit);
    EXPECT_EQ(flags(ValueColumnSetupForMode(u"Edit", false)),
              (F{false, false, true, false, false}));
    // A mode that could not be computed (empty) and modes in another case are set up as "Edit".
    for (const char16_t *mode : {u"", u"locked", u"list"})
        EXPECT_EQ(flags(ValueColumnSetupForMode(mode, true)), edit)
            << QStringView(mode).toString().toStdString();
}

} // namespace
} // namespace tabulon

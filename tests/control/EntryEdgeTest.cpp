// Awkward entries in the value cell, each made twice: by typing into the real grid and by
// writing the "Value" field as the grid's editor does. Checked for each: the message, what the
// attribute holds and what it was ever handed, the event, the redisplayed cell, and that the
// control's updating flag is down again.

#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/DataGrid.h"
#include "platform/RecordSet.h"
#include "tessel/Collection.h"
#include "tests/support/FakeAttributes.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using test::FakeCollection;

namespace {

// Sets the default locale for one scope and puts the previous one back.
class ScopedLocale
{
public:
    explicit ScopedLocale(QLocale::Language language)
    {
        QLocale::setDefault(language == QLocale::German
                                ? QLocale(QLocale::German, QLocale::Germany)
                                : QLocale(QLocale::English, QLocale::UnitedStates));
    }
    ~ScopedLocale() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

enum class Row { Length, Count, Note };

// One attribute of each kind the cases need: a real shown in millimetres, an integer, a text.
std::shared_ptr<FakeAttribute> makeAttribute(Row row)
{
    switch (row) {
    case Row::Length: {
        auto a = std::make_shared<FakeAttribute>("Len", adtReal, 100.0);
        a->m_displayName = "Length";
        a->m_units = "mm";
        a->m_unitsCode = 0;
        return a;
    }
    case Row::Count: {
        auto a = std::make_shared<FakeAttribute>("Count", adtInteger, 7);
        a->m_displayName = "Pieces";
        return a;
    }
    case Row::Note:
        break;
    }
    auto a = std::make_shared<FakeAttribute>("Note", adtText, Variant("n"));
    a->m_displayName = "Remark";
    return a;
}

// Whether v is something a real or integer attribute could hold: no infinity, no NaN.
bool isFinite(const Variant &v)
{
    return v.type() != Variant::Type::Double || std::isfinite(v.doubleValue());
}

// An editor over one attribute, with the recording services.
struct Editor
{
    explicit Editor(std::shared_ptr<FakeAttribute> a) : attribute(std::move(a))
    {
        source->add(attribute);
        control.setShowUnits(true);
        control.resize(400, 300);
        control.show();
        control.setDataSource(source);
    }

    // Types `text` into the value cell of the one row and presses Enter.
    void typeIntoGrid(const QString &text)
    {
        platform::DataGrid *grid = control.grid();
        grid->setFocus();
        grid->setCurrentColumn(1);
        grid->setCurrentRow(0);
        grid->setEditActive(true);
        auto *editor = grid->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    // Writes the "Value" field of the one row, as the grid's editor does.
    void setField(const Variant &value)
    {
        platform::RecordSet &rs = *control.attributeTable();
        rs.moveFirst();
        rs.setValue(kValue, value);
    }

    QString shown() const
    {
        const platform::RecordSet &rs = *control.attributeTable();
        return rs.valueAt(0, rs.fieldIndex(kValue)).toText();
    }

    test::RecordingServices services;
    std::shared_ptr<FakeAttribute> attribute;
    std::shared_ptr<FakeCollection> source = std::make_shared<FakeCollection>();
    ctlAttributes control{nullptr, &services};
    QSignalSpy changes{&control, &ctlAttributes::AttributeChange};
};

const QLocale::Language en = QLocale::English;
const QLocale::Language de = QLocale::German;

} // namespace

TEST(EntryEdge, TypedValues)
{
    const QString longText = QStringLiteral("0123456789").repeated(30) + QStringLiteral("end");
    const QString rejected = QStringLiteral("Invalid value ( %1 )\r\n%2 has not been changed");
    const struct
    {
        const char *name;
        QLocale::Language locale;
        Row row;
        QString typed;
        bool valid; // the attribute's answer to validate
        // Expected: what the attribute holds afterwards, the unit code it was written in (-1:
        // not written in units), the message ("" for none), whether AttributeChange came, and
        // the cell's text afterwards.
        Variant stored;
        int unit;
        QString message;
        bool reported;
        QString shown;
    } cases[] = {
        // "." is the only decimal separator whatever the locale: the number ends at the comma
        // and ",5 ft" names no unit.
        {"decimal comma, en_US", en, Row::Length, "12,5", true, 12.0, 0, "", true, "12 mm"},
        {"decimal comma, de_DE", de, Row::Length, "12,5", true, 12.0, 0, "", true, "12 mm"},
        {"decimal comma and unit", de, Row::Length, "12,5 ft", true, 12.0, 0, "", true, "12 mm"},
        {"decimal point, de_DE", de, Row::Length, "12.5 ft", true, 12.5, 3, "", true, "12,5 mm"},
        {"decimal comma, integer", de, Row::Count, "12,5", true, 12, -1, "", true, "12"},
        // Spelled-out NaN and infinities are no number: they read as 0.
        {"NaN", en, Row::Length, "NaN", true, 0.0, 0, "", true, "0.00E+00 mm"},
        {"inf", en, Row::Length, "inf", true, 0.0, 0, "", true, "0.00E+00 mm"},
        {"-inf", en, Row::Length, "-inf", true, 0.0, 0, "", true, "0.00E+00 mm"},
        {"NaN, integer", en, Row::Count, "NaN", true, 0, -1, "", true, "0"},
        // Digits past a double's range read as infinity, which is refused like a bad value.
        {"1e999", en, Row::Length, "1e999", true, 100.0, -1, rejected.arg("1e999", "Length"), true,
         "100 mm"},
        {"-1e999", en, Row::Length, "-1e999", true, 100.0, -1, rejected.arg("-1e999", "Length"),
         true, "100 mm"},
        // An integer past 32 bits overflows: the notification ends, nothing is said or stored.
        {"2^31", en, Row::Count, "2147483648", true, 7, -1, "", false, "2147483648"},
        {"-2^31 - 1", en, Row::Count, "-2147483649", true, 7, -1, "", false, "-2147483649"},
        {"2^31 - 0.5 rounds up to 2^31", en, Row::Count, "2147483647.5", true, 7, -1, "", false,
         "2147483647.5"},
        {"2^31 - 1", en, Row::Count, "2147483647", true, 2147483647, -1, "", true, "2147483647"},
        // The value cell has no length limit of its own; the attribute decides.
        {"303 characters", en, Row::Note, longText, true, longText, -1, "", true, longText},
        {"303 characters refused", en, Row::Note, longText, false, "n", -1,
         rejected.arg(longText, "Remark"), true, "n"},
    };

    for (bool viaGrid : {false, true}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (viaGrid ? ", typed into the grid" : ", field set"));
            const ScopedLocale locale(c.locale);
            Editor editor(makeAttribute(c.row));
            FakeAttribute &a = *editor.attribute;
            a.m_valid = c.valid;
            if (viaGrid)
                editor.typeIntoGrid(c.typed);
            else
                editor.setField(c.typed);

            EXPECT_EQ(a.m_value, c.stored);
            EXPECT_EQ(a.unitWrites.size(), c.unit >= 0 ? 1u : 0u);
            if (c.unit >= 0 && a.unitWrites.size() == 1) {
                EXPECT_EQ(a.unitWrites[0].first, c.unit);
            }
            const auto &messages = editor.services.messages;
            EXPECT_EQ(messages.size(), c.message.isEmpty() ? 0u : 1u);
            if (!c.message.isEmpty() && messages.size() == 1) {
                EXPECT_EQ(messages[0].text, c.message);
                EXPECT_EQ(messages[0].title, kMessageTitle);
            }
            EXPECT_EQ(editor.changes.size(), c.reported ? 1 : 0);
            EXPECT_EQ(editor.shown(), c.shown);
            EXPECT_FALSE(ctlAttributesPrivate::get(&editor.control)->m_bUpdating);
            // Nothing unfit ever reached the attribute, not even to be validated.
            for (const Variant &v : a.validated)
                EXPECT_TRUE(isFinite(v)) << v.debugText().toStdString();
            for (const Variant &v : a.writes)
                EXPECT_TRUE(isFinite(v)) << v.debugText().toStdString();
        }
    }
}

// A real value shown without its unit is a number in the cell, and the host's SetAttributeValue
// writes it back through the edit road. Under a decimal comma its text "12,5" read back as 12.
TEST(EntryEdge, HostValueKeepsItsFractionUnderADecimalComma)
{
    for (QLocale::Language language : {en, de}) {
        const ScopedLocale locale(language);
        test::RecordingServices services;
        ctlAttributes control(nullptr, &services);
        auto object = std::make_shared<tessel::Collection>();
        object->add(QStringLiteral("Len"), adtReal)->setUnitsText(QStringLiteral("mm"));
        control.setDataSource(object);
        control.SetAttributeValue("Len", 12.5);
        EXPECT_EQ(object->attribute(QStringLiteral("Len"))->value(), Variant(12.5))
            << QLocale::languageToString(language).toStdString();
        EXPECT_TRUE(services.messages.empty());
        EXPECT_FALSE(ctlAttributesPrivate::get(&control)->m_bUpdating);
    }
}

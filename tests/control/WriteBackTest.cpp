// Edits of the value cell: what reaches the attribute, the messages, the event, the redisplay.

#include "tests/control/ControlFixture.h"

#include "tessel/Collection.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using test::FakeCollection;

namespace {

const QString kTitle = QStringLiteral("CorvinAttributesEditor");

enum class Row { Length, Count, Note, Flag, Colour };

// One attribute of each kind of row; the real is shown in millimetres.
std::shared_ptr<FakeAttribute> makeAttribute(Row row)
{
    static const struct
    {
        const char *name, *displayName;
        std::int32_t type;
        Variant value;
    } rows[] = {{"Len", "Length", adtReal, 100.0},
                {"Count", "Pieces", adtInteger, 7},
                {"Note", "Remark", adtText, "n"},
                {"Flag", "Tested", adtBoolean, true},
                {"Colour", "Colour", adtText, "r"}};
    const auto &r = rows[int(row)];
    auto a = std::make_shared<FakeAttribute>(r.name, r.type, r.value);
    a->m_displayName = r.displayName;
    if (row == Row::Length) a->m_units = "mm", a->m_unitsCode = 0;
    if (row == Row::Colour)
        a->m_allowable = "enumeration", a->m_enum = {{"r", "Red"}, {"g", "Green"}};
    return a;
}

struct WriteBack : test::ControlFixture
{
    WriteBack()
    {
        control.setShowUnits(true);
        control.resize(400, 300);
        control.show();
    }

    // Loads a source holding just `a` and forgets earlier messages and events.
    std::shared_ptr<FakeAttribute> loadOnly(std::shared_ptr<FakeAttribute> a)
    {
        source = std::make_shared<FakeCollection>();
        source->add(a);
        control.setDataSource(source);
        services.messageBox.messages.clear();
        changes.clear();
        return a;
    }
    // Writes `text` into the value cell of the first row, as the grid's editor does.
    void type(const Variant &text)
    {
        d->m_rs->moveFirst();
        d->m_rs->setValue(fieldName(fValue), text);
    }
    // Types `text` into the value cell of grid row `row` and presses Enter.
    void typeIntoGrid(int row, const QString &text)
    {
        // The editor of an earlier edit may still await deletion.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        grid->setFocus();
        grid->setCurrentColumn(1);
        grid->setCurrentRow(row);
        grid->setEditActive(true);
        auto *editor = grid->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    // The names the AttributeChange events carried, and the messages shown as "title|text".
    QStringList changed() const
    {
        QStringList names;
        for (const auto &args : changes)
            names << args.at(0).toString();
        return names;
    }
    QStringList said() const
    {
        QStringList out;
        for (const auto &m : services.messageBox.messages)
            out << m.title + u'|' + m.text;
        return out;
    }
    QSignalSpy changes{&control, &ctlAttributes::AttributeChange};
};

} // namespace

// Each entry is typed into the real grid and also written to the field as the grid's editor does.
TEST_F(WriteBack, TypedValues)
{
    const QLocale en = test::enUS, de = test::deDE;
    const QString longText = QStringLiteral("0123456789").repeated(30) + QStringLiteral("end");
    const QString rejected = QStringLiteral("Invalid value ( %1 )\r\n%2 has not been changed");
    const struct
    {
        const char *name;
        QLocale locale;
        Row row;
        QString typed;
        bool valid; // the attribute's answer to validate
        Variant stored;
        int unit; // the code it was written in; -1: not written in units
        QString message;
        bool reported;
        QString shown;
    } cases[] = {
        // "." is the only decimal separator whatever the locale: the number ends at the comma
        // and ",5 ft" names no unit.
        {"decimal comma, en_US", en, Row::Length, "12,5", true, 12.0, 0, "", true, "12 mm"},
        {"decimal comma and unit", de, Row::Length, "12,5 ft", true, 12.0, 0, "", true, "12 mm"},
        {"decimal point, de_DE", de, Row::Length, "12.5 ft", true, 12.5, 3, "", true, "12,5 mm"},
        {"decimal comma, integer", de, Row::Count, "12,5", true, 12, -1, "", true, "12"},
        // Spelled-out NaN and infinities are no number: they read as 0.
        {"NaN", en, Row::Length, "NaN", true, 0.0, 0, "", true, "0.00E+00 mm"},
        {"inf", en, Row::Length, "inf", true, 0.0, 0, "", true, "0.00E+00 mm"},
        // Digits past a double's range read as infinity, which is refused like a bad value.
        {"1e999", en, Row::Length, "1e999", true, 100.0, -1, rejected.arg("1e999", "Length"), true,
         "100 mm"},
        // An integer past 32 bits overflows: the notification ends, nothing is said or stored.
        {"2^31", en, Row::Count, "2147483648", true, 7, -1, "", false, "2147483648"},
        {"2^31 - 1", en, Row::Count, "2147483647", true, 2147483647, -1, "", true, "2147483647"},
        // The value cell has no length limit of its own; the attribute decides.
        {"303 characters", en, Row::Note, longText, true, longText, -1, "", true, longText},
        {"303 characters refused", en, Row::Note, longText, false, "n", -1,
         rejected.arg(longText, "Remark"), true, "n"},
        // A boolean that does not convert is stored as false by the nested notification.
        {"boolean", en, Row::Flag, "True", true, "True", -1, "", true, "True"},
        {"not a boolean", en, Row::Flag, "maybe", true, false, -1,
         "Invalid boolean value ( maybe )\r\nTested FALSE assumed", true, "False"},
        // An enumeration stores the stored value of the chosen text, else the first one.
        {"enumeration", en, Row::Colour, "Green", true, "g", -1, "", true, "Green"},
        {"not in the enumeration", en, Row::Colour, "Blue", true, "r", -1, "", true, "Blue"},
    };

    for (bool viaGrid : {false, true}) {
        for (const auto &c : cases) {
            // The value cell of a list row is locked: only its list writes the field.
            if (viaGrid && (c.row == Row::Flag || c.row == Row::Colour)) continue;
            SCOPED_TRACE(std::string(c.name) + (viaGrid ? ", typed into the grid" : ", field set"));
            const test::ScopedLocale locale(c.locale);
            FakeAttribute &a = *loadOnly(makeAttribute(c.row));
            a.m_valid = c.valid;
            if (viaGrid)
                typeIntoGrid(0, c.typed);
            else
                type(c.typed);

            EXPECT_EQ(a.m_value, c.stored);
            EXPECT_EQ(a.unitWrites.empty() ? -1 : a.unitWrites[0].first, c.unit);
            EXPECT_EQ(said(),
                      c.message.isEmpty() ? QStringList() : QStringList{kTitle + u'|' + c.message});
            EXPECT_EQ(changed(), c.reported ? QStringList{a.m_name} : QStringList());
            EXPECT_EQ(column(fValue), QStringList{c.shown});
            EXPECT_FALSE(d->m_bUpdating);
            // Validation gets a finite candidate, as the row's data type takes it.
            const Variant::Type candidate[] = {Variant::Type::Double, Variant::Type::Int,
                                               Variant::Type::String};
            for (const Variant &v : a.validated) {
                EXPECT_FALSE(v.isNumber() && !std::isfinite(v.toDouble()));
                if (c.row <= Row::Note) {
                    EXPECT_EQ(v.type(), candidate[int(c.row)]);
                }
            }
        }
    }
}

// The typed unit reaches the attribute and only expression rows are redisplayed. The refresh moves
// the table's cursor while the grid's editor is being written: the row must stay current.
TEST_F(WriteBack, TypingIntoTheGridWritesBackAndRefreshesTheExpressionRows)
{
    auto first = source->add("E1", adtReal, 1.0);
    auto a = source->add(makeAttribute(Row::Length));
    auto plain = source->add("Plain", adtReal, 1.0);
    auto last = source->add("E2", adtText, Variant("a"));
    first->m_expression = last->m_expression = true;
    a->m_answerCode = 0; // the double answers unconverted
    control.setDataSource(source);
    plain->m_value = 2.0, first->m_value = 42.0, last->m_value = "b";

    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &m) {
            if (type != QtDebugMsg && type != QtInfoMsg) warnings.append(m);
        });
    typeIntoGrid(1, QStringLiteral("3 ft"));
    qInstallMessageHandler(previous);

    EXPECT_EQ(a->unitWrites, (std::vector<std::pair<UnitCode, double>>{{3, 3.0}}));
    EXPECT_EQ(changed(), QStringList{"Len"});
    EXPECT_EQ(grid->currentRow(), 2) << "Enter moved on to the next row";
    EXPECT_EQ(column(fValue), QStringList({"42", "3 mm", "1", "b"}));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
}

// Whichever attribute operation throws: the flag comes down, only a failed validation is reported,
// the event follows exactly a write or a refusal, and the next edit works.
TEST_F(WriteBack, AnyFailingAttributeOperationEndsTheEditCleanly)
{
    const struct
    {
        Row row;
        const char *typed;
        Variant received; // what a write may hand the attribute
    } kinds[] = {
        {Row::Length, "3 ft", 3.0},    {Row::Count, "5", 5},        {Row::Note, "abc", "abc"},
        {Row::Flag, "False", "False"}, {Row::Colour, "Green", "g"},
    };
    using Op = FakeAttribute::Op;
    for (const auto &kind : kinds) {
        for (int op = int(Op::Name); op <= int(Op::DisplayText); ++op) {
            auto a = loadOnly(makeAttribute(kind.row));
            SCOPED_TRACE(a->m_name.toStdString() + " op " + std::to_string(op));
            a->throwOn = Op(op);
            type(kind.typed);

            EXPECT_FALSE(d->m_bUpdating);
            EXPECT_NO_THROW(d->m_rs->checkConsistency());
            for (const auto &m : services.messageBox.messages)
                EXPECT_TRUE(Op(op) == Op::Validate && m.text.startsWith(u"Invalid value ( "))
                    << m.text.toStdString();
            for (const Variant &w : a->writes)
                EXPECT_EQ(w, kind.received);
            for (const auto &[units, v] : a->unitWrites)
                EXPECT_EQ(Variant(v), kind.received);
            const bool happened = !a->writes.empty() || !a->unitWrites.empty() || !said().empty();
            EXPECT_EQ(changes.size(), happened ? 1 : 0);

            a->throwOn = Op::None;
            type(kind.typed);
            EXPECT_EQ(changes.size(), happened ? 2 : 1);
        }
    }
    // A row whose attribute the source no longer has.
    loadOnly(makeAttribute(Row::Count));
    source->attributes.clear();
    type("5");
    EXPECT_EQ(changes.size() + said().size(), 0);
}

// A host may load another object, or detach, from its AttributeChange handler or under a message.
TEST_F(WriteBack, TheHostMayReplaceTheSourceWhileAnEditRuns)
{
    auto other = std::make_shared<FakeCollection>();
    other->add("Other", adtText, "x");
    for (const bool detach : {false, true}) {
        for (const bool onMessage : {false, true}) {
            SCOPED_TRACE(std::to_string(detach) + std::to_string(onMessage));
            auto a = loadOnly(makeAttribute(Row::Length));
            source->add("Total", adtReal, 7.0)->m_expression = true;
            control.setDataSource(source);
            a->m_valid = !onMessage;
            const auto replace = [&] { control.setDataSource(detach ? nullptr : other); };
            QMetaObject::Connection c;
            if (onMessage)
                services.messageBox.onMessage = [&](const auto &) { replace(); };
            else
                c = QObject::connect(&control, &ctlAttributes::AttributeChange, replace);
            type("5");
            QObject::disconnect(c);
            services.messageBox.onMessage = nullptr;

            EXPECT_FALSE(d->m_bUpdating);
            EXPECT_EQ(changes.size(), onMessage ? 0 : 1);
            EXPECT_EQ(d->m_rs ? column(fName) : QStringList(),
                      detach ? QStringList() : QStringList{"Other"});
        }
    }
}

// SetAttributeValue goes through the edit road; without units the cell under a decimal comma
// holds "12,5", which must not read back as 12.
TEST_F(WriteBack, HostCalls)
{
    auto a = loadOnly(makeAttribute(Row::Length));
    EXPECT_TRUE(control.SetAttributeDisplayUnits("Len", "m").isEmpty());
    EXPECT_EQ(column(fValue), QStringList{"100 m"});
    EXPECT_TRUE(control.SetAttributeDisplayUnits("Nope", "m").isEmpty());
    EXPECT_TRUE(control.SetAttributeValue("Nope", 3.0).isEmpty());
    EXPECT_TRUE(control.SetAttributeValue("Len", 250.0).isEmpty());
    // Its write of the raw value is handled as an edit too: the text goes to the attribute.
    EXPECT_EQ(a->writes, (std::vector<Variant>{250.0, "250"}));

    control.setShowUnits(false);
    for (const QLocale &locale : {test::enUS, test::deDE}) {
        const test::ScopedLocale scoped(locale);
        auto object = std::make_shared<tessel::Collection>();
        object->add(QStringLiteral("Len"), adtReal)->setUnitsText(QStringLiteral("mm"));
        control.setDataSource(object);
        control.SetAttributeValue("Len", 12.5);
        EXPECT_EQ(object->attribute(QStringLiteral("Len"))->value(), Variant(12.5))
            << locale.name().toStdString();
        EXPECT_TRUE(services.messageBox.messages.empty());
    }
}

namespace {

// The expression rows the refresh visits are the rows whose "Expression" holds true, whoever
// added or changed them, and only those of the table followed.
TEST(ExpressionRowList, FollowsEveryWayTheFlagChanges)
{
    auto table = createAttributeTable();
    auto other = createAttributeTable();
    ExpressionRows list; // goes before the tables it follows
    const auto walk = [](const platform::RecordSet &rs) {
        std::vector<int> rows;
        for (int row = 0; row < rs.recordCount(); ++row)
            if (rs.valueAt(row, fExpression) == Variant(true)) rows.push_back(row);
        return rows;
    };
    const auto addRow = [](platform::RecordSet &rs, bool expression) {
        AttributeRow row;
        row[fName] = QStringLiteral("A%1").arg(rs.recordCount());
        row[fExpression] = expression;
        rs.addNew(row);
    };
    addRow(*table, true);
    addRow(*table, false);
    list.follow(table.get());
    EXPECT_EQ(list.rows(), walk(*table)) << "rows there before";

    addRow(*table, true);
    addRow(*table, false);
    table->addNew();
    table->setValue(fExpression, true);
    EXPECT_EQ(list.rows(), (std::vector<int>{0, 2, 4})) << "rows added whole and field by field";

    auto clone = table->clone();
    clone->setValueAt(1, fExpression, true);
    table->setValueAt(2, fExpression, false);
    table->setValueAt(0, fExpression, Variant::null());
    EXPECT_EQ(list.rows(), walk(*table)) << "flags changed, also through a clone";
    EXPECT_EQ(list.rows(), (std::vector<int>{1, 4}));

    addRow(*other, false);
    list.follow(other.get());
    table->setValueAt(3, fExpression, true);
    EXPECT_TRUE(list.rows().empty()) << "another table followed";
}

} // namespace

#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/DataGrid.h"
#include "platform/RecordSet.h"
#include "tests/support/FakeAttributes.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using test::FakeCollection;

namespace {

struct WriteBack : ::testing::Test
{
    test::RecordingServices services;
    ctlAttributes control{nullptr, &services};
    ctlAttributesPrivate *d = ctlAttributesPrivate::get(&control);
    std::shared_ptr<FakeCollection> source = std::make_shared<FakeCollection>();
    QSignalSpy changes{&control, &ctlAttributes::AttributeChange};

    std::shared_ptr<FakeAttribute> length()
    {
        auto a = source->add("Len", adtReal, 100.0);
        a->m_displayName = "Length";
        a->m_units = "mm";
        a->m_unitsCode = 0;
        return a;
    }
    // Loads the source and types `text` into the value cell of the row named `name`, as the
    // grid's in-place editor does.
    void type(const QString &name, const Variant &text)
    {
        if (control.attributeTable() == nullptr) control.setDataSource(source);
        platform::RecordSet &rs = *control.attributeTable();
        rs.moveFirst();
        ASSERT_TRUE(rs.find(QStringLiteral("Name = '%1'").arg(name)));
        rs.setValue(u"Value", text);
    }
    Variant shown(const QString &name)
    {
        platform::RecordSet &rs = *control.attributeTable();
        rs.moveFirst();
        rs.find(QStringLiteral("Name = '%1'").arg(name));
        return rs.value(u"Value");
    }
};

} // namespace

TEST_F(WriteBack, ATypedUnitGoesBackAsItsCodeAndTheCellShowsTheDisplayUnit)
{
    auto a = length();
    a->m_answerCode = 0;
    control.setShowUnits(true);
    type("Len", "12.5 ft");
    ASSERT_EQ(a->unitWrites.size(), 1u);
    EXPECT_EQ(a->unitWrites[0], std::make_pair(UnitCode(3), 12.5));
    EXPECT_EQ(shown("Len"), Variant("12.5 mm")); // the double twin answers unconverted
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0][0].toString(), QStringLiteral("Len"));
    EXPECT_FALSE(d->m_bUpdating);
}

TEST_F(WriteBack, ARejectedValueShowsTheMessageKeepsTheValueAndStillReports)
{
    auto a = length();
    a->m_valid = false;
    type("Len", "-4");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              QStringLiteral("Invalid value ( -4 )\r\nLength has not been changed"));
    EXPECT_EQ(services.messages[0].title, QStringLiteral("CorvinAttributesEditor"));
    EXPECT_TRUE(a->writes.empty());
    EXPECT_EQ(shown("Len"), Variant(100.0));
    EXPECT_EQ(changes.size(), 1);
}

TEST_F(WriteBack, ABooleanThatDoesNotConvertIsStoredAsFalseByTheNestedRun)
{
    auto flag = source->add("Flag", adtBoolean, true);
    flag->m_displayName = "Tested";
    type("Flag", "maybe");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              QStringLiteral("Invalid boolean value ( maybe )\r\nTested FALSE assumed"));
    EXPECT_EQ(flag->writes, std::vector<Variant>{Variant(false)});
    EXPECT_EQ(changes.size(), 1);

    type("Flag", "True");
    EXPECT_EQ(flag->writes.back(), Variant("True")); // as received, not converted
    EXPECT_EQ(changes.size(), 2);
}

TEST_F(WriteBack, EnumerationsStoreTheStoredValueOfTheChosenText)
{
    auto colour = source->add("Colour", adtText, Variant("r"));
    colour->m_allowable = "enumeration";
    colour->m_enum = {{"r", "Red"}, {"g", "Green"}};
    const std::pair<const char *, const char *> cases[] = {{"Green", "g"}, {"Blue", "r"}};
    for (const auto &[typed, stored] : cases) {
        type("Colour", typed);
        EXPECT_EQ(colour->writes.back(), Variant(stored)) << typed;
    }
}

// Every failure ends the notification quietly: no message, no event, flag cleared.
TEST_F(WriteBack, FailuresEndTheNotificationWithoutMessageOrEvent)
{
    const FakeAttribute::Op ops[] = {FakeAttribute::Op::DataType, FakeAttribute::Op::SetValue};
    for (FakeAttribute::Op op : ops) {
        source = std::make_shared<FakeCollection>();
        auto flag = source->add("Flag", adtBoolean, true);
        control.setDataSource(source);
        flag->throwOn = op;
        type("Flag", "True");
        EXPECT_TRUE(services.messages.empty()) << int(op);
        EXPECT_EQ(changes.size(), 0) << int(op);
        EXPECT_FALSE(d->m_bUpdating);
    }
    // An integer past the 32-bit range, and a row whose attribute the source no longer has.
    source = std::make_shared<FakeCollection>();
    auto count = source->add("Count", adtInteger, 1);
    control.setDataSource(source);
    type("Count", "3e10");
    EXPECT_TRUE(count->writes.empty());
    source->attributes.clear();
    type("Count", "5");
    EXPECT_EQ(changes.size(), 0);
    EXPECT_TRUE(services.messages.empty());
}

// Whichever operation of the attribute fails during an edit, of whatever kind of row: nothing
// crashes, the updating flag comes down, the only message is the invalid-value one when
// validation itself fails, the attribute receives nothing but the typed value, and the next
// edit works.
TEST_F(WriteBack, AnyFailingAttributeOperationEndsTheEditCleanly)
{
    struct Kind {
        const char *name;
        std::int32_t type;
        Variant initial;
        const char *typed;
        Variant received; // what a write may hand the attribute
    };
    const Kind kinds[] = {
        {"Len", adtReal, 100.0, "3 ft", 3.0},    {"Count", adtInteger, 1, "7", 7},
        {"Note", adtText, "a", "abc", "abc"},    {"Flag", adtBoolean, true, "False", "False"},
        {"Colour", adtText, "r", "Green", "g"},
    };
    using Op = FakeAttribute::Op;
    for (const Kind &kind : kinds) {
        for (int op = int(Op::Name); op <= int(Op::DisplayText); ++op) {
            SCOPED_TRACE(std::string(kind.name) + " op " + std::to_string(op));
            source = std::make_shared<FakeCollection>();
            auto a = source->add(kind.name, kind.type, kind.initial);
            if (kind.type == adtReal) a->m_units = "mm", a->m_unitsCode = 0;
            if (QLatin1String(kind.name) == "Colour") {
                a->m_enum = {{"r", "Red"}, {"g", "Green"}};
                a->m_allowable = "enumeration";
            }
            control.setShowUnits(true);
            control.setDataSource(source);
            services.messages.clear();
            a->throwOn = Op(op);
            type(kind.name, kind.typed);

            EXPECT_FALSE(d->m_bUpdating);
            EXPECT_NO_THROW(control.attributeTable()->checkConsistency());
            for (const auto &m : services.messages)
                EXPECT_TRUE(Op(op) == Op::Validate && m.text.startsWith(u"Invalid value ( "))
                    << m.text.toStdString();
            for (const Variant &w : a->writes)
                EXPECT_EQ(w, kind.received);
            for (const auto &[units, v] : a->unitWrites)
                EXPECT_EQ(Variant(v), kind.received);

            a->throwOn = Op::None;
            const qsizetype before = changes.size();
            type(kind.name, kind.typed);
            EXPECT_EQ(changes.size(), before + 1);
        }
    }
}

// A host may load another object, or detach, from its AttributeChange handler or while a
// message is up. The edit then ends there and the new state stands.
TEST_F(WriteBack, TheHostMayReplaceTheSourceWhileAnEditRuns)
{
    auto other = std::make_shared<FakeCollection>();
    other->add("Other", adtText, "x");
    for (const bool detach : {false, true}) {
        for (const bool onMessage : {false, true}) {
            SCOPED_TRACE(std::to_string(detach) + std::to_string(onMessage));
            source = std::make_shared<FakeCollection>();
            auto a = length();
            source->add("Total", adtReal, 7.0)->m_expression = true;
            a->m_valid = !onMessage;
            control.setDataSource(source);
            const auto replace = [&] { control.setDataSource(detach ? nullptr : other); };
            QMetaObject::Connection c;
            if (onMessage)
                services.onMessage = [&](const auto &) { replace(); };
            else
                c = QObject::connect(&control, &ctlAttributes::AttributeChange, replace);
            type("Len", "5");
            QObject::disconnect(c);
            services.onMessage = nullptr;

            EXPECT_FALSE(d->m_bUpdating);
            if (detach) {
                EXPECT_EQ(control.attributeTable(), nullptr);
            } else {
                ASSERT_NE(control.attributeTable(), nullptr);
                EXPECT_EQ(control.attributeTable()->recordCount(), 1);
                control.attributeTable()->checkConsistency();
            }
        }
    }
}

TEST_F(WriteBack, HostCallsReturnEmptyAndReportNothing)
{
    auto a = length();
    control.setShowUnits(true);
    control.setDataSource(source);
    EXPECT_TRUE(control.SetAttributeDisplayUnits("Len", "m").isEmpty());
    EXPECT_EQ(shown("Len"), Variant("100 m"));
    EXPECT_TRUE(control.SetAttributeDisplayUnits("Nope", "m").isEmpty());
    EXPECT_TRUE(control.SetAttributeValue("Nope", 3.0).isEmpty());
    EXPECT_TRUE(control.SetAttributeValue("Len", 250.0).isEmpty());
    EXPECT_EQ(a->m_value, Variant(250.0));
    EXPECT_FALSE(d->m_bUpdating);
}

// After an edit every expression row shows its attribute's value again; other rows are left
// alone, and the edited row stays current.
TEST_F(WriteBack, AnEditRefreshesEveryExpressionRowAndKeepsTheCurrentRow)
{
    auto plain = source->add("Plain", adtReal, 1.0);
    auto first = source->add("E1", adtReal, 1.0);
    auto a = length();
    auto last = source->add("E2", adtText, Variant("a"));
    first->m_expression = last->m_expression = true;
    control.setDataSource(source);
    plain->m_value = 2.0;
    first->m_value = 42.0;
    last->m_value = "b";
    type("Len", "5");
    EXPECT_EQ(d->m_rs->currentRow(), 2);
    EXPECT_EQ(shown("E1"), Variant(42.0));
    EXPECT_EQ(shown("E2"), Variant("b"));
    EXPECT_EQ(shown("Plain"), Variant(1.0));
    EXPECT_FALSE(d->m_bUpdating);
}

// End to end on the real grid: type into the value cell, press Enter, and the attribute
// receives the value in the typed unit. The expression row's refresh moves the table's cursor
// while the edit is being written, which must not upset the grid's editor.
TEST_F(WriteBack, TypingIntoTheGridWritesBack)
{
    auto a = length();
    a->m_answerCode = 0;
    source->add("Total", adtReal, 7.0)->m_expression = true;
    control.setShowUnits(true);
    control.resize(400, 300);
    control.show();
    control.setDataSource(source);
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &m) {
            if (type != QtDebugMsg && type != QtInfoMsg) warnings.append(m);
        });
    platform::DataGrid *grid = control.grid();
    grid->setFocus();
    grid->setCurrentColumn(1);
    grid->setCurrentRow(0);
    grid->setEditActive(true);
    auto *editor = grid->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("3 ft"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_EQ(a->unitWrites.size(), 1u);
    EXPECT_EQ(a->unitWrites[0], std::make_pair(UnitCode(3), 3.0));
    EXPECT_EQ(changes.size(), 1);
    qInstallMessageHandler(previous);
    EXPECT_EQ(shown("Len"), Variant("3 mm"));
    EXPECT_EQ(shown("Total"), Variant(7.0));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
}

// A host may do anything from any call the control makes into it: reload, load another object,
// detach, delete the control, write through the control's own methods. Each case runs one edit
// with the host acting once from one callback, then checks that nothing freed was touched
// (under the sanitizers), nothing went into an object that was not edited, and the control
// still edits.

#include "tests/control/ControlFixture.h"

#include "control/RowDisplay.h"
#include "core/NumberText.h"
#include "platform/PropertyBag.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <cmath>
#include <limits>

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using test::FakeCollection;
using Op = FakeAttribute::Op;

namespace {

// Log lines of the "tabulon" category while one is alive.
class CapturedLog
{
public:
    CapturedLog() { s_lines = {}; s_previous = qInstallMessageHandler(&CapturedLog::handler); }
    ~CapturedLog() { qInstallMessageHandler(s_previous); }
    static QStringList lines() { return s_lines; }

private:
    static void handler(QtMsgType, const QMessageLogContext &context, const QString &text)
    {
        if (QLatin1String(context.category) == QLatin1String("tabulon")) s_lines << text;
    }
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};

// An object with two real rows shown in mm, a text, an enumeration, a boolean and an expression row.
std::shared_ptr<FakeCollection> makeObject(double len, double b)
{
    auto object = std::make_shared<FakeCollection>();
    for (const auto &[name, value] : {std::pair{"Len", len}, std::pair{"B", b}}) {
        auto a = object->add(name, adtReal, value);
        a->m_units = "mm", a->m_unitsCode = 0;
    }
    object->add("Note", adtText, "n");
    auto colour = object->add("Colour", adtText, "r");
    colour->m_allowable = "enumeration", colour->m_enum = {{"r", "Red"}, {"g", "Green"}};
    object->add("Flag", adtBoolean, true);
    object->add("Total", adtReal, 7.0)->m_expression = true;
    return object;
}

enum class Edit { Typed, TypedText, TypedInFeet, Rejected, NoBoolean, Picked, HostSet };
enum class Action {
    ReloadSame, LoadOther, LoadOtherThenSet, Detach, Empty, DisplayOrder, DeleteLater, Delete,
    SetAttributeValue, SetAttributeDisplayUnits,
};

struct Callback
{
    const char *name;
    Edit edit;
    Op op; // Op::None: the lookup, the message box or AttributeChange, by name
};

const Callback kCallbacks[] = {
    {"itemByKey", Edit::Typed, Op::None},
    {"dataType", Edit::Typed, Op::DataType},
    {"validate", Edit::Typed, Op::Validate},
    {"setValue", Edit::TypedText, Op::SetValue},
    {"valueInUnits", Edit::Typed, Op::ValueInUnits},
    {"value of an expression row", Edit::Typed, Op::Value},
    {"setValueInUnits", Edit::TypedInFeet, Op::SetValueInUnits},
    {"displayName", Edit::Rejected, Op::DisplayName},
    {"message box", Edit::Rejected, Op::None},
    {"message box, boolean", Edit::NoBoolean, Op::None},
    {"enumerationCount", Edit::Picked, Op::EnumerationCount},
    {"enumerationDisplayText", Edit::Picked, Op::EnumerationDisplayText},
    {"enumerationValue", Edit::Picked, Op::EnumerationValue},
    {"AttributeChange", Edit::Typed, Op::None},
    {"setValue from SetAttributeValue", Edit::HostSet, Op::SetValue},
    {"rawValue", Edit::HostSet, Op::RawValue},
    {"evaluatedValue", Edit::HostSet, Op::EvaluatedValue},
};

const std::pair<Action, const char *> kActions[] = {
    {Action::ReloadSame, "reload same"},
    {Action::LoadOther, "load other"},
    {Action::LoadOtherThenSet, "load other, SetAttributeValue B"},
    {Action::Detach, "detach"},
    {Action::Empty, "empty collection"},
    {Action::DisplayOrder, "DisplayOrder"},
    {Action::DeleteLater, "deleteLater"},
    {Action::Delete, "delete"},
    {Action::SetAttributeValue, "SetAttributeValue B"},
    {Action::SetAttributeDisplayUnits, "SetAttributeDisplayUnits"},
};

struct HostReentry : ::testing::Test
{
    test::RecordingServices services;
    QPointer<ctlAttributes> control = new ctlAttributes(nullptr, services);
    std::shared_ptr<FakeCollection> source = makeObject(100, 1);
    std::shared_ptr<FakeCollection> other = makeObject(500, 600);

    ~HostReentry() override
    {
        delete control.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(); // tables kept for a deleted control go here
    }
    ctlAttributesPrivate *d() const { return ctlAttributesPrivate::get(control); }

    void act(Action action)
    {
        switch (action) {
        case Action::ReloadSame: control->setDataSource(source); break;
        case Action::LoadOther: control->setDataSource(other); break;
        case Action::LoadOtherThenSet:
            control->setDataSource(other);
            control->SetAttributeValue("B", 9.0);
            break;
        case Action::Detach: control->setDataSource(nullptr); break;
        case Action::Empty: control->setDataSource(std::make_shared<FakeCollection>()); break;
        case Action::DisplayOrder: control->setDisplayOrder(ctlAttributes::eGDOInsertion); break;
        case Action::DeleteLater: control->deleteLater(); break;
        case Action::Delete: delete control.data(); break;
        case Action::SetAttributeValue: control->SetAttributeValue("B", 9.0); break;
        case Action::SetAttributeDisplayUnits: control->SetAttributeDisplayUnits("Len", "m"); break;
        }
    }

    // Writes `text` into the value cell of the row named `name`, as the grid's editor does.
    void type(const QString &name, const Variant &text)
    {
        platform::RecordSet &rs = *d()->m_rs;
        rs.setCurrentRow(rowOfName(rs, name));
        rs.setValue(fieldName(fValue), text);
    }
    void run(Edit edit)
    {
        switch (edit) {
        case Edit::Typed: type("Len", "5"); break;
        case Edit::TypedText: type("Note", "typed"); break;
        case Edit::TypedInFeet: type("Len", "2 ft"); break;
        case Edit::Rejected: type("Len", "5"); break;
        case Edit::NoBoolean: type("Flag", "maybe"); break;
        case Edit::Picked: type("Colour", "Green"); break;
        case Edit::HostSet: control->SetAttributeValue("Len", 5.0); break;
        }
    }

    // Every real row of the table shows its attribute's number.
    void expectRowsMatchTheirAttributes(const FakeCollection &shown)
    {
        platform::RecordSet &rs = *d()->m_rs;
        for (const auto &name : {QStringLiteral("Len"), QStringLiteral("B")}) {
            const Variant &cell = rs.valueAt(rowOfName(rs, name), fValue);
            EXPECT_EQ(platform::readNumber(cell.toText()),
                      std::static_pointer_cast<FakeAttribute>(shown.itemByKey(name))
                          ->m_value.toDouble())
                << name.toStdString() << " shows " << cell.toText().toStdString();
        }
    }
};

} // namespace

TEST_F(HostReentry, AnyCallbackAnyAction)
{
    for (const Callback &callback : kCallbacks) {
        for (const auto &[action, actionName] : kActions) {
            SCOPED_TRACE(std::string(callback.name) + " / " + actionName);
            if (!control) control = new ctlAttributes(nullptr, services);
            control->setShowUnits(true);
            control->setDisplayOrder(ctlAttributes::eGDODefault);
            source = makeObject(100, 1);
            other = makeObject(500, 600);
            control->setDataSource(source);
            source->attributes[0]->m_valid = callback.edit != Edit::Rejected;

            bool armed = true;
            const auto once = [&, action = action] {
                if (!std::exchange(armed, false)) return;
                act(action);
            };
            QMetaObject::Connection changed;
            if (callback.op != Op::None) {
                for (const auto &a : source->attributes)
                    a->onCall = [&, op = callback.op](Op called) {
                        if (called == op) once();
                    };
            } else if (callback.name == std::string("itemByKey")) {
                source->onItemByKey = once;
            } else if (callback.name == std::string("AttributeChange")) {
                changed = QObject::connect(control, &ctlAttributes::AttributeChange, once);
            } else {
                services.messageBox.onMessage = [&](const auto &) { once(); };
            }

            run(callback.edit);

            EXPECT_FALSE(armed) << "the callback was not reached";
            QObject::disconnect(changed);
            services.messageBox.onMessage = nullptr;
            for (const auto &a : source->attributes)
                a->onCall = nullptr;
            source->onItemByKey = nullptr;

            // Nothing went into the object that was not edited, but what the host wrote itself.
            for (const auto &a : other->attributes) {
                if (action == Action::LoadOtherThenSet && a->m_name == "B") continue;
                EXPECT_TRUE(a->writes.empty() && a->unitWrites.empty()) << a->m_name.toStdString();
            }
            if (!control) continue; // deleted: the sanitizers judge what happened
            EXPECT_FALSE(d()->m_bUpdating);
            EXPECT_EQ(d()->m_notifying, 0);
            if (d()->m_rs && control->DataSource())
                expectRowsMatchTheirAttributes(
                    static_cast<const FakeCollection &>(*control->DataSource()));

            // A later edit works.
            control->setDataSource(source);
            source->attributes[0]->m_valid = true;
            type("Len", "42");
            EXPECT_EQ(source->attributes[0]->m_value, Variant(42.0));
            expectRowsMatchTheirAttributes(*source);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

// The load reads the host too: whatever the host does from a read, the control survives and
// shows each attribute of what it ends up with once.
TEST_F(HostReentry, ActingDuringALoad)
{
    for (const auto order : {ctlAttributes::eGDODefault, ctlAttributes::eGDOInsertion}) {
        for (const auto &[action, actionName] : kActions) {
            if (action == Action::LoadOtherThenSet || action == Action::SetAttributeValue ||
                action == Action::SetAttributeDisplayUnits)
                continue; // they need rows the load has not written yet
            SCOPED_TRACE(std::string(actionName) + (order ? " / insertion" : " / default"));
            if (!control) control = new ctlAttributes(nullptr, services);
            control->setDataSource(nullptr);
            control->setDisplayOrder(order);
            source = makeObject(100, 1);
            other = makeObject(500, 600);
            bool armed = true;
            source->attributes[1]->onCall = [&, action = action](Op op) {
                if (op == Op::DisplayName && std::exchange(armed, false)) act(action);
            };

            control->setDataSource(source);

            source->attributes[1]->onCall = nullptr;
            EXPECT_FALSE(armed);
            if (control && d()->m_rs && control->DataSource()) {
                const auto &shown = static_cast<const FakeCollection &>(*control->DataSource());
                EXPECT_EQ(d()->m_rs->recordCount(), int(shown.attributes.size()));
                expectRowsMatchTheirAttributes(shown);
                EXPECT_FALSE(d()->m_bUpdating);
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

// The user's own typing reaches the host through the grid's editor, which the host's delete
// takes with the control.
TEST_F(HostReentry, DeletedWhileTheGridWrites)
{
    control->resize(400, 300);
    control->show();
    control->setDataSource(source);
    QObject::connect(control, &ctlAttributes::AttributeChange, [&] { delete control.data(); });
    platform::DataGrid *grid = d()->grdEdit;
    grid->setFocus();
    grid->setCurrentColumn(1);
    grid->setCurrentRow(0);
    grid->setEditActive(true);
    auto *editor = grid->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "5");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(control.isNull());
    EXPECT_EQ(source->attributes[0]->m_value, Variant(5.0));
}

// AttributeChange answered with SetAttributeValue raises AttributeChange again. A host that
// settles (B follows Len) gets its nesting; one that never does is stopped with a warning.
TEST_F(HostReentry, AnsweringAChangeWithAChangeIsBounded)
{
    const CapturedLog log;
    control->setDataSource(source);
    QStringList seen;
    auto follow = QObject::connect(control, &ctlAttributes::AttributeChange, [&](const Variant &name) {
        seen << name.toText();
        if (name.toText() == "Len")
            control->SetAttributeValue("B", source->attributes[0]->m_value.toDouble() * 2);
    });
    type("Len", "5");
    EXPECT_EQ(seen, (QStringList{"Len", "B"}));
    EXPECT_EQ(source->attributes[1]->m_value, Variant(10.0));
    EXPECT_TRUE(log.lines().isEmpty());

    QObject::disconnect(follow);
    seen.clear();
    QObject::connect(control, &ctlAttributes::AttributeChange, [&](const Variant &name) {
        seen << name.toText();
        control->SetAttributeValue(name, 3.0);
    });
    type("Len", "6");
    EXPECT_EQ(d()->m_notifying, 0);
    EXPECT_FALSE(d()->m_bUpdating);
    EXPECT_GE(seen.size(), kMaxNotificationDepth / 2);
    EXPECT_LE(seen.size(), 2 * kMaxNotificationDepth);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains("nested")) << log.lines()[0].toStdString();
}

// What is no std::exception is trapped wherever every error is trapped.
TEST_F(HostReentry, ForeignExceptionsAreTrapped)
{
    struct ForeignFailure : platform::FileSystemService
    {
        std::unique_ptr<platform::FileSystem> createFileSystem() override { throw 42; }
    } fileSystem;
    platform::Services withFailure = services;
    withFailure.fileSystem = &fileSystem;
    const ctlAttributes failed(nullptr, withFailure);
    ASSERT_EQ(services.messageBox.messages.size(), 1u);
    EXPECT_EQ(services.messageBox.messages[0].text,
              "Unexpected error initialising Tabulon\r\n"
              "Application-defined or object-defined error");

    auto object = std::make_shared<FakeCollection>();
    auto a = object->add("Total", adtText, "x");
    a->throwOn = Op::EvaluatedValue, a->throwForeign = true;
    control->setDataSource(object);
    EXPECT_EQ(d()->m_rs->valueAt(0, fValue).toText(),
              "Application-defined or object-defined error");
}

// A bag may hold anything; what is no finite number in a property's range leaves its default
// and says so once.
TEST_F(HostReentry, PersistedPropertiesAreValidated)
{
    const float defaultHeight = control->RowHeight();
    const struct
    {
        const char *key;
        Variant stored;
        bool accepted;
    } cases[] = {
        {"RowHeight", 450.0, true},
        {"RowHeight", 1e10, false},
        {"RowHeight", 3.3e10, false},
        {"RowHeight", 1e300, false},
        {"RowHeight", std::numeric_limits<double>::quiet_NaN(), false},
        {"RowHeight", -5.0, false},
        {"RowHeight", 1.0, false},
        {"RowHeight", "tall", false},
        {"BackColor", 0x123456, true},
        {"BackColor", -1, false},
        {"ForeColor", 0x1000000, false},
        {"ShowUnits", "maybe", false},
        {"DisplayOrder", 7, false},
        {"DisplayOrder", 1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.stored.toText().toStdString());
        ctlAttributes fresh(nullptr, services);
        platform::MemoryPropertyBag bag;
        bag.insert(c.key, c.stored);
        const CapturedLog log;
        fresh.ReadProperties(bag);
        EXPECT_EQ(log.lines().size(), c.accepted ? 0 : 1) << log.lines().join('\n').toStdString();
        if (QLatin1String(c.key) == QLatin1String("RowHeight")) {
            EXPECT_FLOAT_EQ(fresh.RowHeight(), c.accepted ? float(c.stored.toDouble())
                                                          : defaultHeight);
        }
        EXPECT_GT(fresh.findChild<platform::DataGrid *>()->rowHeightTwips(), 60);
    }
}

// A host may do anything from any call the control makes into it: reload, load another object,
// detach, delete the control, write through the control's own methods. Each case runs one edit
// with the host acting once from one callback, then checks that nothing freed was touched
// (under the sanitizers), nothing went into an object that was not edited, and the control
// still edits.

#include "tests/control/ControlFixture.h"

#include "core/NumberText.h"

#include <QPointer>

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;
using test::FakeCollection;
using test::makeObject;
using Op = FakeAttribute::Op;

namespace {

// Where the host acts: an attribute operation, else the lookup, the message box or
// AttributeChange, by name. The edit types `typed` into row `row` (into the grid's editor when
// `viaGrid`); without a row the host calls SetAttributeValue("Len", 5).
const struct Callback
{
    const char *name, *row, *typed;
    Op op;
    bool viaGrid = false;
} kCallbacks[] = {
    {"itemByKey", "Len", "5", Op::None},
    {"dataType", "Len", "5", Op::DataType},
    {"validate", "Len", "5", Op::Validate},
    {"setValue", "Note", "typed", Op::SetValue},
    {"valueInUnits", "Len", "5", Op::ValueInUnits},
    {"value of an expression row", "Len", "5", Op::Value},
    {"setValueInUnits", "Len", "2 ft", Op::SetValueInUnits},
    {"displayName", "Len", "1e999", Op::DisplayName},
    {"message box", "Len", "1e999", Op::None},
    {"message box, boolean", "Flag", "maybe", Op::None},
    {"enumerationCount", "Colour", "Green", Op::EnumerationCount},
    {"enumerationDisplayText", "Colour", "Green", Op::EnumerationDisplayText},
    {"enumerationValue", "Colour", "Green", Op::EnumerationValue},
    {"AttributeChange", "Len", "5", Op::None},
    {"AttributeChange, typed into the grid", "Len", "5", Op::None, true},
    {"setValue from SetAttributeValue", nullptr, nullptr, Op::SetValue},
    {"rawValue", nullptr, nullptr, Op::RawValue},
    {"evaluatedValue", nullptr, nullptr, Op::EvaluatedValue},
};

struct HostReentry : ::testing::Test
{
    test::RecordingServices services;
    QPointer<ctlAttributes> control;
    std::shared_ptr<FakeCollection> source, other;

    ~HostReentry() override
    {
        delete control.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(); // tables kept for a deleted control go here
    }
    ctlAttributesPrivate *d() const { return ctlAttributesPrivate::get(control); }

    // A live control with fresh objects, `source` loaded when asked.
    void reset(bool loaded)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!control) control = new ctlAttributes(nullptr, services);
        control->setDataSource(nullptr); // the objects of the case before call back into it
        source = makeObject(100, 1), other = makeObject(500, 600);
        control->setShowUnits(true);
        control->setDisplayOrder(ctlAttributes::eGDODefault);
        control->setDataSource(loaded ? source : nullptr);
    }
    // When the control is alive and shows an object: the rest of the control is sound, it shows
    // each attribute of that object once, and every real row shows its attribute's number.
    void expectSound()
    {
        if (!control) return; // deleted: the sanitizers judge what happened
        EXPECT_FALSE(d()->m_bUpdating);
        EXPECT_EQ(d()->m_notifying, 0);
        if (!d()->m_rs || !control->DataSource()) return;
        const auto &shown = static_cast<const FakeCollection &>(*control->DataSource());
        platform::RecordSet &rs = *d()->m_rs;
        EXPECT_EQ(rs.recordCount(), int(shown.attributes.size()));
        for (const auto &name : {QStringLiteral("Len"), QStringLiteral("B")}) {
            const Variant &cell = rs.valueAt(rowOfName(rs, name), fValue);
            const auto a = std::static_pointer_cast<FakeAttribute>(shown.itemByKey(name));
            EXPECT_EQ(platform::readNumber(cell.toText()), a->m_value.toDouble())
                << name.toStdString() << " shows " << cell.toText().toStdString();
        }
    }
};


// What the host does, once, from the callback.
const struct Action
{
    const char *name;
    void (*act)(HostReentry &);
    bool needsRows = false; // rows of the object shown, which a load has not written yet
} kActions[] = {
    {"reload same", [](HostReentry &t) { t.control->setDataSource(t.source); }},
    {"load other", [](HostReentry &t) { t.control->setDataSource(t.other); }},
    {"load other, SetAttributeValue B", [](HostReentry &t) {
         t.control->setDataSource(t.other);
         t.control->SetAttributeValue("B", 9.0);
     }, true},
    {"detach", [](HostReentry &t) { t.control->setDataSource(nullptr); }},
    {"empty collection",
     [](HostReentry &t) { t.control->setDataSource(std::make_shared<FakeCollection>()); }},
    {"DisplayOrder",
     [](HostReentry &t) { t.control->setDisplayOrder(ctlAttributes::eGDOInsertion); }},
    {"deleteLater", [](HostReentry &t) { t.control->deleteLater(); }},
    {"delete", [](HostReentry &t) { delete t.control.data(); }},
    {"SetAttributeValue B", [](HostReentry &t) { t.control->SetAttributeValue("B", 9.0); }, true},
    {"SetAttributeDisplayUnits",
     [](HostReentry &t) { t.control->SetAttributeDisplayUnits("Len", "m"); }, true},
};

} // namespace

TEST_F(HostReentry, AnyCallbackAnyAction)
{
    for (const Callback &callback : kCallbacks) {
        for (const Action &action : kActions) {
            SCOPED_TRACE(std::string(callback.name) + " / " + action.name);
            reset(true);
            if (callback.viaGrid) control->show();
            bool armed = true;
            const auto once = [&] {
                if (std::exchange(armed, false)) action.act(*this);
            };
            const QString hook = QString::fromLatin1(callback.name);
            if (callback.op != Op::None) {
                for (const auto &a : source->attributes)
                    a->onCall = [&, op = callback.op](Op called) {
                        if (called == op) once();
                    };
            } else if (hook == u"itemByKey") {
                source->onItemByKey = once;
            } else if (hook.startsWith(u"AttributeChange")) {
                QObject::connect(control, &ctlAttributes::AttributeChange, once);
            } else {
                services.messageBox.onMessage = [&](const auto &) { once(); };
            }

            if (callback.viaGrid)
                test::typeIntoGrid(*d()->grdEdit, rowOfName(*d()->m_rs, callback.row),
                                   callback.typed);
            else if (callback.row)
                test::type(*control, callback.row, callback.typed);
            else
                control->SetAttributeValue("Len", 5.0);

            EXPECT_FALSE(armed) << "the callback was not reached";
            services.messageBox.onMessage = nullptr;
            // Nothing went into the object that was not edited, but what the host wrote itself.
            for (const auto &a : other->attributes) {
                if (action.name == std::string_view("load other, SetAttributeValue B") &&
                    a->m_name == "B")
                    continue;
                EXPECT_TRUE(a->writes.empty() && a->unitWrites.empty()) << a->m_name.toStdString();
            }
            expectSound();
            if (!control) continue;

            // A later edit works.
            QObject::disconnect(control, &ctlAttributes::AttributeChange, nullptr, nullptr);
            source = makeObject(100, 1);
            control->setDataSource(source);
            test::type(*control, "Len", "42");
            EXPECT_EQ(source->attributes[0]->m_value, Variant(42.0));
            expectSound();
        }
    }
}

// The load reads the host too: whatever the host does from a read, the control survives and
// shows each attribute of what it ends up with once.
TEST_F(HostReentry, ActingDuringALoad)
{
    for (const auto order : {ctlAttributes::eGDODefault, ctlAttributes::eGDOInsertion}) {
        for (const Action &action : kActions) {
            if (action.needsRows) continue;
            SCOPED_TRACE(std::string(action.name) + (order ? " / insertion" : " / default"));
            reset(false);
            control->setDisplayOrder(order);
            bool armed = true;
            source->attributes[1]->onCall = [&](Op op) {
                if (op == Op::DisplayName && std::exchange(armed, false)) action.act(*this);
            };
            control->setDataSource(source);
            EXPECT_FALSE(armed);
            expectSound();
        }
    }
}

// AttributeChange answered with SetAttributeValue raises AttributeChange again. A host that
// settles (B follows Len) gets its nesting; one that never does is stopped with a warning.
TEST_F(HostReentry, AnsweringAChangeWithAChangeIsBounded)
{
    reset(true);
    const test::CapturedLog log;
    QStringList seen;
    auto follow = QObject::connect(control, &ctlAttributes::AttributeChange, [&](const Variant &name) {
        seen << name.toText();
        if (name.toText() == "Len")
            control->SetAttributeValue("B", source->attributes[0]->m_value.toDouble() * 2);
    });
    test::type(*control, "Len", "5");
    EXPECT_EQ(seen, (QStringList{"Len", "B"}));
    EXPECT_EQ(source->attributes[5]->m_value, Variant(10.0)); // B
    EXPECT_TRUE(log.lines().isEmpty());

    QObject::disconnect(follow);
    seen.clear();
    QObject::connect(control, &ctlAttributes::AttributeChange, [&](const Variant &name) {
        seen << name.toText();
        control->SetAttributeValue(name, 3.0);
    });
    test::type(*control, "Len", "6");
    expectSound();
    EXPECT_GE(seen.size(), kMaxNotificationDepth / 2);
    EXPECT_LE(seen.size(), 2 * kMaxNotificationDepth);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains("nested")) << log.lines()[0].toStdString();
}

// The host acts once from any one call the control makes into it; the control must stay sound.

#include "tests/control/ControlFixture.h"

#include "core/NumberText.h"

#include <QPointer>

using namespace tabulon;
using namespace tabulon::test;
using platform::Variant;
using Op = FakeAttribute::Op;

namespace {

// Where the host acts: an attribute operation, else a hook by name. No row: SetAttributeValue;
// "load": a load, from its read of the second attribute.
const struct Callback
{
    const char *name, *row, *typed;
    Op op;
    bool viaGrid = false;
} kCallbacks[] = {
    {"itemByKey", "Len", "5", Op::None},            {"dataType", "Len", "5", Op::DataType},
    {"validate", "Len", "5", Op::Validate},         {"setValue", "Note", "typed", Op::SetValue},
    {"valueInUnits", "Len", "5", Op::ValueInUnits}, {"expression value", "Len", "5", Op::Value},
    {"setValueInUnits", "Len", "2 ft", Op::SetValueInUnits},
    {"displayName", "Len", "1e999", Op::DisplayName}, {"message box", "Len", "1e999", Op::None},
    {"message box, boolean", "Flag", "maybe", Op::None},
    {"enumerationCount", "Colour", "Green", Op::EnumerationCount},
    {"enumerationDisplayText", "Colour", "Green", Op::EnumerationDisplayText},
    {"enumerationValue", "Colour", "Green", Op::EnumerationValue},
    {"AttributeChange", "Len", "5", Op::None}, {"rawValue", nullptr, nullptr, Op::RawValue},
    {"AttributeChange, typed into the grid", "Len", "5", Op::None, true},
    {"setValue from SetAttributeValue", nullptr, nullptr, Op::SetValue},
    {"evaluatedValue", nullptr, nullptr, Op::EvaluatedValue},
    {"load, default order", nullptr, nullptr, Op::DisplayName},
    {"load, insertion order", nullptr, nullptr, Op::DisplayName},
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
        source = makeObject(100, 1);
        other = makeObject(500, 600);
        control->setShowUnits(true);
        control->setDisplayOrder(ctlAttributes::eGDODefault);
        if (loaded) control->setDataSource(source);
    }
    // A live control's flags are down; one showing an object has a row per attribute, and each
    // real row shows its attribute's number.
    void expectSound()
    {
        if (!control) return; // deleted: the sanitizers judge what happened
        EXPECT_TRUE(!d()->m_bUpdating && d()->m_notifying == 0);
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
    bool needsRows = false; // rows of the object shown, which a load may not have written yet
} kActions[] = {
    {"reload same", [](auto &t) { t.control->setDataSource(t.source); }},
    {"load other", [](auto &t) { t.control->setDataSource(t.other); }},
    {"load other, SetAttributeValue B", [](auto &t) {
         t.control->setDataSource(t.other), t.control->SetAttributeValue("B", 9.0); }, true},
    {"detach", [](auto &t) { t.control->setDataSource(nullptr); }},
    {"empty collection", [](auto &t) { t.control->setDataSource(test::collectionOf(0)); }},
    {"DisplayOrder", [](auto &t) { t.control->setDisplayOrder(ctlAttributes::eGDOInsertion); }},
    {"deleteLater", [](auto &t) { t.control->deleteLater(); }},
    {"delete", [](auto &t) { delete t.control.data(); }},
    {"SetAttributeValue B", [](auto &t) { t.control->SetAttributeValue("B", 9.0); }, true},
    {"SetAttributeDisplayUnits",
     [](auto &t) { t.control->SetAttributeDisplayUnits("Len", "m"); }, true},
};

} // namespace

TEST_F(HostReentry, AnyCallbackAnyAction)
{
    for (const Callback &callback : kCallbacks) {
        const std::string_view hook = callback.name;
        const bool load = hook.starts_with("load");
        for (const Action &action : kActions) {
            if (load && action.needsRows) continue;
            SCOPED_TRACE(std::string(callback.name) + " / " + action.name);
            reset(!load);
            if (hook.ends_with("insertion order"))
                control->setDisplayOrder(ctlAttributes::eGDOInsertion);
            if (callback.viaGrid) control->show();
            bool armed = true;
            const auto once = [&] { if (std::exchange(armed, false)) action.act(*this); };
            for (const auto &a : source->attributes)
                a->onCall = [&](Op called) { if (called == callback.op) once(); };
            if (load) source->attributes[0]->onCall = nullptr;
            if (hook == "itemByKey") source->onItemByKey = once;
            if (hook.starts_with("AttributeChange"))
                QObject::connect(control, &ctlAttributes::AttributeChange, once);
            if (hook.starts_with("message box"))
                services.messageBox.onMessage = [&](const auto &) { once(); };

            if (load)
                control->setDataSource(source);
            else if (callback.viaGrid)
                test::typeIntoGrid(*d()->grdEdit, rowOfName(*d()->m_rs, callback.row),
                                   callback.typed);
            else if (callback.row)
                test::type(*control, callback.row, callback.typed);
            else
                control->SetAttributeValue("Len", 5.0);

            EXPECT_FALSE(armed) << "the callback was not reached";
            services.messageBox.onMessage = nullptr;
            // Nothing went into the object that was not edited, but what the host wrote itself.
            const bool hostWroteB = std::string_view(action.name).starts_with("load other,");
            for (const auto &a : other->attributes)
                EXPECT_TRUE((hostWroteB && a->m_name == "B") ||
                            (a->writes.empty() && a->unitWrites.empty()))
                    << a->m_name.toStdString();
            expectSound();
            if (!control) continue;

            // A later edit works.
            QObject::disconnect(control, &ctlAttributes::AttributeChange, nullptr, nullptr);
            control->setDataSource(source = makeObject(100, 1));
            test::type(*control, "Len", "42");
            EXPECT_EQ(source->attributes[0]->m_value, Variant(42.0));
            expectSound();
        }
    }
}

// AttributeChange answered with a change: a settling host gets its nesting, an endless one stops.
TEST_F(HostReentry, AnsweringAChangeWithAChangeIsBounded)
{
    reset(true);
    const test::CapturedLog log;
    QStringList seen;
    bool settles = true;
    QObject::connect(control, &ctlAttributes::AttributeChange, [&](const Variant &name) {
        seen << name.toText();
        if (!settles)
            control->SetAttributeValue(name, 3.0);
        else if (name.toText() == "Len")
            control->SetAttributeValue("B", source->attributes[0]->m_value.toDouble() * 2);
    });
    test::type(*control, "Len", "5");
    EXPECT_EQ(seen, (QStringList{"Len", "B"}));
    EXPECT_EQ(source->attributes[5]->m_value, Variant(10.0)); // B
    EXPECT_TRUE(log.lines.isEmpty());
    seen.clear();
    settles = false;
    test::type(*control, "Len", "6");
    expectSound();
    EXPECT_GE(seen.size(), kMaxNotificationDepth / 2);
    EXPECT_LE(seen.size(), 2 * kMaxNotificationDepth);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].contains("nested")) << log.lines[0].toStdString();
}

#include "tessel/Collection.h"
#include "tessel/Evaluator_p.h"

#include "TesselTest.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <cmath>

#include <utility>

namespace {

using namespace tessel;
using tabulon::platform::Error;
using tabulon::platform::Variant;

// The names in the order of item() positions, or of forEach().
QStringList names(const Collection &c, bool byPosition = true)
{
    QStringList names;
    for (int i = 0; byPosition && i < c.count(); ++i)
        names.append(c.item(i)->name());
    if (!byPosition) c.forEach([&](tabulon::Attribute &a) { names.append(a.name()); });
    return names;
}

// Attributes named by the letters, at the given positions.
std::shared_ptr<Collection> build(const QString &names, std::initializer_list<int> positions)
{
    auto c = std::make_shared<Collection>();
    auto p = positions.begin();
    for (const QChar n : names)
        c->add(QString(n))->setPosition(*p++);
    return c;
}

std::shared_ptr<Attribute> expression(Collection &c, const QString &name, const QString &text,
                                      std::int32_t type = 3)
{
    auto a = c.add(name, type);
    a->setExpression(true);
    a->setValue(text);
    return a;
}

TEST(TesselCollection, PositionOrderIsStableAndFollowsMoves)
{
    auto c = build("ABCD", {2, 0, 1, 0});
    EXPECT_EQ(names(*c, false), QStringList({"A", "B", "C", "D"}));
    EXPECT_EQ(names(*c), QStringList({"B", "D", "C", "A"}));
    c->attribute("A")->setPosition(-1);
    EXPECT_EQ(names(*c), QStringList({"A", "B", "D", "C"}));
    c->add("E")->setPosition(5);
    c->add("F")->setPosition(-5);
    EXPECT_EQ(names(*c), QStringList({"F", "A", "B", "D", "C", "E"}));
    for (int bad : {-1, 6})
        test::expectError([&] { c->item(bad); }, Error::InvalidProcedureCall,
                          QStringLiteral("Position %1 is out of range; the collection has 6 "
                                         "attributes.")
                              .arg(bad));
}

TEST(TesselCollection, LookupByKey)
{
    auto c = build("ABXX", {3, 2, 1, 0});
    auto firstX = c->at(2);
    EXPECT_EQ(c->itemByKey("B")->name(), "B");
    EXPECT_EQ(c->itemByKey("X"), firstX); // the first added wins
    EXPECT_EQ(c->itemByKey(0), c->at(3)); // numbers are positions
    EXPECT_EQ(c->itemByKey(3.0), c->at(0));
    firstX->setName("Y");
    EXPECT_EQ(c->itemByKey("X"), c->at(3));
    EXPECT_EQ(c->itemByKey("Y"), firstX);

    const std::pair<Variant, const char *> misses[] = {
        {"x", "No attribute named \"x\"."},
        {4, "No attribute at position 4; the collection has 4 attributes."},
        {1.5, "No attribute at position 1.5; the collection has 4 attributes."},
        {-1, "No attribute at position -1; the collection has 4 attributes."},
        {true, "No attribute for the key Bool(true)."},
    };
    for (const auto &[key, description] : misses)
        test::expectError([&] { c->itemByKey(key); }, Error::ItemNotFound, description);
    EXPECT_EQ(c->attribute("x"), nullptr);
}

// An attribute belongs to one collection at a time; a working set is a copy of its own.
TEST(TesselCollection, OwnershipAndWorkingSet)
{
    auto a = std::make_shared<Attribute>("A");
    {
        Collection first;
        first.add(a);
        EXPECT_EQ(a->collection(), &first);
        Collection second;
        test::expectError([&] { second.add(a); }, Error::InvalidProcedureCall,
                          "Attribute \"A\" already belongs to a collection.");
    }
    EXPECT_EQ(a->collection(), nullptr);

    Collection c;
    c.setName("Part");
    c.add("L", 3)->setValue(10.0);
    auto twice = expression(c, "Twice", "[L] * 2");
    const auto copy = c.workingSet();
    copy->itemByKey("L")->setValue(21.0);
    EXPECT_EQ(copy->itemByKey("Twice")->value(), Variant(42.0));
    EXPECT_EQ(twice->value(), Variant(20.0));
    EXPECT_EQ(c.attribute("L")->value(), Variant(10.0));
    EXPECT_EQ(std::static_pointer_cast<Collection>(copy)->name(), "Part");
}

TEST(TesselCollection, ExpressionErrorsAndCycles)
{
    Collection c;
    const std::pair<std::shared_ptr<Attribute>, const char *> cases[] = {
        {expression(c, "A", "[B] + 1"),
         "Cannot evaluate \"[B] + 1\": circular reference A -> B -> A"},
        {expression(c, "B", "[A] * 2"),
         "Cannot evaluate \"[A] * 2\": circular reference B -> A -> B"},
        {expression(c, "After", "[A] / 2"),
         "Cannot evaluate \"[A] / 2\": [A] has an error: "
         "Cannot evaluate \"[B] + 1\": circular reference A -> B -> A"},
        {expression(c, "Self", "[Self]"),
         "Cannot evaluate \"[Self]\": circular reference Self -> Self"},
        {expression(c, "Missing", "[Nope] + 1"),
         "Cannot evaluate \"[Nope] + 1\": there is no attribute [Nope]"},
        {expression(c, "Text", "\"abc\""),
         "Cannot evaluate \"\"abc\"\": the result \"abc\" is not a valid real number"},
        {expression(c, "Broken", "1 +"), "Cannot evaluate \"1 +\": expected a value at column 4"},
        {expression(c, "User", "[Broken] * 2"),
         "Cannot evaluate \"[Broken] * 2\": [Broken] has an "
         "error: Cannot evaluate \"1 +\": expected a value at column 4"},
    };
    for (const auto &[attribute, description] : cases) {
        test::expectError([&] { attribute->evaluatedValue(); }, Error::NotAvailable, description);
        // Reading the value answers the error's text instead of failing.
        EXPECT_EQ(attribute->value(), Variant(description));
    }

    // Breaking the cycle, adding the missing attribute and mending the text take effect.
    const auto value = [&](const char *name) { return c.attribute(name)->value(); };
    c.attribute("B")->setValue("5");
    EXPECT_EQ(value("A"), Variant(6.0));
    EXPECT_EQ(value("After"), Variant(3.0));
    c.add("Nope", 3)->setValue(1.0);
    EXPECT_EQ(value("Missing"), Variant(2.0));
    c.attribute("Broken")->setValue("1 + 2");
    EXPECT_EQ(value("User"), Variant(6.0));
    c.attribute("Nope")->setName("Gone");
    EXPECT_EQ(value("Missing"), Variant(cases[4].second));

    // An attribute that outlived its collection cannot resolve references.
    auto orphan = std::make_shared<Attribute>(*c.attribute("A"));
    test::expectError([&] { orphan->evaluatedValue(); }, Error::NotAvailable,
                      "Cannot evaluate \"[B] + 1\": there is no attribute [B]");
}

// Adds <prefix>1 to <prefix>n, each an expression of the one before it (%1 in the text).
void chain(Collection &c, const QString &prefix, const QString &text, int n, std::int32_t type = 3)
{
    for (int i = 1; i <= n; ++i)
        expression(c, prefix + QString::number(i), text.arg(prefix + QString::number(i - 1)), type);
}

// Each level doubles the one below: evaluated without memoising, level 1000 would take 2^1000
// steps; evaluated recursively, it would need 1000 nested calls per reference.
TEST(TesselCollection, LongChainsEvaluateOnceAndFollowChanges)
{
    Collection c;
    auto bottom = c.add("A0", 3);
    bottom->setValue(1.0);
    chain(c, "A", "[%1] + [%1]", 1000);
    EXPECT_EQ(c.attribute("A1000")->value(), Variant(std::ldexp(1.0, 1000)));
    bottom->setValue(0.5);
    EXPECT_EQ(c.attribute("A1000")->value(), Variant(std::ldexp(1.0, 999)));
    EXPECT_EQ(c.attribute("A10")->value(), Variant(512.0));

    // Texts double too, until they pass the limit.
    c.add("T0")->setValue("ab");
    chain(c, "T", "[%1] & [%1]", 20, 1);
    EXPECT_EQ(c.attribute("T15")->value().toText().size(), 65536);
    EXPECT_EQ(c.attribute("T20")->value(),
              Variant("Cannot evaluate \"[T19] & [T19]\": [T19] has an error: Cannot evaluate "
                      "\"[T15] & [T15]\": the text result would be 131072 characters long; the "
                      "limit is 65536"));

    // Deeper than the limit: an error, not a stack overflow.
    c.add("D0", 3)->setValue(1.0);
    const int levels = int(Evaluator::maxDepth) + 5;
    chain(c, "D", "[%1] + 1", levels);
    const QString top = c.attribute("D" + QString::number(levels))->value().toText();
    EXPECT_TRUE(top.endsWith("expressions refer to each other more than 10000 levels deep"));
    EXPECT_EQ(c.attribute("D9000")->value(), Variant(9001.0));
}

// Random edits of values, texts and names in a small web of expressions, cycles included:
// after each, every memoised value equals what a fresh copy of the object computes.
TEST(TesselCollection, MemoisedValuesMatchAFreshEvaluationAfterRandomEdits)
{
    QRandomGenerator random(99);
    const auto pick = [&](const QStringList &from) {
        return from[random.bounded(int(from.size()))];
    };
    const QStringList names = {"V0", "V1", "V2", "E0", "E1", "E2", "E3", "E4", "E5", "Lost"};
    const QStringList operators = {" + ", " - ", " * ", " / ", " & "};
    const auto text = [&] {
        return "[" + pick(names) + "]" + pick(operators) + "[" + pick(names) + "]" +
               pick(operators) + QString::number(random.bounded(3));
    };
    Collection c;
    for (const QString &name : names.mid(0, 3))
        c.add(name, 3)->setValue(double(random.bounded(5)));
    for (const QString &name : names.mid(3, 6))
        expression(c, name, text(), 1);
    for (int round = 0; round < 300; ++round) {
        const auto a = c.at(std::size_t(random.bounded(c.count())));
        switch (random.bounded(3)) {
        case 0:
            a->setValue(a->isExpression() ? Variant(text()) : Variant(double(random.bounded(5))));
            break;
        case 1: // swap a name with "Lost", which expressions refer to but no attribute has
            a->setName(a->name() == "Lost" ? pick(names.mid(0, 9)) : "Lost");
            break;
        default:
            a->value(); // a read between edits, so that some results are kept
        }
        const auto fresh = c.copy();
        for (std::size_t i = 0; i < std::size_t(c.count()); ++i) {
            const Variant kept = c.at(i)->value();
            const Variant computed = fresh->at(i)->value();
            // A cycle's message names it from where its evaluation started.
            if (kept.toText().startsWith("Cannot evaluate"))
                ASSERT_TRUE(computed.toText().startsWith("Cannot evaluate")) << round;
            else
                ASSERT_EQ(kept, computed) << round << " " << i;
        }
    }
}

TEST(TesselCollection, ClockAndRandomExpressionsAreRecomputedOnEveryRead)
{
    Collection c;
    int reads = 0;
    c.environment().setClock([&] {
        ++reads;
        return QDateTime(QDate(2024, 6, 11), QTime(14, 30, reads));
    });
    auto second = expression(c, "Second", "Second(Now)", 2);
    auto plusOne = expression(c, "PlusOne", "[Second] + 1", 2);
    auto fixed = expression(c, "Fixed", "Year(#2024-01-01#)", 2);
    EXPECT_EQ(plusOne->value(), Variant(2));
    EXPECT_EQ(plusOne->value(), Variant(3));
    EXPECT_EQ(second->value(), Variant(3));
    EXPECT_EQ(fixed->value(), Variant(2024));
    EXPECT_EQ(reads, 3);

    auto dice = expression(c, "Dice", "Int(Rnd * 6) + 1", 2);
    QSet<int> faces;
    for (int i = 0; i < 200; ++i)
        faces.insert(dice->value().intValue());
    EXPECT_EQ(faces.size(), 6);
}

} // namespace

#include "tessel/Collection.h"
#include "tessel/Evaluator_p.h"

#include "TesselTest.h"

#include <QSet>
#include <QStringList>

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

// Adds attributes named by the letters, each positioned before it is added.
void add(Collection &c, const QString &names, std::initializer_list<int> positions)
{
    auto p = positions.begin();
    for (const QChar n : names) {
        auto a = std::make_shared<Attribute>(QString(n));
        a->setPosition(*p++);
        c.add(a);
    }
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
    Collection c;
    add(c, "ABCD", {2, 0, 1, 0});
    EXPECT_EQ(names(c, false), QStringList({"A", "B", "C", "D"}));
    EXPECT_EQ(names(c), QStringList({"B", "D", "C", "A"}));
    c.attribute("A")->setPosition(-1);
    EXPECT_EQ(names(c), QStringList({"A", "B", "D", "C"}));
    add(c, "EF", {5, -5});
    EXPECT_EQ(names(c), QStringList({"F", "A", "B", "D", "C", "E"}));
    const QString outOfRange = "Position %1 is out of range; the collection has 6 attributes.";
    for (int bad : {-1, 6})
        test::expectError([&] { c.item(bad); }, Error::InvalidProcedureCall, outOfRange.arg(bad));
}

TEST(TesselCollection, LookupByKey)
{
    Collection c;
    add(c, "ABXX", {3, 2, 1, 0});
    auto firstX = c.at(2);
    EXPECT_EQ(c.itemByKey("X"), firstX); // the first added wins
    EXPECT_EQ(c.itemByKey(0), c.at(3));  // numbers are positions
    EXPECT_EQ(c.itemByKey(3.0), c.at(0));
    firstX->setName("Y");
    EXPECT_EQ(c.itemByKey("X"), c.at(3));
    EXPECT_EQ(c.itemByKey("Y"), firstX);

    const std::pair<Variant, const char *> misses[] = {
        {"x", "No attribute named \"x\"."},
        {4, "No attribute at position 4; the collection has 4 attributes."},
        {1.5, "No attribute at position 1.5; the collection has 4 attributes."},
        {-1, "No attribute at position -1; the collection has 4 attributes."},
        {true, "No attribute for the key Bool(true)."},
    };
    for (const auto &[key, description] : misses)
        test::expectError([&] { c.itemByKey(key); }, Error::ItemNotFound, description);
}

// An attribute belongs to one collection at a time; a working set is a copy of its own.
TEST(TesselCollection, OwnershipAndWorkingSet)
{
    auto a = std::make_shared<Attribute>("A");
    {
        Collection first, second;
        first.add(a);
        test::expectError([&] { second.add(a); }, Error::InvalidProcedureCall,
                          "Attribute \"A\" already belongs to a collection.");
    }
    EXPECT_EQ(a->collection(), nullptr);

    Collection c;
    c.setName("Part");
    c.add("L", 3)->setValue(10.0);
    expression(c, "Twice", "[L] * 2");
    const auto copy = std::static_pointer_cast<Collection>(c.workingSet());
    copy->attribute("L")->setValue(21.0);
    EXPECT_EQ(copy->attribute("Twice")->value(), Variant(42.0));
    EXPECT_EQ(copy->name(), "Part");
}

TEST(TesselCollection, ExpressionErrorsAndCycles)
{
    // Name, expression, and why it cannot be evaluated.
    const char *const cases[][3] = {
        {"A", "[B] + 1", "circular reference A -> B -> A"},
        {"B", "[A] * 2", "circular reference B -> A -> B"},
        {"After", "[A] / 2",
         "[A] has an error: Cannot evaluate \"[B] + 1\": circular reference A -> B -> A"},
        {"Self", "[Self]", "circular reference Self -> Self"},
        {"Missing", "[Nope] + 1", "there is no attribute [Nope]"},
        {"Text", "\"abc\"", "the result \"abc\" is not a valid real number"},
        {"Broken", "1 +", "expected a value at column 4"},
    };
    Collection c;
    for (const auto &[name, text, why] : cases)
        expression(c, name, text);
    for (const auto &[name, text, why] : cases) {
        const QString description = QStringLiteral("Cannot evaluate \"%1\": %2").arg(text, why);
        test::expectError([&] { c.attribute(name)->evaluatedValue(); }, Error::NotAvailable,
                          description);
        // Reading the value answers the error's text instead of failing.
        EXPECT_EQ(c.attribute(name)->value(), Variant(description));
    }

    // Breaking the cycle, adding the missing attribute and mending the text take effect.
    const auto value = [&](const char *name) { return c.attribute(name)->value(); };
    c.attribute("B")->setValue("5");
    EXPECT_EQ(value("After"), Variant(3.0));
    c.add("Nope", 3)->setValue(1.0);
    EXPECT_EQ(value("Missing"), Variant(2.0));
    c.attribute("Broken")->setValue("1 + 2");
    EXPECT_EQ(value("Broken"), Variant(3.0));
    c.attribute("Nope")->setName("Gone");
    EXPECT_EQ(value("Missing"),
              Variant("Cannot evaluate \"[Nope] + 1\": there is no attribute [Nope]"));

    // An attribute that outlived its collection cannot resolve references.
    auto orphan = std::make_shared<Attribute>(*c.attribute("A"));
    test::expectError([&] { orphan->evaluatedValue(); }, Error::NotAvailable,
                      "Cannot evaluate \"[B] + 1\": there is no attribute [B]");
}

// Adds <prefix>0 holding `bottom`, and <prefix>1 to <prefix>n, each an expression of the one
// before it (%1 in the text).
void chain(Collection &c, const QString &prefix, const Variant &bottom, const QString &text, int n)
{
    const std::int32_t type = bottom.type() == Variant::Type::String ? 1 : 3;
    c.add(prefix + u'0', type)->setValue(bottom);
    for (int i = 1; i <= n; ++i)
        expression(c, prefix + QString::number(i), text.arg(prefix + QString::number(i - 1)), type);
}

// A chain deeper than the limit is an error, not a stack overflow; below it, a change at the
// bottom reaches the top. Texts that double at each level stop at the length limit.
TEST(TesselCollection, LongChainsFollowChangesWithinTheLimits)
{
    Collection c;
    const int levels = int(Evaluator::maxDepth) + 5;
    chain(c, "D", 1.0, "[%1] + 1", levels);
    const QString top = c.attribute("D" + QString::number(levels))->value().toText();
    EXPECT_TRUE(top.endsWith("expressions refer to each other more than 10000 levels deep"));
    EXPECT_EQ(c.attribute("D9000")->value(), Variant(9001.0));
    c.attribute("D0")->setValue(0.5);
    EXPECT_EQ(c.attribute("D9000")->value(), Variant(9000.5));

    chain(c, "T", "ab", "[%1] & [%1]", 20);
    EXPECT_EQ(c.attribute("T15")->value().toText().size(), 65536);
    EXPECT_EQ(c.attribute("T20")->value(),
              Variant("Cannot evaluate \"[T19] & [T19]\": [T19] has an error: Cannot evaluate "
                      "\"[T15] & [T15]\": the text result would be 131072 characters long; the "
                      "limit is 65536"));
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
    EXPECT_EQ(plusOne->value(), Variant(2));
    EXPECT_EQ(plusOne->value(), Variant(3));
    EXPECT_EQ(second->value(), Variant(3));
    EXPECT_EQ(reads, 3);

    auto dice = expression(c, "Dice", "Int(Rnd * 6) + 1", 2);
    QSet<int> faces;
    for (int i = 0; i < 200; ++i)
        faces.insert(dice->value().intValue());
    EXPECT_EQ(faces.size(), 6);
}

} // namespace

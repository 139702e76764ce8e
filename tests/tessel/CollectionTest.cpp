#include "tessel/Collection.h"

#include "TesselTest.h"

#include <QStringList>

#include <utility>

namespace {

using namespace tessel;
using tabulon::platform::Error;
using tabulon::platform::Variant;

QStringList enumerationOrder(const Collection &c)
{
    QStringList names;
    c.forEach([&](tabulon::Attribute &a) { names.append(a.name()); });
    return names;
}

QStringList positionOrder(const Collection &c)
{
    QStringList names;
    for (int i = 0; i < c.count(); ++i)
        names.append(c.item(i)->name());
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

TEST(TesselCollection, PositionOrderIsStableAndFollowsMoves)
{
    auto c = build("ABCD", {2, 0, 1, 0});
    EXPECT_EQ(enumerationOrder(*c), QStringList({"A", "B", "C", "D"}));
    EXPECT_EQ(positionOrder(*c), QStringList({"B", "D", "C", "A"}));
    c->attribute("A")->setPosition(-1);
    EXPECT_EQ(positionOrder(*c), QStringList({"A", "B", "D", "C"}));
    c->add("E")->setPosition(5);
    c->add("F")->setPosition(-5);
    EXPECT_EQ(positionOrder(*c), QStringList({"F", "A", "B", "D", "C", "E"}));
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

TEST(TesselCollection, AttributeBelongsToOneCollection)
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
}

TEST(TesselCollection, WorkingSetIsIndependent)
{
    Collection c;
    c.setName("Part");
    c.add("L", 3)->setValue(10.0);
    auto twice = c.add("Twice", 3);
    twice->setExpression(true);
    twice->setValue("[L] * 2");

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
    const auto expr = [&](const char *name, const char *text) {
        auto a = c.add(name, 3);
        a->setExpression(true);
        a->setValue(text);
        return a;
    };
    auto a = expr("A", "[B] + 1");
    expr("B", "[A] * 2");
    auto self = expr("Self", "[Self]");
    auto missing = expr("Missing", "[Nope] + 1");
    auto text = expr("Text", "\"abc\"");
    const std::pair<std::shared_ptr<Attribute>, const char *> cases[] = {
        {a, "Cannot evaluate \"[B] + 1\": circular reference A -> B -> A"},
        {self, "Cannot evaluate \"[Self]\": circular reference Self -> Self"},
        {missing, "Cannot evaluate \"[Nope] + 1\": there is no attribute [Nope]"},
        {text, "Cannot evaluate \"\"abc\"\": the result \"abc\" is not a valid real number"},
    };
    for (const auto &[attribute, description] : cases)
        test::expectError([&] { attribute->value(); }, Error::NotAvailable, description);

    // A long chain ends in an error, not in a stack overflow.
    c.add("E0", 3)->setValue(1.0);
    for (int i = 1; i <= 100; ++i)
        expr(qPrintable(QStringLiteral("E%1").arg(i)),
             qPrintable(QStringLiteral("[E%1] + 1").arg(i - 1)));
    EXPECT_EQ(c.attribute("E60")->value(), Variant(61.0));
    test::expectError([&] { c.attribute("E100")->value(); }, Error::NotAvailable,
                      "Cannot evaluate \"[E35] + 1\": expressions refer to each other more than "
                      "64 levels deep");

    // An attribute that outlived its collection cannot resolve references.
    auto orphan = std::make_shared<Attribute>(*a);
    test::expectError([&] { orphan->value(); }, Error::NotAvailable,
                      "Cannot evaluate \"[B] + 1\": there is no attribute [B]");
}

TEST(TesselCollection, ManyAttributesLookUpByNameAndByPosition)
{
    constexpr int n = 1000;
    Collection c;
    c.reserve(n);
    for (int i = 0; i < n; ++i) {
        auto a = c.add(QStringLiteral("Attribute%1").arg(i), 3);
        a->setPosition(n - i);
        a->setValue(double(i));
    }
    for (int i = 0; i < n; i += 7)
        ASSERT_EQ(c.itemByKey(QStringLiteral("Attribute%1").arg(i))->value(), Variant(double(i)));
    for (int i = 0; i < n; i += 7)
        ASSERT_EQ(c.item(i)->name(), QStringLiteral("Attribute%1").arg(n - 1 - i));
}

} // namespace

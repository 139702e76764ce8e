#include "tessel/JsonLoader.h"

#include "TesselTest.h"

#include <utility>

namespace {

using namespace tessel;
using tabulon::platform::Error;
using tabulon::platform::Variant;

// A file of one attribute "A" with these further keys.
QByteArray a(const char *keys)
{
    return QByteArray(R"({"attributes": [{"name": "A", )") + keys + "}]}";
}

TEST(TesselJsonLoader, ReportsWhereAndWhat)
{
    // A file and what the message says after the file's name.
    const std::pair<QByteArray, const char *> cases[] = {
        {"{\n  \"attributes\": [\n    {\"name\" \"A\"}\n  ]\n}", ":3:14: missing name separator"},
        // Columns count characters: the two bytes of the umlaut are one column.
        {"{\"attributes\": [\n  {\"name\": \"Geh\u00e4use\", \"dataType\": tru}]}",
         ":2:39: illegal value"},
        {"[]", ": must be an object with an \"attributes\" array"},
        {R"({"name": "Pump"})", ": \"attributes\" is missing"},
        {R"({"attributes": {}})", ": attributes: must be an array, got an object"},
        {R"({"attributes": [], "colour": 1})", ": colour: unknown key"},
        {R"({"attributes": [7]})", ": attributes[0]: must be an object, got 7"},
        {R"({"attributes": [{}]})", ": attributes[0]: \"name\" is missing"},
        {R"({"attributes": [{"name": ""}]})", ": attributes[0].name: must not be empty"},
        {a(R"("minimun": 1)"), ": attributes[0].minimun: unknown key"},
        {a(R"("dataType": 7)"), ": attributes[0].dataType: must be 1, 2, 3 or 4, got 7"},
        {a(R"("visible": "yes")"), ": attributes[0].visible: must be true or false, got \"yes\""},
        {a(R"("position": 1.5)"), ": attributes[0].position: must be a whole number, got 1.5"},
        {a(R"("dataType": 2, "value": 2.5)"),
         ": attributes[0].value: must be a whole number, got 2.5"},
        {a(R"("dataType": 3, "maximum": 10, "value": 12)"),
         ": attributes[0].value: attribute \"A\": 12 is above the maximum 10"},
        {a(R"("dataType": 2, "minimum": 4)"),
         ": attributes[0]: attribute \"A\" has no \"value\", and its empty value is refused: "
         "0 is below the minimum 4"},
        {a(R"("dataType": 3, "units": "mm", "minimum": 10, "value": 5)"),
         ": attributes[0].value: attribute \"A\": 5 mm is below the minimum 10 mm"},
        {a(R"("dataType": 3, "minimum": 10, "maximum": 5)"),
         ": attributes[0].maximum: must not be below the minimum 10, got 5"},
        {a(R"("minimum": 1)"),
         ": attributes[0].minimum: applies only to integer and real attributes"},
        {a(R"("dataType": 3, "maxLength": 4)"),
         ": attributes[0].maxLength: applies only to text attributes"},
        {a(R"("maxLength": -1)"),
         ": attributes[0].maxLength: must be a whole number of 0 or more, got -1"},
        {a(R"("expression": true, "value": 5)"),
         ": attributes[0].value: must be the text of the expression, got 5"},
        {a(R"("value": [1])"),
         ": attributes[0].value: must be a text, number or boolean, got an array"},
        {a(R"("enumeration": [{"value": "a"}, {"text": "B"}])"),
         ": attributes[0].enumeration[1]: \"value\" is missing"},
        {a(R"("enumeration": [{"value": "a", "label": "B"}])"),
         ": attributes[0].enumeration[0].label: unknown key"},
        {a(R"("dataType": 2, "enumeration": [{"value": "x"}])"),
         ": attributes[0].enumeration[0].value: \"x\" is not a valid integer"},
        {"{\"attributes\": [{\"name\": \"A\"},\n {\"name\": \"B\", \"units\": 3}]}",
         ": attributes[1].units: must be a text, got 3"},
    };
    for (const auto &[json, what] : cases)
        test::expectError([&] { parseCollection(json, "demo.json"); }, BadObjectFile,
                          "demo.json" + QString::fromUtf8(what));
    test::expectError([] { loadCollection("/nonexistent/demo.json"); }, BadObjectFile,
                      "/nonexistent/demo.json: cannot be read: No such file or directory");
}

TEST(TesselJsonLoader, DefaultsAndDerivedAllowableValues)
{
    const auto c = parseCollection(R"({"name": "Bracket", "attributes": [
        {"name": "A"},
        {"name": "Len", "dataType": 3, "units": "mm", "minimum": 1, "maximum": 9.5, "value": 2},
        {"name": "Code", "maxLength": 8, "allowableValues": "letters", "valueSet": false,
         "value": "AB"},
        {"name": "Grade", "dataType": 2, "value": 2,
         "enumeration": [{"value": 1, "text": "Fine"}, {"value": "2"}]},
        {"name": "Gap", "dataType": 3, "units": "mm", "minimum": 0},
        {"name": "Tag", "maxLength": 4}, {"name": "Tol", "dataType": 3, "maximum": 0.5}
    ]})",
                                   "bracket.json");
    EXPECT_EQ(c->name(), "Bracket");

    const QString allowable[] = {"", "1 to 9.5 mm", "letters", "enumeration: Fine, 2",
                                 "at least 0 mm", "up to 4 characters", "at most 0.5"};
    const bool valueSet[] = {false, true, false, true, false, false, false};
    for (int i = 0; i < c->count(); ++i) {
        EXPECT_EQ(c->item(i)->allowableValues(), allowable[i]);
        EXPECT_EQ(c->item(i)->isValueSet(), valueSet[i]) << i;
    }
    EXPECT_EQ(c->attribute("Len")->value(), Variant(2.0));
    EXPECT_EQ(c->attribute("Grade")->enumerationValue(0), "1");
    EXPECT_EQ(c->attribute("Grade")->displayText("2"), "2");
}

// Every value in the demo's object is one it accepts.
TEST(TesselJsonLoader, DefaultObjectIsValid)
{
    const auto c = defaultCollection();
    c->forEach([](tabulon::Attribute &a) {
        if (a.isExpression())
            EXPECT_NO_THROW(a.evaluatedValue()) << a.value().toText().toStdString();
        else
            EXPECT_TRUE(a.validate(a.value())) << a.name().toStdString();
    });
    EXPECT_NE(defaultCollection(), c); // a new copy every time
}

} // namespace

#include "expression/FunctionCatalogue.h"
#include "expression/xmlUtils.h"
#include "platform/Xml.h"

#include <QRegularExpression>
#include <QTreeWidget>

#include "tests/support/Printers.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

using namespace tabulon;

// The tree as lines "text|key", children indented by one space per level.
QStringList dump(const QTreeWidget &tree)
{
    QStringList out;
    const std::function<void(const QTreeWidgetItem &, int)> add = [&](const auto &node, int depth) {
        out << QString(depth, u' ') + node.text(0) + u'|' + nodeKey(node);
        for (int i = 0; i < node.childCount(); ++i)
            add(*node.child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        add(*tree.topLevelItem(i), 0);
    return out;
}

// Categories, then functions keyed by their names, each over its description, in document
// order; the text itself is fixed data, CR LF line ends and quoting included.
TEST(FunctionCatalogueTest, LoadsSixCategoriesOfFunctionsEachOverItsDescription)
{
    const QString text = functionCatalogue();
    EXPECT_EQ(text.size(), 8389);
    EXPECT_TRUE(text.startsWith(QStringLiteral(" <Functions>\r\n\t\r\n\t<Category Name=\"Date")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\t\r\n</Functions>\r\n  \r\n")));
    EXPECT_EQ(text.count(u'\n'), text.count(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(u'\r'), text.count(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(u'"'), 2) << "only the first category's name is in double quotes";

    QTreeWidget tree;
    LoadFunctions(tree, text);
    QStringList categories; // "name|key functions"
    for (int c = 0; c < tree.topLevelItemCount(); ++c) {
        const QTreeWidgetItem &category = *tree.topLevelItem(c);
        categories << QStringLiteral("%1|%2 %3")
                          .arg(category.text(0), nodeKey(category))
                          .arg(category.childCount());
    }
    EXPECT_EQ(categories, QStringList({"Date Functions| 21", "Conversion Functions| 13",
                                       "Format Functions| 4", "Maths Functions| 12",
                                       "String/Text Functions| 16", "Miscellaneous| 12"}));
    const QStringList lines = dump(tree);
    const QString integerPart = QStringLiteral("  Returns the integer part of a specified number|");
    EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral(" Int|Int")), 5),
              QStringList({" Int|Int", integerPart, " Fix|Fix", integerPart, " Log|Log"}));
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^ (\\w+)\\|\\1$"))).size(), 78);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^  \\S.*\\|$"))).size(), 78);
    EXPECT_EQ(lines.size(), 6 + 78 + 78);
    LoadFunctions(tree, text);
    EXPECT_EQ(dump(tree), lines) << "cleared before loading";
    LoadFunctions(tree, text.left(8000));
    EXPECT_EQ(dump(tree), lines) << "a failed parse clears nothing";
}

// Missing attributes read as empty texts, an unnamed function has no key; only children named
// exactly Category and Function count, in document order. GetXmlAttribute gives the default for
// anything but an element's attribute.
TEST(FunctionCatalogueTest, MissingAttributesAndOtherElements)
{
    QTreeWidget tree;
    LoadFunctions(tree, QStringLiteral("<Functions><Category><Function Description=\"d\"/>"
                                       "<function Name='f'/><X><Function Name='x'/></X>"
                                       "<Function Name='F'/></Category><Other/></Functions>"));
    EXPECT_EQ(dump(tree), QStringList({"|", " |", "  d|", " F|F", "  |"}));

    platform::XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<R a='1'>text</R>")));
    const platform::XmlNode root = doc.documentElement();
    const std::tuple<const char *, platform::XmlNode, const char *, const char *> cases[] = {
        {"an element's attribute", root, "a", "1"},
        {"missing", root, "b", "d"},
        {"an attribute node", root.namedAttribute(QStringLiteral("a")), "a", "d"},
        {"a text node", root.firstChild(), "a", "d"},
        {"a null node", platform::XmlNode(), "a", "d"},
    };
    for (const auto &[what, node, name, text] : cases)
        EXPECT_EQ(GetXmlAttribute(node, QLatin1String(name), QStringLiteral("d")),
                  QLatin1String(text))
            << what;
}

} // namespace

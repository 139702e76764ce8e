#include "expression/FunctionCatalogue.h"
#include "expression/xmlUtils.h"
#include "platform/Xml.h"

#include <QRegularExpression>
#include <QTreeWidget>

#include "tests/support/Printers.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace tabulon;

// The tree as lines "text|key", children indented by one space per level.
void dump(const QTreeWidgetItem &node, int depth, QStringList &out)
{
    out << QString(depth, u' ') + node.text(0) + u'|' + nodeKey(node);
    for (int i = 0; i < node.childCount(); ++i)
        dump(*node.child(i), depth + 1, out);
}
QStringList dump(QTreeWidget &tree)
{
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        dump(*tree.topLevelItem(i), 0, out);
    return out;
}

TEST(FunctionCatalogueTest, TextHasTheCatalogueLayout)
{
    const QString text = functionCatalogue();
    const QString close = QStringLiteral("</Functions>");
    EXPECT_EQ(text.indexOf(close) + close.size(), 8383);
    EXPECT_TRUE(text.startsWith(QStringLiteral(" <Functions>\r\n\t")));
    EXPECT_TRUE(text.endsWith(close + QStringLiteral("\r\n  \r\n")));
    EXPECT_EQ(text.count(u'\r'), text.count(QStringLiteral("\r\n"))) << "CR LF line ends";
    EXPECT_EQ(text.count(u'\n'), text.count(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(u'"'), 2) << "only the first category's name is in double quotes";
    EXPECT_TRUE(text.contains(QStringLiteral("<Category Name=\"Date Functions\">")));
    EXPECT_EQ(text.count(QStringLiteral("' />\r\n")), 78) << "functions are self-closing";
    // Printable ASCII, no declaration, comment or entity; indented with tabs; blank lines
    // between the categories.
    EXPECT_FALSE(
        text.contains(QRegularExpression(QStringLiteral("[^\\t\\r\\n\\x20-\\x7e]|<\\?|<!|&"))));
    EXPECT_FALSE(text.mid(1).contains(QRegularExpression(QStringLiteral("\n +<"))));
    EXPECT_EQ(
        text.count(QRegularExpression(QStringLiteral("</Category>\r\n(\t*\r\n)+\t<Category"))), 5);
}

TEST(FunctionCatalogueTest, LoadsSixCategoriesOfFunctionsEachWithItsDescription)
{
    QTreeWidget tree;
    LoadFunctions(tree, functionCatalogue());
    QStringList categories;
    QList<int> functions;
    std::set<QString> keys;
    for (int c = 0; c < tree.topLevelItemCount(); ++c) {
        const QTreeWidgetItem &category = *tree.topLevelItem(c);
        categories << category.text(0) + u'|' + nodeKey(category);
        functions << category.childCount();
        for (int f = 0; f < category.childCount(); ++f) {
            const QTreeWidgetItem &function = *category.child(f);
            EXPECT_EQ(nodeKey(function), function.text(0));
            keys.insert(nodeKey(function));
            ASSERT_EQ(function.childCount(), 1) << qPrintable(function.text(0));
            EXPECT_EQ(nodeKey(*function.child(0)) +
                          QString::number(function.child(0)->childCount()),
                      QStringLiteral("0"))
                << "a description: no key, no children";
        }
    }
    EXPECT_EQ(categories,
              QStringList({"Date Functions|", "Conversion Functions|", "Format Functions|",
                           "Maths Functions|", "String/Text Functions|", "Miscellaneous|"}));
    EXPECT_EQ(functions, QList<int>({21, 13, 4, 12, 16, 12}));
    EXPECT_EQ(keys.size(), 78u) << "function names are unique keys";
    const QString integerPart = QStringLiteral("  Returns the integer part of a specified number|");
    const QStringList lines = dump(tree);
    EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral(" Int|Int")), 4),
              QStringList({" Int|Int", integerPart, " Fix|Fix", integerPart}))
        << "catalogue order, not alphabetical";
    EXPECT_EQ(lines.filter(QStringLiteral("Returns a number  that")).size(), 2) << "Day, Month";
}

TEST(FunctionCatalogueTest, ReloadReplacesTheTreeAndTextThatDoesNotParseLeavesIt)
{
    QTreeWidget tree;
    LoadFunctions(tree, QStringLiteral("<Functions"));
    EXPECT_EQ(tree.topLevelItemCount(), 0);

    LoadFunctions(tree, functionCatalogue());
    const QStringList full = dump(tree);
    EXPECT_EQ(full.size(), 6 + 78 + 78);
    LoadFunctions(tree, functionCatalogue());
    EXPECT_EQ(dump(tree), full) << "cleared before loading";
    LoadFunctions(tree, functionCatalogue().left(8000));
    EXPECT_EQ(dump(tree), full) << "a failed parse clears nothing";

    // Missing attributes read as empty texts, an unnamed function has no key; only children
    // named exactly Category and Function count, in document order.
    LoadFunctions(tree, QStringLiteral("<Functions><Category><Function Description=\"d\"/>"
                                       "<function Name='f'/><X><Function Name='x'/></X>"
                                       "<Function Name='F'/></Category><Other/></Functions>"));
    EXPECT_EQ(dump(tree), QStringList({"|", " |", "  d|", " F|F", "  |"}));
}

TEST(FunctionCatalogueTest, GetXmlAttributeGivesTheDefaultForAnythingButAnElementsAttribute)
{
    platform::XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<R a='1'>text</R>")));
    const platform::XmlNode root = doc.documentElement();
    const QString d = QStringLiteral("d");
    EXPECT_EQ(GetXmlAttribute(root, QStringLiteral("a"), d), QStringLiteral("1"));
    EXPECT_EQ(GetXmlAttribute(root, QStringLiteral("b"), d), d) << "missing";
    EXPECT_EQ(GetXmlAttribute(root, QStringLiteral("b")), QString()) << "the default default";
    const std::pair<const char *, platform::XmlNode> notElements[] = {
        {"an attribute node", root.namedAttribute(QStringLiteral("a"))},
        {"a text node", root.firstChild()},
        {"a null node", platform::XmlNode()},
    };
    for (const auto &[what, node] : notElements)
        EXPECT_EQ(GetXmlAttribute(node, QStringLiteral("a"), d), d) << what;
}

} // namespace

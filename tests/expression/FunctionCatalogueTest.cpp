#include "expression/FunctionCatalogue.h"
#include "expression/xmlUtils.h"
#include "platform/Xml.h"

#include <QRegularExpression>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <set>

// Texts in failure messages as text.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using namespace tabulon;

// The tree as lines "text|key", children indented by one space per level.
QStringList dump(const QTreeWidgetItem &node, int depth = 0)
{
    QStringList out{QString(depth, u' ') + node.text(0) + u'|' + nodeKey(node)};
    for (int i = 0; i < node.childCount(); ++i)
        out << dump(*node.child(i), depth + 1);
    return out;
}
QStringList dump(QTreeWidget &tree)
{
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out << dump(*tree.topLevelItem(i));
    return out;
}

TEST(FunctionCatalogueTest, TextHasTheCatalogueLayout)
{
    const QString text = functionCatalogue();
    const QString close = QStringLiteral("</Functions>");
    EXPECT_EQ(text.indexOf(close) + close.size(), 8383);
    EXPECT_TRUE(text.startsWith(QStringLiteral(" <Functions>\r\n\t")));
    EXPECT_TRUE(text.endsWith(close + QStringLiteral("\r\n  \r\n")));
    EXPECT_EQ(text.count(u'\n'), text.count(QStringLiteral("\r\n"))) << "CR LF line ends";
    EXPECT_EQ(text.count(u'\r'), text.count(u'\n'));
    EXPECT_EQ(text.count(u'"'), 2) << "only the first category's name is in double quotes";
    EXPECT_TRUE(text.contains(QStringLiteral("<Category Name=\"Date Functions\">")));
    EXPECT_EQ(text.count(QStringLiteral(" />\r\n")), 78) << "functions are self-closing";
    for (const QChar c : text)
        ASSERT_TRUE((c.unicode() >= 0x20 && c.unicode() < 0x7F) || c == u'\t' || c == u'\r' ||
                    c == u'\n');
    for (const char *absent : {"<?", "<!--", "&"})
        EXPECT_FALSE(text.contains(QLatin1String(absent))) << absent;
    // Indented with tabs, blank lines between the categories.
    EXPECT_FALSE(text.mid(1).contains(QRegularExpression(QStringLiteral("\n +<"))));
    EXPECT_EQ(
        text.count(QRegularExpression(QStringLiteral("</Category>\r\n(\t*\r\n)+\t<Category"))), 5);
}

TEST(FunctionCatalogueTest, LoadsSixCategoriesOfFunctionsWithTheirDescriptions)
{
    QTreeWidget tree;
    LoadFunctions(tree, functionCatalogue());

    const struct
    {
        const char *name;
        int functions;
    } categories[] = {{"Date Functions", 21},        {"Conversion Functions", 13},
                      {"Format Functions", 4},       {"Maths Functions", 12},
                      {"String/Text Functions", 16}, {"Miscellaneous", 12}};
    ASSERT_EQ(tree.topLevelItemCount(), 6);
    std::set<QString> keys;
    QHash<QString, QString> descriptions;
    for (int c = 0; c < 6; ++c) {
        const QTreeWidgetItem &category = *tree.topLevelItem(c);
        EXPECT_EQ(category.text(0), QLatin1String(categories[c].name));
        EXPECT_EQ(nodeKey(category), QString());
        ASSERT_EQ(category.childCount(), categories[c].functions) << categories[c].name;
        for (int f = 0; f < category.childCount(); ++f) {
            const QTreeWidgetItem &function = *category.child(f);
            EXPECT_EQ(nodeKey(function), function.text(0));
            keys.insert(nodeKey(function));
            ASSERT_EQ(function.childCount(), 1) << qPrintable(function.text(0));
            EXPECT_EQ(nodeKey(*function.child(0)), QString());
            EXPECT_EQ(function.child(0)->childCount(), 0);
            descriptions[function.text(0)] = function.child(0)->text(0);
        }
    }
    EXPECT_EQ(keys.size(), 78u) << "function names are unique keys";
    EXPECT_EQ(dump(*tree.topLevelItem(3)).mid(9, 4),
              QStringList({" Int|Int", "  Returns the integer part of a specified number|",
                           " Fix|Fix", "  Returns the integer part of a specified number|"}))
        << "catalogue order, not alphabetical";
    for (const char *name : {"Day", "Month"})
        EXPECT_TRUE(descriptions[QLatin1String(name)].startsWith(
            QStringLiteral("Returns a number  that represents the ")))
            << name;
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
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<R a='1' b=\"\">text<E/></R>")));
    const platform::XmlNode root = doc.documentElement();
    const struct
    {
        const char *name;
        platform::XmlNode node;
        const char *attribute;
        const char *expected;
    } cases[] = {
        {"present", root, "a", "1"},
        {"present and empty", root, "b", ""},
        {"missing", root, "c", "dflt"},
        {"name is case-sensitive", root, "A", "dflt"},
        {"attribute node", root.namedAttribute(QStringLiteral("a")), "a", "dflt"},
        {"text node", root.firstChild(), "a", "dflt"},
        {"null node", platform::XmlNode(), "a", "dflt"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetXmlAttribute(c.node, QLatin1String(c.attribute), QStringLiteral("dflt")),
                  QLatin1String(c.expected))
            << c.name;
    EXPECT_EQ(GetXmlAttribute(root, QStringLiteral("c")), QString()) << "default default";
}

} // namespace

#include "expression/FunctionCatalogue.h"
#include "expression/xmlUtils.h"
#include "platform/Xml.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "tests/support/Printers.h"

#include <gtest/gtest.h>

namespace {

using namespace tabulon;

// The tree as lines "text|key", children indented by one space per level.
QStringList dump(QTreeWidget &tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        int depth = 0;
        for (const QTreeWidgetItem *up = (*it)->parent(); up; up = up->parent())
            ++depth;
        out << QString(depth, u' ') + (*it)->text(0) + u'|' + nodeKey(**it);
    }
    return out;
}

// Categories, then functions keyed by their names, each over its description, in document
// order. The text is fixed data byte for byte: CR LF line ends, the first category's name in
// double quotes and every other value in single quotes, whitespace around the elements.
TEST(FunctionCatalogueTest, LoadsSixCategoriesOfFunctionsEachOverItsDescription)
{
    const QString text = functionCatalogue();
    const QByteArray sha1 = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1);
    EXPECT_EQ(QString::fromLatin1(sha1.toHex()), "34cbe0d2b1d077d148f6ac910bfecf79b26f4c3d");

    QTreeWidget tree;
    LoadFunctions(tree, text);
    const QStringList lines = dump(tree);
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^\\S"))),
              QStringList({"Date Functions|", "Conversion Functions|", "Format Functions|",
                           "Maths Functions|", "String/Text Functions|", "Miscellaneous|"}));
    const QString integerPart = QStringLiteral("  Returns the integer part of a specified number|");
    EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral(" Int|Int")), 5),
              QStringList({" Int|Int", integerPart, " Fix|Fix", integerPart, " Log|Log"}));
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
    const auto read = [](const platform::XmlNode &node, const char *name) {
        return GetXmlAttribute(node, QLatin1String(name), QStringLiteral("d"));
    };
    EXPECT_EQ(read(root, "a") + read(root, "b"), "1d") << "an element's attribute, a missing one";
    EXPECT_EQ(read(root.namedAttribute(QStringLiteral("a")), "a") + read(root.firstChild(), "a") +
                  read(platform::XmlNode(), "a"),
              "ddd")
        << "an attribute node, a text node, a null node";
}

} // namespace

#include "platform/Xml.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using tabulon::platform::XmlDocument;
using tabulon::platform::XmlNode;

QStringList names(const std::vector<XmlNode> &nodes)
{
    QStringList out;
    for (const XmlNode &n : nodes)
        out << n.namedAttribute(QStringLiteral("n")).text();
    return out;
}

TEST(XmlTest, LoadsBothQuoteStylesSelectsChildElementsByNameAndReadsAttributes)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral(" <R>\r\n\t<C n=\"1\"><C n='deep'/></C>\r\n"
                                           "\t<c n='lower'/><D n='2'/><C n='3' m='x' /></R>\r\n  \r\n")));
    const XmlNode root = doc.documentElement();
    EXPECT_EQ(root.nodeName(), QStringLiteral("R"));
    EXPECT_EQ(names(root.selectNodes(QStringLiteral("C"))), QStringList({"1", "3"}))
        << "direct children only, exact name, document order";
    EXPECT_TRUE(root.selectNodes(QStringLiteral("E")).empty());
    const XmlNode third = root.selectNodes(QStringLiteral("C")).back();
    EXPECT_EQ(third.namedAttribute(QStringLiteral("m")).text(), QStringLiteral("x"));
    EXPECT_TRUE(third.namedAttribute(QStringLiteral("M")).isNull());
    EXPECT_TRUE(third.namedAttribute(QStringLiteral("m")).namedAttribute(QStringLiteral("m")).isNull())
        << "an attribute has no attributes";
}

TEST(XmlTest, TextThatIsNotWellFormedFailsAndEmptiesTheDocument)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<R/>")));
    for (const char *bad : {"", "<R>", "<R a='1\"/>", "<R/><S/>", "text"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(doc.loadXml(QString::fromLatin1(bad)));
        EXPECT_TRUE(doc.documentElement().isNull());
    }
}

} // namespace

#include "platform/Xml.h"

#include <QDomElement>
#include <QDomNamedNodeMap>

namespace tabulon::platform {

QString XmlNode::text() const
{
    if (m_node.isAttr()) return m_node.toAttr().value();
    return m_node.toElement().isNull() ? m_node.nodeValue() : m_node.toElement().text();
}

std::vector<XmlNode> XmlNode::selectNodes(const QString &name) const
{
    std::vector<XmlNode> nodes;
    for (QDomElement e = m_node.firstChildElement(name); !e.isNull();
         e = e.nextSiblingElement(name))
        nodes.emplace_back(e);
    return nodes;
}

XmlNode XmlNode::namedAttribute(const QString &name) const
{
    // Only elements carry an attribute map; every other node answers with an empty one.
    return XmlNode(m_node.attributes().namedItem(name));
}

bool XmlDocument::loadXml(const QString &text)
{
    m_document = QDomDocument();
    if (m_document.setContent(text)) return true;
    m_document = QDomDocument();
    return false;
}

} // namespace tabulon::platform

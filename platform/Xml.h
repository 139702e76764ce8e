#pragma once

#include "core/Export.h"

#include <QDomDocument>
#include <QDomNode>
#include <QString>

#include <vector>

namespace tabulon::platform {

// A node of an XmlDocument: an element, an attribute, text, or none (a null node). Copies share
// the node, as DOM node references do.
class TABULON_AUTOTEST_EXPORT XmlNode
{
public:
    XmlNode() = default;
    explicit XmlNode(const QDomNode &node) : m_node(node) {}

    bool isNull() const { return m_node.isNull(); }
    bool isElement() const { return m_node.isElement(); }
    // The element's tag name or the attribute's name.
    QString nodeName() const { return m_node.nodeName(); }
    // The node's text: an attribute's value, an element's text content.
    QString text() const;

    // The child elements named `name` (case-sensitive), in document order.
    std::vector<XmlNode> selectNodes(const QString &name) const;
    // The attribute node named `name`; a null node when there is none or this is not an
    // element.
    XmlNode namedAttribute(const QString &name) const;

    // The first child of any kind (element, text, ...); a null node when there is none.
    XmlNode firstChild() const { return XmlNode(m_node.firstChild()); }

private:
    QDomNode m_node;
};

// An XML document parsed by a conforming parser (both quote styles, entities, CR LF).
class TABULON_AUTOTEST_EXPORT XmlDocument
{
public:
    // Parses `text`, replacing what the document held. False when the text is not well-formed
    // XML; the document is then empty.
    bool loadXml(const QString &text);
    // The root element; a null node when nothing is loaded.
    XmlNode documentElement() const { return XmlNode(m_document.documentElement()); }

private:
    QDomDocument m_document;
};

} // namespace tabulon::platform

#include "expression/xmlUtils.h"

#include "platform/Xml.h"

namespace tabulon {

QString GetXmlAttribute(const platform::XmlNode &node, const QString &name,
                        const QString &defaultValue) noexcept
{
    try {
        const platform::XmlNode attribute = node.namedAttribute(name);
        if (!attribute.isNull()) return attribute.text();
    } catch (...) {
        // The default stands for any failure of the lookup.
    }
    return defaultValue;
}

} // namespace tabulon

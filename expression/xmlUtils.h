#pragma once

#include "core/Export.h"

#include <QString>

namespace tabulon {

namespace platform {
class XmlNode;
}

// The text of `node`'s attribute `name`, or `defaultValue` when the node has no such attribute,
// is null or is not an element, or the lookup fails in any way. Never throws.
TABULON_AUTOTEST_EXPORT QString GetXmlAttribute(const platform::XmlNode &node, const QString &name,
                                                const QString &defaultValue = QString()) noexcept;

} // namespace tabulon

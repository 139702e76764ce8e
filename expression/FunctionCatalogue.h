#pragma once

#include "core/Export.h"

#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace tabulon {

// The catalogue of the functions an attribute expression may call: an XML document of
// categories (`Category Name`) holding functions (`Function Name Description`). The text is
// fixed data of the expression builder, CR LF line ends and all.
TABULON_AUTOTEST_EXPORT QString functionCatalogue();

// Fills `tvwFunctions` from a catalogue text, three levels deep in document order: a root node
// per category, a child per function keyed by its name, and under it a node with the function's
// description. Category and description nodes have an empty key. A text that does not parse
// leaves the tree as it was; otherwise the tree is cleared first.
TABULON_AUTOTEST_EXPORT void LoadFunctions(QTreeWidget &tvwFunctions, const QString &catalogue);

// A tree node's key: the function name for a function node, empty for any other node.
TABULON_AUTOTEST_EXPORT QString nodeKey(const QTreeWidgetItem &node);

} // namespace tabulon

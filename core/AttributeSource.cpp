#include "core/AttributeSource.h"

namespace tabulon {

// Out of line so that the interfaces' type information and vtables live in the library.
Attribute::~Attribute() = default;

AttributeCollection::~AttributeCollection() = default;

} // namespace tabulon

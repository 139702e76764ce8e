#pragma once

#include "core/Variant.h"

#include <ostream>

namespace tabulon::platform {
// Shows Variants in GoogleTest failure messages as Empty, Null, Bool(true), Int(3), ...
inline void PrintTo(const Variant &v, std::ostream *os)
{
    *os << v.debugText().toStdString();
}
} // namespace tabulon::platform

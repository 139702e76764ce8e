#pragma once

#include "core/Variant.h"

#include <QString>

#include <ostream>

namespace tabulon::platform {
// Shows Variants in GoogleTest failure messages as Empty, Null, Bool(true), Int(3), ...
inline void PrintTo(const Variant &v, std::ostream *os)
{
    *os << v.debugText().toStdString();
}
} // namespace tabulon::platform

QT_BEGIN_NAMESPACE
// Shows QStrings in GoogleTest failure messages as quoted text instead of their bytes.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

#pragma once

#include "core/Error.h"
#include "core/Variant.h"

#include <QString>

#include <ostream>
#include <string>

QT_BEGIN_NAMESPACE
// Shows QStrings in GoogleTest failure messages as quoted text instead of their bytes.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace tabulon::platform {
// Shows Variants in GoogleTest failure messages as Empty, Null, Bool(true), Int(3), ...
inline void PrintTo(const Variant &v, std::ostream *os)
{
    *os << v.debugText().toStdString();
}
} // namespace tabulon::platform

namespace tabulon::test {
// The platform::Error that f raises as "number: description"; empty when it raises none.
template <class F> std::string errorOf(F &&f)
{
    try {
        f();
    } catch (const platform::Error &e) {
        return (QString::number(e.number()) + QStringLiteral(": ") + e.description()).toStdString();
    }
    return {};
}

// The number of the platform::Error that f raises, 0 when it raises none.
template <class F> int errorNumber(F &&f)
{
    const std::string error = errorOf(f);
    return error.empty() ? 0 : std::stoi(error);
}
} // namespace tabulon::test

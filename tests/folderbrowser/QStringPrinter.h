#pragma once

#include <QString>

#include <ostream>

QT_BEGIN_NAMESPACE
// Shows QStrings in GoogleTest failure messages as quoted text instead of their bytes.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

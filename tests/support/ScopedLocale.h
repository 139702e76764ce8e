#pragma once

#include <QLocale>

namespace tabulon::test {

// Sets the default locale for one scope and puts the previous one back.
class ScopedLocale
{
public:
    explicit ScopedLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

inline const QLocale enUS(QLocale::English, QLocale::UnitedStates);
inline const QLocale deDE(QLocale::German, QLocale::Germany);

} // namespace tabulon::test

#pragma once

#include "Export.h"

#include <QString>
#include <QByteArray>

#include <exception>

namespace tabulon::platform {

// The run-time error raised by the conversions and components: a number, the component that
// raised it and a description for people. Host attribute objects may throw it or any
// std::exception.
class TABULON_CORE_EXPORT Error : public std::exception
{
public:
    // Numbers shared with the rest of the library.
    enum Number : int {
        Overflow = 6,
        TypeMismatch = 13,
        InvalidUseOfNull = 94,
        InvalidProcedureCall = 5,
        NoCurrentRecord = 3021,
        ItemNotFound = 3265,
        ObjectClosed = 3704,
        OperationNotAllowed = 3219,
        DataTooLarge = 3721,
        Cancelled = 32755,
        NotAvailable = 1000,
    };

    Error(int number, QString source, QString description);

    int number() const noexcept { return m_number; }
    const QString &source() const noexcept { return m_source; }
    const QString &description() const noexcept { return m_description; }

    const char *what() const noexcept override { return m_what.constData(); }

    // The standard description for one of the numbers above ("Type mismatch", ...).
    static QString standardDescription(int number);
    // An Error with the standard description of its number.
    static Error standard(int number, const QString &source = QString());

private:
    int m_number;
    QString m_source;
    QString m_description;
    QByteArray m_what;
};

// The description of any exception: an Error's description, what() of anything else.
TABULON_CORE_EXPORT QString describe(const std::exception &e);
// The description of the exception being handled; call only inside a catch block. A host may
// throw anything: what is no std::exception gets the generic description of an object's error.
TABULON_CORE_EXPORT QString describeCurrentException();

} // namespace tabulon::platform

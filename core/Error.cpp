#include "core/Error.h"

namespace tabulon::platform {

Error::Error(int number, QString source, QString description)
    : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
      m_what(m_description.toUtf8())
{}

QString Error::standardDescription(int number)
{
    switch (number) {
    case InvalidProcedureCall:
        return QStringLiteral("Invalid procedure call or argument");
    case Overflow:
        return QStringLiteral("Overflow");
    case TypeMismatch:
        return QStringLiteral("Type mismatch");
    case InvalidUseOfNull:
        return QStringLiteral("Invalid use of Null");
    case NoCurrentRecord:
        return QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                              "Requested operation requires a current record.");
    case ItemNotFound:
        return QStringLiteral("Item cannot be found in the collection corresponding to the "
                              "requested name or ordinal.");
    case ObjectClosed:
        return QStringLiteral("Operation is not allowed when the object is closed.");
    case OperationNotAllowed:
        return QStringLiteral("Operation is not allowed in this context.");
    case DataTooLarge:
        return QStringLiteral("Data value is too large to be represented by the field data type.");
    case Cancelled:
        return QStringLiteral("Cancel was selected.");
    case NotAvailable:
        return QStringLiteral("Not available");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

Error Error::standard(int number, const QString &source)
{
    return Error(number, source, standardDescription(number));
}

QString describe(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const Error *>(&e)) return error->description();
    return QString::fromUtf8(e.what());
}

QString describeCurrentException()
{
    try {
        throw;
    } catch (const std::exception &e) {
        return describe(e);
    } catch (...) {
        return Error::standardDescription(-1);
    }
}

} // namespace tabulon::platform

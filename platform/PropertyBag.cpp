#include "platform/PropertyBag.h"

#include <QLocale>
#include <QSettings>
#include <QVariant>

#include <limits>

namespace tabulon::platform {

namespace {

QVariant toQVariant(const Variant &value)
{
    switch (value.type()) {
    case Variant::Type::Empty:
        return QVariant(QString());
    case Variant::Type::Null:
        return QVariant();
    case Variant::Type::Bool:
        return QVariant(value.boolValue());
    case Variant::Type::Int:
        return QVariant(int(value.intValue()));
    case Variant::Type::Double:
        return QVariant(value.doubleValue());
    case Variant::Type::String:
        return QVariant(value.stringValue());
    }
    return QVariant();
}

// A stored text read as the type of the default: text-based settings formats give back every
// value as text, so the default says what the key was written as.
Variant fromText(const QString &text, const Variant &defaultValue)
{
    bool ok = false;
    switch (defaultValue.type()) {
    case Variant::Type::Bool:
        if (text.compare(u"true", Qt::CaseInsensitive) == 0) return true;
        if (text.compare(u"false", Qt::CaseInsensitive) == 0) return false;
        break;
    case Variant::Type::Int:
        if (const int i = text.toInt(&ok); ok) return i;
        break;
    case Variant::Type::Double:
        if (const double d = QLocale::c().toDouble(text, &ok); ok) return d;
        break;
    default:
        break;
    }
    return text;
}

Variant fromQVariant(const QVariant &stored, const Variant &defaultValue)
{
    switch (stored.typeId()) {
    case QMetaType::Bool:
        return stored.toBool();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
        return stored.toInt();
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qlonglong i = stored.toLongLong();
        if (i >= std::numeric_limits<int>::min() && i <= std::numeric_limits<int>::max())
            return int(i);
        return stored.toDouble();
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return stored.toDouble();
    default:
        return fromText(stored.toString(), defaultValue);
    }
}

} // namespace

PropertyBag::~PropertyBag() = default;

Variant MemoryPropertyBag::readProperty(const QString &key, const Variant &defaultValue) const
{
    const auto it = m_values.constFind(key);
    return it == m_values.cend() ? defaultValue : *it;
}

void MemoryPropertyBag::writeProperty(const QString &key, const Variant &value,
                                      const Variant &defaultValue)
{
    if (value == defaultValue)
        m_values.remove(key);
    else
        m_values.insert(key, value);
}

SettingsPropertyBag::SettingsPropertyBag(QSettings &settings, QString group)
    : m_settings(settings), m_group(std::move(group))
{}

Variant SettingsPropertyBag::readProperty(const QString &key, const Variant &defaultValue) const
{
    const QVariant stored = m_settings.value(path(key));
    if (!stored.isValid()) return defaultValue;
    return fromQVariant(stored, defaultValue);
}

void SettingsPropertyBag::writeProperty(const QString &key, const Variant &value,
                                        const Variant &defaultValue)
{
    if (value == defaultValue)
        m_settings.remove(path(key));
    else
        m_settings.setValue(path(key), toQVariant(value));
}

QString SettingsPropertyBag::path(const QString &key) const
{
    return m_group.isEmpty() ? key : m_group + u'/' + key;
}

} // namespace tabulon::platform

#pragma once

#include "../core/Export.h"
#include "../core/Variant.h"

#include <QHash>
#include <QString>

class QSettings;

namespace tabulon::platform {

// The container's store of a component's design-time properties.
class TABULON_EXPORT PropertyBag
{
public:
    virtual ~PropertyBag();
    // The stored value of key, or defaultValue when the key is not stored.
    virtual Variant readProperty(const QString &key, const Variant &defaultValue) const = 0;
    // Stores value under key; a value equal to defaultValue is not stored, and any stored
    // value of the key is removed, so that reading gives the default again.
    virtual void writeProperty(const QString &key, const Variant &value,
                               const Variant &defaultValue) = 0;
};

// A bag in memory, for tests and for hosts that persist properties themselves.
class TABULON_EXPORT MemoryPropertyBag : public PropertyBag
{
public:
    Variant readProperty(const QString &key, const Variant &defaultValue) const override;
    void writeProperty(const QString &key, const Variant &value,
                       const Variant &defaultValue) override;

    bool contains(const QString &key) const { return m_values.contains(key); }
    qsizetype size() const { return m_values.size(); }
    void insert(const QString &key, const Variant &value) { m_values.insert(key, value); }
    void clear() { m_values.clear(); }

private:
    QHash<QString, Variant> m_values;
};

// A bag over QSettings, under an optional group. Values keep their type: booleans, integers,
// doubles and strings are stored as such; null is stored as an invalid QVariant and read back
// as the default. The settings object is not owned and must outlive the bag.
class TABULON_EXPORT SettingsPropertyBag : public PropertyBag
{
public:
    explicit SettingsPropertyBag(QSettings &settings, QString group = QString());
    Variant readProperty(const QString &key, const Variant &defaultValue) const override;
    void writeProperty(const QString &key, const Variant &value,
                       const Variant &defaultValue) override;

private:
    QString path(const QString &key) const;
    QSettings &m_settings;
    QString m_group;
};

} // namespace tabulon::platform

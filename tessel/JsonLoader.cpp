#include "tessel/JsonLoader.h"

#include "core/Error.h"
#include "core/NumberText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

// The resource must be registered by name outside any namespace; this also keeps it linked in
// when the library is built static.
static void initTesselResources()
{
    Q_INIT_RESOURCE(tessel);
}

namespace tessel {

using tabulon::platform::Error;
using tabulon::platform::Variant;

namespace {

const QStringList attributeKeys = {
    QStringLiteral("name"),     QStringLiteral("displayName"),     QStringLiteral("dataType"),
    QStringLiteral("units"),    QStringLiteral("allowableValues"), QStringLiteral("visible"),
    QStringLiteral("editable"), QStringLiteral("valueSet"),        QStringLiteral("expression"),
    QStringLiteral("position"), QStringLiteral("value"),           QStringLiteral("minimum"),
    QStringLiteral("maximum"),  QStringLiteral("maxLength"),       QStringLiteral("enumeration"),
};

QString numberText(double d)
{
    return tabulon::platform::numberToText(d, u'.');
}

// A JSON value as messages show it.
QString describe(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return numberText(v.toDouble());
    case QJsonValue::String:
        return u'"' + v.toString() + u'"';
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

bool isWhole(const QJsonValue &v, double low, double high)
{
    if (!v.isDouble()) return false;
    const double d = v.toDouble();
    return d == std::trunc(d) && d >= low && d <= high;
}

// 1-based line and column (in characters) of a byte offset into UTF-8 text.
std::pair<int, int> lineAndColumn(const QByteArray &text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.size());
    int line = 1;
    int column = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column; // count characters, not the continuation bytes of one
        }
    }
    return {line, column};
}

class Loader
{
public:
    explicit Loader(const QString &origin) : m_origin(origin) {}

    std::shared_ptr<Collection> load(const QByteArray &json) const
    {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError) {
            const auto [line, column] = lineAndColumn(json, error.offset);
            throw Error(BadObjectFile, QStringLiteral("tessel"),
                        QStringLiteral("%1:%2:%3: %4")
                            .arg(m_origin)
                            .arg(line)
                            .arg(column)
                            .arg(error.errorString()));
        }
        if (!doc.isObject())
            fail({}, QStringLiteral("must be an object with an \"attributes\" array"));
        const QJsonObject root = doc.object();
        for (auto it = root.begin(); it != root.end(); ++it)
            if (it.key() != u"name" && it.key() != u"attributes") fail(it.key(), unknownKey());

        auto collection = std::make_shared<Collection>();
        if (root.contains(u"name"))
            collection->setName(text(root.value(u"name"), QStringLiteral("name")));
        const QJsonValue attributes = root.value(u"attributes");
        if (attributes.isUndefined()) fail({}, QStringLiteral("\"attributes\" is missing"));
        if (!attributes.isArray())
            fail(QStringLiteral("attributes"),
                 QStringLiteral("must be an array, got %1").arg(describe(attributes)));
        const QJsonArray list = attributes.toArray();
        collection->reserve(std::size_t(list.size()));
        for (qsizetype i = 0; i < list.size(); ++i)
            collection->add(attribute(list[i], i, QStringLiteral("attributes[%1]").arg(i)));
        return collection;
    }

private:
    QString m_origin;

    [[noreturn]] void fail(const QString &path, const QString &what) const
    {
        throw Error(BadObjectFile, QStringLiteral("tessel"),
                    path.isEmpty() ? QStringLiteral("%1: %2").arg(m_origin, what)
                                   : QStringLiteral("%1: %2: %3").arg(m_origin, path, what));
    }

    static QString unknownKey() { return QStringLiteral("unknown key"); }

    QString text(const QJsonValue &v, const QString &path) const
    {
        if (!v.isString()) fail(path, QStringLiteral("must be a text, got %1").arg(describe(v)));
        return v.toString();
    }

    bool flag(const QJsonValue &v, const QString &path) const
    {
        if (!v.isBool())
            fail(path, QStringLiteral("must be true or false, got %1").arg(describe(v)));
        return v.toBool();
    }

    double number(const QJsonValue &v, const QString &path) const
    {
        if (!v.isDouble()) fail(path, QStringLiteral("must be a number, got %1").arg(describe(v)));
        return v.toDouble();
    }

    std::int32_t whole(const QJsonValue &v, const QString &path, double low) const
    {
        if (!isWhole(v, low, std::numeric_limits<std::int32_t>::max()))
            fail(path, low < 0 ? QStringLiteral("must be a whole number, got %1").arg(describe(v))
                               : QStringLiteral("must be a whole number of 0 or more, got %1")
                                     .arg(describe(v)));
        return std::int32_t(v.toDouble());
    }

    // A JSON value as the attribute takes it: whole numbers as integers, so that an integer
    // attribute never rounds silently.
    Variant variant(const QJsonValue &v, const Attribute &a, const QString &path) const
    {
        switch (v.type()) {
        case QJsonValue::String:
            return v.toString();
        case QJsonValue::Bool:
            return v.toBool();
        case QJsonValue::Double:
            if (isWhole(v, std::numeric_limits<std::int32_t>::min(),
                        std::numeric_limits<std::int32_t>::max()))
                return int(v.toDouble());
            if (a.dataType() == tabulon::adtInteger && std::isfinite(v.toDouble()) &&
                v.toDouble() != std::trunc(v.toDouble()))
                fail(path, QStringLiteral("must be a whole number, got %1").arg(describe(v)));
            return v.toDouble();
        default:
            fail(path,
                 QStringLiteral("must be a text, number or boolean, got %1").arg(describe(v)));
        }
    }

    std::shared_ptr<Attribute> attribute(const QJsonValue &value, qsizetype index,
                                         const QString &path) const
    {
        if (!value.isObject())
            fail(path, QStringLiteral("must be an object, got %1").arg(describe(value)));
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!attributeKeys.contains(it.key())) fail(path + u'.' + it.key(), unknownKey());
        const auto at = [&](const char16_t *key) { return path + u'.' + QString::fromUtf16(key); };

        if (!o.contains(u"name")) fail(path, QStringLiteral("\"name\" is missing"));
        const QString name = text(o.value(u"name"), at(u"name"));
        if (name.isEmpty()) fail(at(u"name"), QStringLiteral("must not be empty"));

        std::int32_t dataType = tabulon::adtText;
        if (o.contains(u"dataType")) {
            const QJsonValue t = o.value(u"dataType");
            if (!isWhole(t, tabulon::adtText, tabulon::adtBoolean))
                fail(at(u"dataType"),
                     QStringLiteral("must be 1, 2, 3 or 4, got %1").arg(describe(t)));
            dataType = std::int32_t(t.toDouble());
        }
        auto a = std::make_shared<Attribute>(name, dataType);
        a->setPosition(std::int32_t(index));

        if (o.contains(u"displayName"))
            a->setDisplayName(text(o.value(u"displayName"), at(u"displayName")));
        if (o.contains(u"units")) a->setUnitsText(text(o.value(u"units"), at(u"units")));
        if (o.contains(u"visible")) a->setVisible(flag(o.value(u"visible"), at(u"visible")));
        if (o.contains(u"editable")) a->setEditable(flag(o.value(u"editable"), at(u"editable")));
        if (o.contains(u"position"))
            a->setPosition(whole(o.value(u"position"), at(u"position"),
                                 std::numeric_limits<std::int32_t>::min()));

        if (o.contains(u"expression"))
            a->setExpression(flag(o.value(u"expression"), at(u"expression")));

        const bool numeric = dataType == tabulon::adtInteger || dataType == tabulon::adtReal;
        if (o.contains(u"minimum")) {
            if (!numeric)
                fail(at(u"minimum"), QStringLiteral("applies only to integer and real attributes"));
            a->setMinimum(number(o.value(u"minimum"), at(u"minimum")));
        }
        if (o.contains(u"maximum")) {
            if (!numeric)
                fail(at(u"maximum"), QStringLiteral("applies only to integer and real attributes"));
            const double maximum = number(o.value(u"maximum"), at(u"maximum"));
            if (a->minimum() && maximum < *a->minimum())
                fail(at(u"maximum"), QStringLiteral("must not be below the minimum %1, got %2")
                                         .arg(numberText(*a->minimum()), numberText(maximum)));
            a->setMaximum(maximum);
        }
        if (o.contains(u"maxLength")) {
            if (dataType != tabulon::adtText)
                fail(at(u"maxLength"), QStringLiteral("applies only to text attributes"));
            a->setMaxLength(whole(o.value(u"maxLength"), at(u"maxLength"), 0));
        }
        if (o.contains(u"enumeration"))
            a->setEnumeration(enumeration(o.value(u"enumeration"), *a, at(u"enumeration")));

        if (o.contains(u"value")) {
            const QJsonValue v = o.value(u"value");
            if (a->isExpression() && !v.isString())
                fail(at(u"value"),
                     QStringLiteral("must be the text of the expression, got %1").arg(describe(v)));
            const Variant candidate = variant(v, *a, at(u"value"));
            const QString reason = a->rejectionReason(candidate);
            if (!reason.isEmpty())
                fail(at(u"value"), QStringLiteral("attribute \"%1\": %2").arg(name, reason));
            a->setValue(candidate);
        } else if (!a->isExpression()) {
            // Without a value the attribute holds its type's empty value, which must be one it
            // would accept: otherwise it never validates.
            const QString reason = a->rejectionReason(a->value());
            if (!reason.isEmpty())
                fail(path, QStringLiteral("attribute \"%1\" has no \"value\", and its empty value "
                                          "is refused: %2")
                               .arg(name, reason));
        }
        a->setValueSet(o.contains(u"valueSet") ? flag(o.value(u"valueSet"), at(u"valueSet"))
                                               : o.contains(u"value"));
        a->setAllowableValues(o.contains(u"allowableValues")
                                  ? text(o.value(u"allowableValues"), at(u"allowableValues"))
                                  : allowableValues(*a));
        return a;
    }

    QList<Attribute::EnumerationEntry> enumeration(const QJsonValue &value, const Attribute &a,
                                                   const QString &path) const
    {
        if (!value.isArray())
            fail(path, QStringLiteral("must be an array, got %1").arg(describe(value)));
        const QJsonArray list = value.toArray();
        QList<Attribute::EnumerationEntry> entries;
        entries.reserve(list.size());
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString here = QStringLiteral("%1[%2]").arg(path).arg(i);
            if (!list[i].isObject())
                fail(here, QStringLiteral("must be an object, got %1").arg(describe(list[i])));
            const QJsonObject e = list[i].toObject();
            for (auto it = e.begin(); it != e.end(); ++it)
                if (it.key() != u"value" && it.key() != u"text")
                    fail(here + u'.' + it.key(), unknownKey());
            if (!e.contains(u"value")) fail(here, QStringLiteral("\"value\" is missing"));
            const QJsonValue v = e.value(u"value");
            const QString valuePath = here + QStringLiteral(".value");
            if (!v.isString() && !v.isDouble())
                fail(valuePath,
                     QStringLiteral("must be a text or a number, got %1").arg(describe(v)));
            const QString stored = v.isString() ? v.toString() : numberText(v.toDouble());
            if (!a.isExpression()) {
                const QString reason = a.rejectionReason(variant(v, a, valuePath));
                if (!reason.isEmpty()) fail(valuePath, reason);
            }
            const QString shown = e.contains(u"text")
                                      ? text(e.value(u"text"), here + QStringLiteral(".text"))
                                      : stored;
            entries.append({stored, shown});
        }
        return entries;
    }

    // The allowable-values text when the file gives none: the enumeration's texts, or the
    // range and length limits.
    static QString allowableValues(const Attribute &a)
    {
        const QList<Attribute::EnumerationEntry> entries = a.enumeration();
        if (!entries.isEmpty()) {
            QStringList texts;
            for (const auto &e : entries)
                texts.append(e.text);
            return QStringLiteral("enumeration: ") + texts.join(QStringLiteral(", "));
        }
        const QString unit = a.unitsCode() == tabulon::kNoUnit ? QString() : u' ' + a.unitsText();
        if (a.minimum() && a.maximum())
            return QStringLiteral("%1 to %2%3")
                .arg(numberText(*a.minimum()), numberText(*a.maximum()), unit);
        if (a.minimum()) return QStringLiteral("at least %1%2").arg(numberText(*a.minimum()), unit);
        if (a.maximum()) return QStringLiteral("at most %1%2").arg(numberText(*a.maximum()), unit);
        if (a.maxLength()) return QStringLiteral("up to %1 characters").arg(*a.maxLength());
        return {};
    }
};

} // namespace

std::shared_ptr<Collection> loadCollection(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(BadObjectFile, QStringLiteral("tessel"),
                    QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
    return Loader(path).load(file.readAll());
}

std::shared_ptr<Collection> parseCollection(const QByteArray &json, const QString &origin)
{
    return Loader(origin).load(json);
}

std::shared_ptr<Collection> defaultCollection()
{
    initTesselResources();
    return loadCollection(QString::fromUtf16(defaultObjectPath));
}

} // namespace tessel

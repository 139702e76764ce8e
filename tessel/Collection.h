#pragma once

#include "../core/AttributeSource.h"
#include "Attribute.h"
#include "Export.h"
#include "Expression.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace tessel {

// The attributes of one host object. Enumeration (forEach) follows the order in which they
// were added; item() follows their position() values, ties in the order of adding. Names are
// looked up in constant time; with duplicate names the attribute added first wins.
//
// An attribute belongs to at most one collection, which its expressions are evaluated in, with
// the collection's environment (clock and random source).
// The collection lets go of its attributes when it is destroyed: attributes still held
// elsewhere then belong to none.
class TESSEL_EXPORT Collection : public tabulon::AttributeCollection
{
public:
    Collection();
    ~Collection() override;
    Collection(const Collection &) = delete;
    Collection &operator=(const Collection &) = delete;

    // The object's name (for titles); not used for lookups.
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    void reserve(std::size_t count);
    // Appends an attribute. Throws InvalidProcedureCall for a null attribute or one that already
    // belongs to a collection.
    void add(std::shared_ptr<Attribute> attribute);
    // Creates, appends and returns an attribute.
    std::shared_ptr<Attribute> add(const QString &name, std::int32_t dataType = tabulon::adtText);

    // The attribute of that name, null when there is none.
    std::shared_ptr<Attribute> attribute(const QString &name) const;
    // The attribute added at a 0-based index, null when out of range.
    std::shared_ptr<Attribute> at(std::size_t index) const;

    // A deep copy: copies of the attributes, with expressions evaluated in the copy.
    std::shared_ptr<Collection> copy() const;

    // tabulon::AttributeCollection
    std::int32_t count() const override;
    void forEach(const std::function<void(tabulon::Attribute &)> &visit) const override;
    // Throws InvalidProcedureCall when position is out of range.
    std::shared_ptr<tabulon::Attribute> item(std::int32_t position) const override;
    // A text key is a name; an integer (or a whole double) is a 0-based position as for item().
    // Throws ItemNotFound when nothing matches.
    std::shared_ptr<tabulon::Attribute>
    itemByKey(const tabulon::platform::Variant &key) const override;
    std::shared_ptr<tabulon::AttributeCollection> workingSet() const override;

    // The clock and random source of the expressions of this collection.
    Environment &environment() const { return m_environment; }
    // Changes whenever an attribute is added or renamed: references resolved in another shape
    // are resolved again.
    std::uint64_t shape() const { return m_shape; }

private:
    friend class Attribute;
    friend class Evaluator;

    // Fetch an attribute, and the headers of its name and text value, ahead of a walk's visit.
    static void prefetch(const Attribute &attribute);
    static void prefetchTexts(const Attribute &attribute);

    const std::shared_ptr<Attribute> *slot(const QString &name) const;
    Attribute *find(const QString &name) const;
    void invalidateNames()
    {
        m_namesValid = false;
        ++m_shape;
    }
    void invalidatePositions() { m_positionOrder.clear(); }
    const std::vector<std::uint32_t> &positionOrder() const;

    QString m_name;
    std::vector<std::shared_ptr<Attribute>> m_attributes;
    // Lookups built as attributes are added and rebuilt lazily after a rename or a move.
    mutable QHash<QString, std::uint32_t> m_byName;
    mutable bool m_namesValid = true;
    mutable std::vector<std::uint32_t> m_positionOrder;
    mutable Environment m_environment;
    std::uint64_t m_shape = 1;
};

} // namespace tessel

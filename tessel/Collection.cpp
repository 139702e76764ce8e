#include "tessel/Collection.h"

#include "core/Error.h"
#include "core/NumberText.h"
#include "core/Prefetch_p.h"
#include "tessel/Evaluator_p.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tessel {

using tabulon::platform::Error;
using tabulon::platform::Variant;

namespace {
const QString source = QStringLiteral("tessel");
}

Collection::Collection() = default;

Collection::~Collection()
{
    for (const auto &a : m_attributes) {
        Evaluator::detach(*a);
        a->m_collection = nullptr;
    }
}

void Collection::reserve(std::size_t count)
{
    m_attributes.reserve(count);
    m_byName.reserve(qsizetype(count));
}

void Collection::add(std::shared_ptr<Attribute> attribute)
{
    if (!attribute)
        throw Error(Error::InvalidProcedureCall, source,
                    QStringLiteral("Cannot add a null attribute."));
    if (attribute->m_collection)
        throw Error(Error::InvalidProcedureCall, source,
                    QStringLiteral("Attribute \"%1\" already belongs to a collection.")
                        .arg(attribute->name()));
    if (m_attributes.size() >= std::numeric_limits<std::int32_t>::max())
        throw Error(Error::Overflow, source, QStringLiteral("The collection is full."));
    const auto index = std::uint32_t(m_attributes.size());
    if (m_namesValid && !m_byName.contains(attribute->name()))
        m_byName.insert(attribute->name(), index);
    if (!m_positionOrder.empty()) {
        // Appending keeps the cached order when the newcomer sorts last, as it does when
        // positions are given in increasing order.
        if (attribute->position() >= m_attributes[m_positionOrder.back()]->position())
            m_positionOrder.push_back(index);
        else
            m_positionOrder.clear();
    }
    attribute->m_collection = this;
    m_attributes.push_back(std::move(attribute));
    ++m_shape;
}

std::shared_ptr<Attribute> Collection::add(const QString &name, std::int32_t dataType)
{
    auto attribute = std::make_shared<Attribute>(name, dataType);
    add(attribute);
    return attribute;
}

const std::shared_ptr<Attribute> *Collection::slot(const QString &name) const
{
    if (!m_namesValid) {
        m_byName.clear();
        m_byName.reserve(qsizetype(m_attributes.size()));
        for (std::uint32_t i = 0; i < m_attributes.size(); ++i)
            if (!m_byName.contains(m_attributes[i]->name()))
                m_byName.insert(m_attributes[i]->name(), i);
        m_namesValid = true;
    }
    const auto it = m_byName.constFind(name);
    return it == m_byName.cend() ? nullptr : &m_attributes[*it];
}

Attribute *Collection::find(const QString &name) const
{
    const auto *found = slot(name);
    return found ? found->get() : nullptr;
}

std::shared_ptr<Attribute> Collection::attribute(const QString &name) const
{
    const auto *found = slot(name);
    return found ? *found : nullptr;
}

std::shared_ptr<Attribute> Collection::at(std::size_t index) const
{
    return index < m_attributes.size() ? m_attributes[index] : nullptr;
}

const std::vector<std::uint32_t> &Collection::positionOrder() const
{
    if (m_positionOrder.size() != m_attributes.size()) {
        m_positionOrder.resize(m_attributes.size());
        std::iota(m_positionOrder.begin(), m_positionOrder.end(), 0u);
        std::stable_sort(m_positionOrder.begin(), m_positionOrder.end(),
                         [this](std::uint32_t a, std::uint32_t b) {
                             return m_attributes[a]->position() < m_attributes[b]->position();
                         });
    }
    return m_positionOrder;
}

std::shared_ptr<Collection> Collection::copy() const
{
    auto result = std::make_shared<Collection>();
    result->m_name = m_name;
    result->reserve(m_attributes.size());
    for (const auto &a : m_attributes)
        result->add(std::make_shared<Attribute>(*a));
    return result;
}

std::int32_t Collection::count() const
{
    return std::int32_t(m_attributes.size());
}

void Collection::prefetch(const Attribute &attribute)
{
    const char *p = reinterpret_cast<const char *>(&attribute);
    for (std::size_t offset = 0; offset < sizeof(Attribute); offset += 64)
        tabulon::platform::prefetchLine(p + offset);
    tabulon::platform::prefetchLine(p + sizeof(Attribute) - 1);
}

void Collection::prefetchTexts(const Attribute &attribute)
{
    tabulon::platform::prefetchText(attribute.m_name);
    tabulon::platform::prefetchText(attribute.m_displayName);
    tabulon::platform::prefetchValue(attribute.m_value);
}

void Collection::forEach(const std::function<void(tabulon::Attribute &)> &visit) const
{
    // Visitors read each attribute whole. In a large collection the attributes and their texts
    // are rarely in cache, and copying a text waits for its header: both are fetched a few
    // attributes ahead, so that the misses overlap instead of stalling one after another.
    constexpr std::size_t objectsAhead = 8;
    constexpr std::size_t textsAhead = 4;
    // By index, so that a visitor may add attributes (those are not visited). The collection
    // keeps every attribute alive, whatever the visitor does with its own references.
    const std::size_t n = m_attributes.size();
    for (std::size_t i = 0; i < n && i < m_attributes.size(); ++i) {
        if (i + objectsAhead < n) prefetch(*m_attributes[i + objectsAhead]);
        if (i + textsAhead < n) prefetchTexts(*m_attributes[i + textsAhead]);
        visit(*m_attributes[i]);
    }
}

std::shared_ptr<tabulon::Attribute> Collection::item(std::int32_t position) const
{
    if (position < 0 || position >= count())
        throw Error(Error::InvalidProcedureCall, source,
                    QStringLiteral("Position %1 is out of range; the collection has %2 "
                                   "attributes.")
                        .arg(position)
                        .arg(count()));
    return m_attributes[positionOrder()[std::size_t(position)]];
}

std::shared_ptr<tabulon::Attribute> Collection::itemByKey(const Variant &key) const
{
    switch (key.type()) {
    case Variant::Type::String:
        if (auto a = attribute(key.stringValue())) return a;
        throw Error(Error::ItemNotFound, source,
                    QStringLiteral("No attribute named \"%1\".").arg(key.stringValue()));
    case Variant::Type::Int:
    case Variant::Type::Double: {
        const double p = key.type() == Variant::Type::Int ? key.intValue() : key.doubleValue();
        if (p >= 0 && p < count() && p == std::trunc(p)) return item(std::int32_t(p));
        throw Error(Error::ItemNotFound, source,
                    QStringLiteral("No attribute at position %1; the collection has %2 "
                                   "attributes.")
                        .arg(tabulon::platform::numberToText(p, u'.'))
                        .arg(count()));
    }
    default:
        throw Error(Error::ItemNotFound, source,
                    QStringLiteral("No attribute for the key %1.").arg(key.debugText()));
    }
}

std::shared_ptr<tabulon::AttributeCollection> Collection::workingSet() const
{
    return copy();
}

} // namespace tessel

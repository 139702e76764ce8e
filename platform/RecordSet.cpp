#include "platform/RecordSet.h"
#include "platform/RecordSetReuse_p.h"

#include "core/Error.h"
#include "core/Prefetch_p.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

namespace tabulon::platform {

namespace {

const QString &source()
{
    static const QString name = QStringLiteral("RecordSet");
    return name;
}

[[noreturn]] void raise(int number)
{
    throw Error::standard(number, source());
}

[[noreturn]] void raise(int number, const QString &description)
{
    throw Error(number, source(), description);
}

} // namespace

// A value as a row keeps it: 16 bytes where a Variant takes 24, since cells are most of a
// large table's memory. A text keeps the address of its shared header in the first word
// (never odd) and, in the second, its length and the distance in bytes from the header to its
// characters. A text without a header (a literal, raw data, the null text) keeps an odd tag
// with its length in the first word and the address of its characters in the second. Other
// values keep an odd tag and their payload. The cell owns its reference to a text's header,
// as a QString does.
class TableCell
{
    // Tagged as a Variant tags them, so that they move between the two as two words; a Variant
    // never has RawText's tag, as it keeps its texts as QStrings.
    enum Kind : std::uintptr_t { Empty, Null, Bool, Int, Double, RawText };
    static constexpr int kindBits = 4;
    static constexpr std::uintptr_t tag(Kind kind) { return (std::uintptr_t(kind) << 1) | 1; }

public:
    TableCell() noexcept = default;
    TableCell(TableCell &&other) noexcept
        : m_first(std::exchange(other.m_first, tag(Empty))), m_second(other.m_second)
    {}
    TableCell &operator=(TableCell &&other) noexcept
    {
        if (this != &other) {
            release();
            m_first = std::exchange(other.m_first, tag(Empty));
            m_second = other.m_second;
        }
        return *this;
    }
    ~TableCell() { release(); }

    // Takes `value` into this cell, which must be empty; a text is handed over without
    // touching its reference count. Raises DataTooLarge, leaving `value` as it was, for a
    // text of 2^32 characters or more. Other values keep the words a Variant keeps them in.
    void fill(Variant &&value)
    {
        static_assert(sizeof(Variant::Scalar) == sizeof(TableCell) &&
                      tag(Double) == Variant::tagOf(Variant::Type::Double) &&
                      tag(RawText) == Variant::tagOf(Variant::Type::String));
        if (value.isString()) {
            adopt(value);
        } else {
            m_first = value.m_scalar.tag;
            std::memcpy(&m_second, &value.m_scalar.d, sizeof m_second);
        }
    }
    // Replaces the value, as fill() takes it.
    void assign(Variant &&value)
    {
        TableCell taken;
        taken.fill(std::move(value));
        *this = std::move(taken);
    }

    bool isEmpty() const { return m_first == tag(Empty); }
    // The text, seen where it lies; nothing for another kind of value.
    std::optional<QStringView> text() const
    {
        if (hasHeader()) return QStringView(headerChars(), headerLength());
        if (kind() == RawText) return QStringView(rawChars(), rawLength());
        return std::nullopt;
    }
    // A copy of the value; a text is shared, not copied.
    Variant value() const
    {
        if (hasHeader()) {
            // Lent for the copy below, never destroyed: the reference stays the cell's.
            union Lent {
                QString text;
                ~Lent() {}
            } lent{QString(QString::DataPointer(header(), headerChars(), headerLength()))};
            return Variant(lent.text);
        }
        if (kind() == RawText)
            return Variant(
                QString::fromRawData(reinterpret_cast<const QChar *>(rawChars()), rawLength()));
        Variant::Scalar words{m_first, {}};
        std::memcpy(&words.d, &m_second, sizeof m_second);
        return Variant(words);
    }
    // The text's shared header, to fetch ahead of a walk; null when there is none.
    const void *sharedHeader() const
    {
        return hasHeader() ? reinterpret_cast<const void *>(m_first) : nullptr;
    }

private:
    using Header = QTypedArrayData<char16_t>;

    bool hasHeader() const { return !(m_first & 1); }
    Kind kind() const { return Kind((m_first & ((1u << kindBits) - 1)) >> 1); }
    Header *header() const { return reinterpret_cast<Header *>(m_first); }
    char16_t *headerChars() const
    {
        return reinterpret_cast<char16_t *>(reinterpret_cast<char *>(m_first) + (m_second >> 32));
    }
    qsizetype headerLength() const { return qsizetype(std::uint32_t(m_second)); }
    const char16_t *rawChars() const { return reinterpret_cast<const char16_t *>(m_second); }
    qsizetype rawLength() const { return qsizetype(m_first >> kindBits); }

    void adopt(Variant &value)
    {
        const QString &text = value.stringValue();
        if (std::uint64_t(text.size()) > std::numeric_limits<std::uint32_t>::max())
            raise(Error::DataTooLarge,
                  QStringLiteral("A table holds texts of at most 4294967295 characters."));
        const void *header = const_cast<QString &>(text).data_ptr().d_ptr();
        // The characters' address as stored: null for the null text, unlike constData().
        const auto chars = reinterpret_cast<std::uintptr_t>(text.data_ptr().data());
        const auto offset = chars - reinterpret_cast<std::uintptr_t>(header);
        if (header && offset > std::numeric_limits<std::uint32_t>::max()) {
            // Its characters lie far into a large allocation: keep a copy of just them.
            Variant copy(QString(text.constData(), text.size()));
            adopt(copy);
            value = Variant();
            return;
        }
        const std::uint64_t length = std::uint64_t(text.size());
        // Kept, never destroyed: its reference to the header passes to the cell.
        union Kept {
            QString text;
            ~Kept() {}
        } kept{value.takeString()};
        if (header) {
            m_first = reinterpret_cast<std::uintptr_t>(header);
            m_second = length | (std::uint64_t(offset) << 32);
        } else {
            m_first = (std::uintptr_t(length) << kindBits) | tag(RawText);
            m_second = chars;
        }
    }
    void release() noexcept
    {
        // Released as the QString holding the reference would release it.
        if (hasHeader()) {
            const QString owned{QString::DataPointer(header(), headerChars(), headerLength())};
        }
    }

    std::uintptr_t m_first = tag(Empty);
    std::uint64_t m_second = 0;
};
static_assert(sizeof(TableCell) == 16);

// The rows and schema that a record set and its clones share. Rows live in blocks of a fixed
// number of rows: appending never moves the rows already there.
//
// A boolean field keeps one byte per row (empty, null, false or true); a text field whose texts
// repeat keeps four bytes per row, the number of its text in a pool of the distinct texts
// written to it; every other field keeps a 16-byte cell. A row costs its values and nothing
// more. Values are read as copies, which share their texts with the table.
class RecordSetStorage
{
public:
    static constexpr int rowsPerBlock = 256;
    enum Flag : std::uint8_t { FlagEmpty, FlagNull, FlagFalse, FlagTrue };

    // Where a field's values live: a cell, a flag byte or a pooled text's number, by
    // index within the row.
    enum class Kind : std::uint8_t { Cell, Flag, Pooled };
    struct Slot
    {
        Kind kind;
        std::size_t index;
    };
    struct Block
    {
        std::unique_ptr<TableCell[]> cells;
        std::unique_ptr<std::uint8_t[]> flags;
        std::unique_ptr<std::uint32_t[]> pooled;
    };

    std::vector<RecordSet::Field> fields;
    std::vector<bool> pooledFields; // by field, set before the table opens
    std::vector<Slot> slots;
    std::size_t cellsPerRow = 0;
    std::size_t flagsPerRow = 0;
    std::size_t pooledPerRow = 0;
    // The distinct values of the pooled fields: 0 is empty, 1 null, then texts. A deque, so
    // that references to them stay valid as texts are added; texts are never removed.
    std::deque<Variant> pool{Variant(), Variant::null()};
    QHash<QString, std::uint32_t> poolIndex;
    std::vector<Block> blocks;
    // Blocks taken from a discarded table of the same layout (see RecordSetReuse),
    // the next to use last. They still hold that table's values until they are used.
    std::vector<Block> spare;
    int rowCount = 0;
    bool open = false;
    std::vector<const RecordSet *> cursors;

    // Rows by the text of one field (see RecordSet::firstRowOf): open addressing over row
    // numbers and text hashes, so that it costs a few bytes per row, the texts stay in the
    // rows, and growing never reads them again. An entry holds the first row with its text;
    // row -1 is free.
    struct IndexEntry
    {
        int row = -1;
        std::uint32_t hash = 0;
    };
    struct TextIndex
    {
        int field = -1;
        bool stale = true;
        std::vector<IndexEntry> slots;
        std::size_t used = 0;
    } index;

    // The text in a row's field, seen where it lies; nothing when the field holds no text.
    std::optional<QStringView> textAt(int row, int field) const
    {
        auto *self = const_cast<RecordSetStorage *>(this);
        const Slot slot = slots[std::size_t(field)];
        switch (slot.kind) {
        case Kind::Flag:
            return std::nullopt;
        case Kind::Pooled: {
            const Variant &v = pool[self->slotsOf(row).pooled[slot.index]];
            if (!v.isString()) return std::nullopt;
            return QStringView(v.stringValue());
        }
        case Kind::Cell:
            break;
        }
        return self->slotsOf(row).cells[slot.index].text();
    }

    static std::uint32_t hashOf(QStringView text) { return std::uint32_t(qHash(text)); }
    std::size_t mask() const { return index.slots.size() - 1; }

    // Takes `row` into a fresh index: it becomes the entry of its text unless an earlier row
    // holds the same text.
    void indexRow(int row)
    {
        const std::optional<QStringView> text = textAt(row, index.field);
        if (!text) return;
        if ((index.used + 1) * 4 > index.slots.size() * 3) growIndex();
        const std::uint32_t hash = hashOf(*text);
        for (std::size_t s = hash & mask();; s = (s + 1) & mask()) {
            IndexEntry &entry = index.slots[s];
            if (entry.row < 0) {
                entry = {row, hash};
                ++index.used;
                return;
            }
            if (entry.hash == hash && *textAt(entry.row, index.field) == *text) {
                entry.row = std::min(entry.row, row);
                return;
            }
        }
    }

    void growIndex()
    {
        std::vector<IndexEntry> old(std::max<std::size_t>(index.slots.size() * 2, 64));
        old.swap(index.slots);
        for (const IndexEntry &entry : old) {
            if (entry.row < 0) continue;
            std::size_t s = entry.hash & mask();
            while (index.slots[s].row >= 0)
                s = (s + 1) & mask();
            index.slots[s] = entry;
        }
    }

    void rebuildIndex(int field)
    {
        std::size_t size = 64;
        while (size * 3 < std::size_t(rowCount) * 4)
            size *= 2;
        index.field = field;
        index.slots.assign(size, IndexEntry());
        index.used = 0;
        index.stale = false;
        for (int row = 0; row < rowCount; ++row)
            indexRow(row);
    }

    int findInIndex(int field, QStringView text)
    {
        if (index.field != field || index.stale) rebuildIndex(field);
        const std::uint32_t hash = hashOf(text);
        for (std::size_t s = hash & mask();; s = (s + 1) & mask()) {
            const IndexEntry &entry = index.slots[s];
            if (entry.row < 0 || (entry.hash == hash && *textAt(entry.row, field) == text))
                return entry.row;
        }
    }

    // Keeps a fresh index in step with a write of `field` in `row`; `replaced` tells whether
    // the row held a text there before, which may have been the slot of that text.
    void indexWrite(int row, int field, bool replaced)
    {
        if (index.stale || index.field != field) return;
        if (replaced)
            index.stale = true;
        else
            indexRow(row);
    }

    // Fixes the row layout; called once, when the table opens.
    void layOut()
    {
        pooledFields.resize(fields.size());
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (fields[f].type == RecordSet::FieldType::Boolean)
                slots.push_back({Kind::Flag, flagsPerRow++});
            else if (pooledFields[f])
                slots.push_back({Kind::Pooled, pooledPerRow++});
            else
                slots.push_back({Kind::Cell, cellsPerRow++});
        }
    }

    static const Variant &flagValue(std::uint8_t flag)
    {
        static const Variant values[] = {Variant(), Variant::null(), Variant(false), Variant(true)};
        return values[flag & 3];
    }
    static std::uint8_t flagOf(const Variant &value)
    {
        switch (value.type()) {
        case Variant::Type::Null:
            return FlagNull;
        case Variant::Type::Bool:
            return value.boolValue() ? FlagTrue : FlagFalse;
        default:
            return FlagEmpty;
        }
    }

    // The number of a value (empty, null or a text) in the pool, added if new. Rows written
    // one after another mostly repeat the texts just pooled, often as copies of the very same
    // text: a text sharing a pooled one's characters is found by address in one probe, an
    // equal one among the last few pooled by content, and only the others are hashed.
    std::uint32_t pooled(Variant &&value)
    {
        if (!value.isString()) return value.isNull() ? 1 : 0;
        const QString &text = value.stringValue();
        const Recent &shared = pooledByAddress[addressSlot(text.constData())];
        if (shared.text && shared.text->constData() == text.constData() &&
            shared.text->size() == text.size())
            return shared.number;
        for (const Recent &recent : recentlyPooled)
            if (recent.text && *recent.text == text) return recent.number;
        const auto it = poolIndex.constFind(text);
        std::uint32_t number;
        if (it != poolIndex.constEnd()) {
            number = *it;
        } else {
            number = std::uint32_t(pool.size());
            poolIndex.insert(text, number);
            pool.push_back(std::move(value));
        }
        const QString &kept = pool[number].stringValue();
        recentlyPooled[nextRecent] = {&kept, number};
        nextRecent = (nextRecent + 1) % recentlyPooled.size();
        pooledByAddress[addressSlot(kept.constData())] = {&kept, number};
        return number;
    }
    // The texts last looked up, with their numbers; the pool's deque keeps them in place.
    struct Recent
    {
        const QString *text = nullptr;
        std::uint32_t number = 0;
    };
    std::array<Recent, 8> recentlyPooled{};
    std::size_t nextRecent = 0;
    // Pooled texts by the address of their characters: a text that shares them is that text,
    // found without comparing, and since the pool keeps them alive, no other text can have
    // taken that address since.
    std::array<Recent, 16> pooledByAddress{};
    static std::size_t addressSlot(const QChar *chars)
    {
        return std::size_t(
            (std::uint64_t(reinterpret_cast<std::uintptr_t>(chars)) * 0x9E3779B97F4A7C15u) >> 60);
    }

    Variant get(int row, int field) const
    {
        auto *self = const_cast<RecordSetStorage *>(this);
        const Slot slot = slots[std::size_t(field)];
        switch (slot.kind) {
        case Kind::Flag:
            return flagValue(self->slotsOf(row).flags[slot.index]);
        case Kind::Pooled:
            return pool[self->slotsOf(row).pooled[slot.index]];
        case Kind::Cell:
            break;
        }
        return self->slotsOf(row).cells[slot.index].value();
    }
    // Where one row's values live.
    struct RowSlots
    {
        TableCell *cells;
        std::uint8_t *flags;
        std::uint32_t *pooled;
    };
    RowSlots slotsOf(int row)
    {
        const Block &block = blocks[std::size_t(row / rowsPerBlock)];
        const std::size_t at = std::size_t(row % rowsPerBlock);
        return {block.cells.get() + at * cellsPerRow, block.flags.get() + at * flagsPerRow,
                block.pooled.get() + at * pooledPerRow};
    }
    // Stores a value already coerced to the field's type; `Fresh` when the row was just
    // appended and the slot is still empty.
    template <bool Fresh = false> void set(const RowSlots &row, int field, Variant &&value)
    {
        const Slot slot = slots[std::size_t(field)];
        switch (slot.kind) {
        case Kind::Flag:
            row.flags[slot.index] = flagOf(value);
            return;
        case Kind::Pooled:
            row.pooled[slot.index] = pooled(std::move(value));
            return;
        case Kind::Cell:
            if constexpr (Fresh)
                row.cells[slot.index].fill(std::move(value));
            else
                row.cells[slot.index].assign(std::move(value));
            return;
        }
    }
    void set(int row, int field, Variant &&value) { set(slotsOf(row), field, std::move(value)); }
    void clearRow(int row)
    {
        const RowSlots at = slotsOf(row);
        emptyCells(at.cells, cellsPerRow);
        std::fill_n(at.flags, flagsPerRow, std::uint8_t(FlagEmpty));
        std::fill_n(at.pooled, pooledPerRow, std::uint32_t(0));
    }

    // Empties cells. Releasing a text waits for its header, mostly shared with the host's
    // objects, and a large table's cells and headers are rarely in cache: the cells are
    // fetched well ahead, then the headers of the texts in them, so that the misses overlap.
    static void emptyCells(TableCell *cells, std::size_t count)
    {
        constexpr std::size_t ahead = 64;
        for (std::size_t i = 0; i < count; ++i) {
            if (i + 2 * ahead < count) prefetchLine(cells + i + 2 * ahead);
            if (i + ahead < count) prefetchLine(cells[i + ahead].sharedHeader());
            cells[i] = TableCell();
        }
    }

    // Frees blocks, each emptied first while it is in cache.
    void release(std::vector<Block> &list)
    {
        for (Block &block : list) {
            emptyCells(block.cells.get(), rowsPerBlock * cellsPerRow);
            block.cells.reset();
        }
        list.clear();
    }

    ~RecordSetStorage()
    {
        release(blocks);
        release(spare);
    }

    // A block for the next rows: a recycled one, emptied just before its rows are written so
    // that both happen while it is in cache, or a new one.
    Block takeBlock()
    {
        if (spare.empty())
            return {std::make_unique<TableCell[]>(rowsPerBlock * cellsPerRow),
                    std::make_unique<std::uint8_t[]>(rowsPerBlock * flagsPerRow),
                    std::make_unique<std::uint32_t[]>(rowsPerBlock * pooledPerRow)};
        Block block = std::move(spare.back());
        spare.pop_back();
        emptyCells(block.cells.get(), rowsPerBlock * cellsPerRow);
        std::fill_n(block.flags.get(), rowsPerBlock * flagsPerRow, std::uint8_t(FlagEmpty));
        // Numbers in the discarded table's pool: none of them is read before it is written.
        std::fill_n(block.pooled.get(), rowsPerBlock * pooledPerRow, std::uint32_t(0));
        return block;
    }

    // Appends a row of empty values; returns its index.
    int appendRow()
    {
        if (rowCount % rowsPerBlock == 0) blocks.push_back(takeBlock());
        return rowCount++;
    }

    void addObserver(RecordSetObserver *observer)
    {
        if (std::find(observers.begin(), observers.end(), observer) == observers.end())
            observers.push_back(observer);
    }

    void removeObserver(RecordSetObserver *observer)
    {
        const auto it = std::find(observers.begin(), observers.end(), observer);
        if (it == observers.end()) return;
        // While observers are being called, a removed one is blanked instead of erased so that
        // the running loop keeps its place.
        if (notifying > 0)
            *it = nullptr;
        else
            observers.erase(it);
    }

    template <typename Call> void notify(Call &&call)
    {
        ++notifying;
        try {
            for (std::size_t i = 0; i < observers.size(); ++i)
                if (RecordSetObserver *observer = observers[i]) call(*observer);
        } catch (...) {
            endNotify();
            throw;
        }
        endNotify();
    }

    // Observers are being called.
    bool busy() const { return notifying > 0; }

private:
    void endNotify()
    {
        if (--notifying == 0) std::erase(observers, nullptr);
    }

    std::vector<RecordSetObserver *> observers;
    int notifying = 0;
};

namespace {

// The cursor position after the last row. Kept apart from any row index so that a cursor at
// EOF stays there when a clone appends rows.
constexpr int eofPosition = std::numeric_limits<int>::max();

// Calls the handlers connected when the call starts, in connection order. Handlers may connect
// and disconnect (themselves included) while they run: the walk goes by id, not by position,
// and each handler is kept alive by its own reference while it runs.
template <typename Handler, typename Call>
void dispatch(std::vector<std::pair<int, std::shared_ptr<const Handler>>> &handlers, Call &&call)
{
    if (handlers.empty()) return;
    const int lastId = handlers.back().first;
    int previousId = 0;
    for (;;) {
        const auto it =
            std::upper_bound(handlers.begin(), handlers.end(), previousId,
                             [](int id, const auto &entry) { return id < entry.first; });
        if (it == handlers.end() || it->first > lastId) return;
        previousId = it->first;
        const std::shared_ptr<const Handler> handler = it->second;
        call(*handler);
    }
}

template <typename Handler>
void disconnect(std::vector<std::pair<int, std::shared_ptr<const Handler>>> &handlers, int id)
{
    std::erase_if(handlers, [id](const auto &entry) { return entry.first == id; });
}

QString fieldText(const QString &name)
{
    return QStringLiteral("Field \"%1\"").arg(name);
}

// Whether the field stores `value` as it is: the common case, checked inline before the
// full rule below.
inline bool storedAsIs(const RecordSet::Field &field, const Variant &value)
{
    switch (value.type()) {
    case Variant::Type::Empty:
        return true;
    case Variant::Type::Null:
        return field.nullable;
    case Variant::Type::Bool:
        return field.type != RecordSet::FieldType::VarWChar;
    case Variant::Type::String:
        return field.type == RecordSet::FieldType::Variant ||
               (field.type == RecordSet::FieldType::VarWChar &&
                (field.definedSize <= 0 || value.stringValue().size() <= field.definedSize));
    default:
        return field.type == RecordSet::FieldType::Variant;
    }
}

// Makes `value` what the field stores: texts for text fields, booleans for boolean fields,
// anything for variant fields. Raises the field's refusal.
void coerceInPlace(const RecordSet::Field &field, Variant &value)
{
    if (storedAsIs(field, value)) return;
    if (value.isNull()) {
        if (!field.nullable)
            raise(Error::OperationNotAllowed,
                  QStringLiteral("%1 does not accept null.").arg(fieldText(field.name)));
        return;
    }
    if (value.isEmpty()) return;
    switch (field.type) {
    case RecordSet::FieldType::Variant:
        return;
    case RecordSet::FieldType::Boolean:
        if (value.type() != Variant::Type::Bool) value = Variant(value.toBool());
        return;
    case RecordSet::FieldType::VarWChar: {
        if (!value.isString()) value = Variant(value.toString());
        const qsizetype length = value.stringValue().size();
        if (field.definedSize > 0 && length > field.definedSize)
            raise(Error::DataTooLarge,
                  QStringLiteral("%1 holds at most %2 characters; the value has %3.")
                      .arg(fieldText(field.name))
                      .arg(field.definedSize)
                      .arg(length));
        return;
    }
    }
}

Variant coerce(const RecordSet::Field &field, Variant value)
{
    coerceInPlace(field, value);
    return value;
}

[[noreturn]] void broken(const std::string &what)
{
    throw std::logic_error("RecordSet: " + what);
}

} // namespace

RecordSetObserver::~RecordSetObserver() = default;

const QString &RecordSet::ChangedField::name() const
{
    return m_storage->fields[std::size_t(m_field)].name;
}

Variant RecordSet::ChangedField::value() const
{
    return m_storage->get(m_row, m_field);
}

void RecordSetReuse::recycleRows(RecordSet &next, std::unique_ptr<RecordSet> previous)
{
    if (!previous || !next.isOpen() || !previous->isOpen()) return;
    RecordSetStorage &mine = *next.m_storage;
    RecordSetStorage &theirs = *previous->m_storage;
    if (&mine == &theirs || theirs.cursors.size() != 1 || theirs.busy() || mine.rowCount != 0 ||
        !mine.spare.empty() || mine.cellsPerRow != theirs.cellsPerRow ||
        mine.flagsPerRow != theirs.flagsPerRow || mine.pooledPerRow != theirs.pooledPerRow)
        return;
    // Reversed, so that the first rows appended land where the first rows were: a table
    // reloaded from the same source then releases and takes each text in the same moment.
    mine.spare.assign(std::make_move_iterator(theirs.blocks.rbegin()),
                      std::make_move_iterator(theirs.blocks.rend()));
    theirs.blocks.clear();
    theirs.rowCount = 0;
    theirs.index.stale = true;
}

void RecordSetReuse::releaseRecycledRows(RecordSet &table)
{
    table.m_storage->release(table.m_storage->spare);
}

RecordSet::RecordSet() : RecordSet(std::make_shared<RecordSetStorage>()) {}

RecordSet::RecordSet(std::shared_ptr<RecordSetStorage> storage) : m_storage(std::move(storage))
{
    m_storage->cursors.push_back(this);
}

RecordSet::~RecordSet()
{
    std::erase(m_storage->cursors, this);
}

void RecordSet::setCursorLocation(CursorLocation location)
{
    if (isOpen()) raise(Error::OperationNotAllowed);
    m_location = location;
}

RecordSet::CursorLocation RecordSet::cursorLocation() const
{
    return m_location;
}

void RecordSet::setCursorType(CursorType type)
{
    if (isOpen()) raise(Error::OperationNotAllowed);
    m_type = type;
}

RecordSet::CursorType RecordSet::cursorType() const
{
    return m_type;
}

void RecordSet::appendField(const QString &name, FieldType type, int definedSize, bool nullable)
{
    if (isOpen()) raise(Error::OperationNotAllowed);
    if (name.isEmpty() || fieldIndex(name) >= 0) raise(Error::InvalidProcedureCall);
    m_storage->fields.push_back(
        {name, type, type == FieldType::VarWChar ? std::max(definedSize, 0) : 0, nullable});
}

void RecordSet::setRepeatedTexts(int field)
{
    if (isOpen()) raise(Error::OperationNotAllowed);
    if (field < 0 || field >= fieldCount() || this->field(field).type != FieldType::VarWChar)
        raise(Error::InvalidProcedureCall);
    m_storage->pooledFields.resize(m_storage->fields.size());
    m_storage->pooledFields[std::size_t(field)] = true;
}

void RecordSet::open()
{
    if (isOpen()) raise(Error::OperationNotAllowed);
    m_storage->layOut();
    m_storage->open = true;
}

bool RecordSet::isOpen() const
{
    return m_storage->open;
}

int RecordSet::fieldCount() const
{
    return int(m_storage->fields.size());
}

const RecordSet::Field &RecordSet::field(int index) const
{
    if (index < 0 || index >= fieldCount()) raise(Error::ItemNotFound);
    return m_storage->fields[std::size_t(index)];
}

int RecordSet::fieldIndex(QStringView name) const
{
    const auto &fields = m_storage->fields;
    // Callers nearly always spell the name as it was defined: an exact pass first is a length
    // check and a memory compare per field, far cheaper than folding case.
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (name == fields[i].name) return int(i);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (name.compare(fields[i].name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

void RecordSet::addNew()
{
    requireOpen();
    RecordSetStorage &storage = *m_storage;
    const int row = storage.appendRow();
    storage.notify([row](RecordSetObserver &o) { o.rowsAppended(row, row); });
    moveTo(row);
}

void RecordSet::addNew(std::span<Variant> values)
{
    requireOpen();
    RecordSetStorage &storage = *m_storage;
    const std::size_t width = storage.fields.size();
    if (values.size() != width) raise(Error::InvalidProcedureCall);
    // Every value is accepted before the row is taken, so a refusal appends nothing; the
    // values then go straight into the slots after the last row, which are empty.
    for (std::size_t f = 0; f < width; ++f)
        if (!storedAsIs(storage.fields[f], values[f])) coerceInPlace(storage.fields[f], values[f]);
    const bool newBlock = storage.rowCount % RecordSetStorage::rowsPerBlock == 0;
    const int row = storage.appendRow();
    std::size_t f = 0;
    try {
        const RecordSetStorage::RowSlots at = storage.slotsOf(row);
        for (; f < width; ++f)
            storage.set<true>(at, int(f), std::move(values[f]));
    } catch (...) {
        // The caller gets the values back, so that it can still write them another way.
        for (std::size_t taken = 0; taken < f; ++taken)
            values[taken] = storage.get(row, int(taken));
        storage.clearRow(row);
        --storage.rowCount;
        if (newBlock) storage.blocks.pop_back();
        throw;
    }
    if (!storage.index.stale) storage.indexRow(row);
    storage.notify([row](RecordSetObserver &o) { o.rowsAppended(row, row); });
    moveTo(row);
    if (m_fieldHandlers.empty()) return;

    std::vector<ChangedField> changed;
    changed.reserve(width);
    for (std::size_t f = 0; f < width; ++f)
        changed.push_back(ChangedField(storage, row, int(f)));
    const std::span<const ChangedField> list(changed);
    dispatch(m_fieldHandlers, [&](const FieldChangeHandler &handler) {
        moveTo(row);
        handler(int(width), list, *this);
    });
}

void RecordSet::updateBatch()
{
    requireOpen();
}

Variant RecordSet::value(QStringView fieldName) const
{
    requireOpen();
    const int index = fieldIndex(fieldName);
    if (index < 0) raise(Error::ItemNotFound);
    return value(index);
}

Variant RecordSet::value(int field) const
{
    requireOpen();
    requireCurrent();
    if (field < 0 || field >= fieldCount()) raise(Error::ItemNotFound);
    return m_storage->get(m_current, field);
}

void RecordSet::setValue(QStringView fieldName, const Variant &value)
{
    requireOpen();
    const int index = fieldIndex(fieldName);
    if (index < 0) raise(Error::ItemNotFound);
    write(index, value);
}

void RecordSet::setValue(int field, const Variant &value)
{
    write(field, value);
}

Variant RecordSet::valueAt(int row, int field) const
{
    requireOpen();
    if (row < 0 || row >= recordCount()) raise(Error::InvalidProcedureCall);
    if (field < 0 || field >= fieldCount()) raise(Error::ItemNotFound);
    return m_storage->get(row, field);
}

void RecordSet::setValueAt(int row, int field, const Variant &value)
{
    requireOpen();
    if (row < 0 || row >= recordCount()) raise(Error::InvalidProcedureCall);
    moveTo(row);
    write(field, value);
}

void RecordSet::write(int field, const Variant &value)
{
    requireOpen();
    requireCurrent();
    if (field < 0 || field >= fieldCount()) raise(Error::ItemNotFound);
    RecordSetStorage &storage = *m_storage;
    const int row = m_current;
    const bool replaced = storage.textAt(row, field).has_value();
    storage.set(row, field, coerce(storage.fields[std::size_t(field)], value));
    storage.indexWrite(row, field, replaced);
    storage.notify([row, field](RecordSetObserver &o) { o.valueChanged(row, field); });

    const ChangedField changed(storage, row, field);
    dispatch(m_fieldHandlers, [&](const FieldChangeHandler &handler) {
        // An earlier handler may have moved the cursor; each one gets the changed row.
        moveTo(row);
        handler(1, std::span<const ChangedField>(&changed, 1), *this);
    });
}

void RecordSet::moveFirst()
{
    requireOpen();
    if (recordCount() > 0) moveTo(0);
}

void RecordSet::moveLast()
{
    requireOpen();
    if (recordCount() > 0) moveTo(recordCount() - 1);
}

void RecordSet::moveNext()
{
    requireOpen();
    if (isEOF()) raise(Error::NoCurrentRecord);
    moveTo(currentRow() + 1);
}

void RecordSet::movePrevious()
{
    requireOpen();
    if (isBOF()) raise(Error::NoCurrentRecord);
    moveTo(currentRow() - 1);
}

bool RecordSet::isBOF() const
{
    return m_current == -1 || recordCount() == 0;
}

bool RecordSet::isEOF() const
{
    return m_current == eofPosition || recordCount() == 0;
}

int RecordSet::recordCount() const
{
    return m_storage->rowCount;
}

int RecordSet::currentRow() const
{
    return m_current == eofPosition ? recordCount() : m_current;
}

void RecordSet::setCurrentRow(int row)
{
    requireOpen();
    if (row < -1 || row > recordCount()) raise(Error::InvalidProcedureCall);
    moveTo(row);
}

RecordSet::Bookmark RecordSet::bookmark() const
{
    requireOpen();
    requireCurrent();
    return bookmarkOfRow(m_current);
}

void RecordSet::setBookmark(Bookmark bookmark)
{
    requireOpen();
    const int row = rowOfBookmark(bookmark);
    if (row < 0 || row >= recordCount()) raise(Error::InvalidProcedureCall);
    moveTo(row);
}

bool RecordSet::find(QStringView criterion)
{
    requireOpen();
    // Field = 'text', the field optionally in brackets, '' standing for a quote in the text.
    qsizetype i = 0;
    const qsizetype n = criterion.size();
    auto skipSpaces = [&] {
        while (i < n && criterion[i].isSpace())
            ++i;
    };
    auto invalid = [] { raise(Error::InvalidProcedureCall); };

    skipSpaces();
    QStringView name;
    if (i < n && criterion[i] == u'[') {
        const qsizetype close = criterion.indexOf(u']', i + 1);
        if (close < 0) invalid();
        name = criterion.sliced(i + 1, close - i - 1);
        i = close + 1;
    } else {
        const qsizetype start = i;
        while (i < n && !criterion[i].isSpace() && criterion[i] != u'=')
            ++i;
        name = criterion.sliced(start, i - start);
    }
    skipSpaces();
    if (name.isEmpty() || i >= n || criterion[i] != u'=') invalid();
    ++i;
    skipSpaces();
    if (i >= n || criterion[i] != u'\'') invalid();
    ++i;
    QString text;
    for (;;) {
        if (i >= n) invalid();
        if (criterion[i] == u'\'') {
            if (i + 1 < n && criterion[i + 1] == u'\'') {
                text += u'\'';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        text += criterion[i++];
    }
    skipSpaces();
    if (i != n) invalid();

    const int field = fieldIndex(name);
    if (field < 0) raise(Error::ItemNotFound);

    const int count = recordCount();
    for (int row = isBOF() ? 0 : currentRow(); row < count; ++row) {
        // Texts are compared where they lie; other values as text, null never matching.
        bool matches;
        if (const std::optional<QStringView> held = m_storage->textAt(row, field)) {
            matches = held->compare(text, Qt::CaseInsensitive) == 0;
        } else {
            const Variant v = m_storage->get(row, field);
            matches = !v.isNull() && v.toText().compare(text, Qt::CaseInsensitive) == 0;
        }
        if (matches) {
            moveTo(row);
            return true;
        }
    }
    moveTo(count);
    return false;
}

int RecordSet::firstRowOf(int field, const QString &text) const
{
    requireOpen();
    if (field < 0 || field >= fieldCount()) raise(Error::ItemNotFound);
    return m_storage->findInIndex(field, text);
}

std::unique_ptr<RecordSet> RecordSet::clone() const
{
    std::unique_ptr<RecordSet> copy(new RecordSet(m_storage));
    copy->m_location = m_location;
    copy->m_type = m_type;
    return copy;
}

int RecordSet::connectFieldChangeComplete(FieldChangeHandler handler)
{
    const int id = m_nextHandlerId++;
    m_fieldHandlers.emplace_back(id,
                                 std::make_shared<const FieldChangeHandler>(std::move(handler)));
    return id;
}

void RecordSet::disconnectFieldChangeComplete(int id)
{
    disconnect(m_fieldHandlers, id);
}

int RecordSet::connectCurrentChanged(std::function<void(int)> handler)
{
    const int id = m_nextHandlerId++;
    m_currentHandlers.emplace_back(
        id, std::make_shared<const std::function<void(int)>>(std::move(handler)));
    return id;
}

void RecordSet::disconnectCurrentChanged(int id)
{
    disconnect(m_currentHandlers, id);
}

void RecordSet::addObserver(RecordSetObserver *observer)
{
    if (observer) m_storage->addObserver(observer);
}

void RecordSet::removeObserver(RecordSetObserver *observer)
{
    m_storage->removeObserver(observer);
}

void RecordSet::checkConsistency() const
{
    if (!m_storage) broken("no storage");
    const RecordSetStorage &storage = *m_storage;
    const auto count = std::size_t(storage.rowCount);
    const auto width = storage.fields.size();
    const auto blockCount =
        (count + RecordSetStorage::rowsPerBlock - 1) / std::size_t(RecordSetStorage::rowsPerBlock);
    if (storage.rowCount < 0 || storage.blocks.size() != blockCount)
        broken(std::to_string(storage.blocks.size()) + " blocks for " + std::to_string(count) +
               " rows");
    // The unused tail of the last block stays empty, so that a row appended there starts empty.
    if (count % RecordSetStorage::rowsPerBlock != 0) {
        const auto &last = storage.blocks.back();
        const auto usedRows = count % RecordSetStorage::rowsPerBlock;
        const auto allRows = std::size_t(RecordSetStorage::rowsPerBlock);
        if (!std::all_of(last.cells.get() + usedRows * storage.cellsPerRow,
                         last.cells.get() + allRows * storage.cellsPerRow,
                         [](const TableCell &cell) { return cell.isEmpty(); }) ||
            !std::all_of(last.flags.get() + usedRows * storage.flagsPerRow,
                         last.flags.get() + allRows * storage.flagsPerRow,
                         [](std::uint8_t flag) { return flag == RecordSetStorage::FlagEmpty; }) ||
            !std::all_of(last.pooled.get() + usedRows * storage.pooledPerRow,
                         last.pooled.get() + allRows * storage.pooledPerRow,
                         [](std::uint32_t number) { return number == 0; }))
            broken("values beyond the last row");
    }
    if (storage.open && storage.slots.size() != width) broken("fields without a place in the row");
    if (!storage.open && count > 0) broken("rows in a closed table");
    if (m_current != eofPosition && (m_current < -1 || m_current >= storage.rowCount))
        broken("cursor at " + std::to_string(m_current) + " outside -1.." +
               std::to_string(storage.rowCount));
    if (std::count(storage.cursors.begin(), storage.cursors.end(), this) != 1)
        broken("cursor not registered once with its rows");
    for (const RecordSet *cursor : storage.cursors)
        if (cursor->m_storage.get() != &storage)
            broken("clone registered with rows it does not share");
    if (!std::is_sorted(m_fieldHandlers.begin(), m_fieldHandlers.end(),
                        [](const auto &a, const auto &b) { return a.first < b.first; }) ||
        !std::is_sorted(m_currentHandlers.begin(), m_currentHandlers.end(),
                        [](const auto &a, const auto &b) { return a.first < b.first; }))
        broken("handlers out of connection order");

    if (!storage.index.stale) {
        // A fresh index holds the first row of every text of its field, and only those.
        std::size_t firsts = 0;
        for (std::size_t row = 0; row < count; ++row) {
            const std::optional<QStringView> text = storage.textAt(int(row), storage.index.field);
            if (!text) continue;
            const int found =
                const_cast<RecordSetStorage &>(storage).findInIndex(storage.index.field, *text);
            if (found < 0 || found > int(row) ||
                *storage.textAt(found, storage.index.field) != *text)
                broken("index finds row " + std::to_string(found) + " for the text of row " +
                       std::to_string(row));
            if (found == int(row)) ++firsts;
        }
        if (firsts != storage.index.used) broken("index holds rows that are not the first");
    }

    for (std::size_t f = 0; f < storage.fields.size(); ++f) {
        const Field &field = storage.fields[f];
        for (std::size_t row = 0; row < count; ++row) {
            const Variant &v = storage.get(int(row), int(f));
            const std::string where =
                "row " + std::to_string(row) + ", field \"" + field.name.toStdString() + "\": ";
            if (v.isNull() && !field.nullable)
                broken(where + "null in a field that does not accept it");
            if (v.isNull() || v.isEmpty()) continue;
            if (field.type == FieldType::Boolean && v.type() != Variant::Type::Bool)
                broken(where + "not a boolean");
            if (field.type == FieldType::VarWChar) {
                if (!v.isString()) broken(where + "not a text");
                if (field.definedSize > 0 && v.stringValue().size() > field.definedSize)
                    broken(where + "text longer than the field");
            }
        }
    }
}

void RecordSet::requireOpen() const
{
    if (!isOpen()) raise(Error::ObjectClosed);
}

void RecordSet::requireCurrent() const
{
    if (isBOF() || isEOF()) raise(Error::NoCurrentRecord);
}

void RecordSet::moveTo(int row)
{
    const int position = row >= recordCount() ? eofPosition : std::max(row, -1);
    if (position == m_current) return;
    m_current = position;
    const int current = currentRow();
    dispatch(m_currentHandlers,
             [current](const std::function<void(int)> &handler) { handler(current); });
}

} // namespace tabulon::platform

#include "platform/RecordSet.h"
#include "platform/RecordSetReuse_p.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/Printers.h"

namespace {

using tabulon::platform::Error;
using tabulon::platform::RecordSet;
using tabulon::platform::RecordSetObserver;
using tabulon::platform::RecordSetReuse;
using tabulon::platform::Variant;
using FT = RecordSet::FieldType;
using Log = std::vector<std::string>;

// "" when f succeeds, else "number: description" of the Error it raises.
std::string errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return std::to_string(e.number()) + ": " + e.description().toStdString();
    }
    return {};
}

int errorNumber(const std::function<void()> &f)
{
    const std::string e = errorOf(f);
    return e.empty() ? 0 : std::stoi(e);
}

struct RecordingObserver : RecordSetObserver
{
    void rowsAppended(int first, int) override { log.push_back("append " + std::to_string(first)); }
    void valueChanged(int row, int field) override
    {
        log.push_back("change " + std::to_string(row) + "," + std::to_string(field));
    }
    Log log;
};

// Opens `rs` with the attribute table's twelve fields.
void openAttributeTable(RecordSet &rs)
{
    rs.setCursorLocation(RecordSet::CursorLocation::Client);
    rs.setCursorType(RecordSet::CursorType::Static);
    for (const char *name : {"Name", "DisplayName", "DataType", "UnitsType", "DisplayUnits"})
        rs.appendField(QString::fromLatin1(name), FT::VarWChar, 255);
    rs.appendField(QStringLiteral("Visible"), FT::Boolean);
    rs.appendField(QStringLiteral("Editable"), FT::Boolean);
    rs.appendField(QStringLiteral("RawValue"), FT::Variant);
    rs.appendField(QStringLiteral("Value"), FT::Variant);
    rs.appendField(QStringLiteral("AllowableValues"), FT::VarWChar, 255);
    rs.appendField(QStringLiteral("ValueSet"), FT::Boolean);
    rs.appendField(QStringLiteral("Expression"), FT::Boolean);
    rs.open();
}

std::vector<Variant> attributeRow(const Variant &name, const Variant &value)
{
    return {name, name, "3", "mm", "mm", true, true, value, value, "", false, false};
}

class RecordSetTest : public ::testing::Test
{
protected:
    void SetUp() override { openAttributeTable(rs); }

    void addRows(std::initializer_list<const char *> names)
    {
        for (const char *name : names) {
            rs.addNew();
            rs.setValue(u"Name", name);
            rs.updateBatch();
            rs.checkConsistency();
        }
    }

    RecordSet rs;
};

TEST_F(RecordSetTest, SchemaAndClosedTable)
{
    EXPECT_EQ(rs.fieldCount(), 12);
    EXPECT_EQ(rs.field(9).name, u"AllowableValues");
    EXPECT_EQ(rs.field(9).definedSize, 255);
    EXPECT_EQ(rs.fieldIndex(u"Datatype"), 2);
    EXPECT_EQ(rs.fieldIndex(u"EXPRESSION"), 11);
    EXPECT_EQ(rs.fieldIndex(u"Nope"), -1);
    EXPECT_EQ(errorNumber([&] { rs.appendField(QStringLiteral("X"), FT::Variant); }), 3219);
    EXPECT_EQ(errorNumber([&] { rs.setCursorType(RecordSet::CursorType::Dynamic); }), 3219);
    EXPECT_EQ(errorNumber([&] { rs.open(); }), 3219);

    RecordSet closed;
    closed.appendField(QStringLiteral("A"), FT::Variant);
    EXPECT_EQ(errorNumber([&] { closed.appendField(QStringLiteral("a"), FT::Variant); }), 5);
    EXPECT_EQ(errorNumber([&] { closed.addNew(); }), Error::ObjectClosed);
    EXPECT_EQ(errorNumber([&] { (void)closed.value(u"A"); }), Error::ObjectClosed);
    EXPECT_EQ(errorNumber([&] { closed.moveFirst(); }), Error::ObjectClosed);
    closed.checkConsistency();
}

TEST_F(RecordSetTest, CursorMovesAndBookmarks)
{
    EXPECT_TRUE(rs.isBOF() && rs.isEOF());
    rs.moveFirst(); // nothing to move to, and no failure
    EXPECT_EQ(errorNumber([&] { rs.movePrevious(); }), Error::NoCurrentRecord);
    EXPECT_EQ(errorNumber([&] { (void)rs.value(u"Name"); }), Error::NoCurrentRecord);
    addRows({"a", "b", "c"});
    EXPECT_EQ(rs.currentRow(), 2); // the new row is current

    using Move = std::function<void(RecordSet &)>;
    auto bookmark = [](int b) -> Move { return [b](RecordSet &r) { r.setBookmark(b); }; };
    auto row = [](int i) -> Move { return [i](RecordSet &r) { r.setCurrentRow(i); }; };
    const struct
    {
        const char *step;
        Move move;
        int row, error;
        bool bof, eof;
    } steps[] = {
        // clang-format off
        {"first",           &RecordSet::moveFirst,     0, 0, false, false},
        {"previous to BOF", &RecordSet::movePrevious, -1, 0, true, false},
        {"past BOF",        &RecordSet::movePrevious, -1, 3021, true, false},
        {"next from BOF",   &RecordSet::moveNext,      0, 0, false, false},
        {"last",            &RecordSet::moveLast,      2, 0, false, false},
        {"next to EOF",     &RecordSet::moveNext,      3, 0, false, true},
        {"past EOF",        &RecordSet::moveNext,      3, 3021, false, true},
        {"previous of EOF", &RecordSet::movePrevious,  2, 0, false, false},
        {"bookmark 2",      bookmark(2),               1, 0, false, false},
        {"bookmark 0",      bookmark(0),               1, 5, false, false},
        {"bookmark 4",      bookmark(4),               1, 5, false, false},
        {"row -1",          row(-1),                  -1, 0, true, false},
        {"row 3",           row(3),                    3, 0, false, true},
        {"row 4",           row(4),                    3, 5, false, true},
        // clang-format on
    };
    for (const auto &s : steps) {
        EXPECT_EQ(errorNumber([&] { s.move(rs); }), s.error) << s.step;
        EXPECT_EQ(rs.currentRow(), s.row) << s.step;
        EXPECT_EQ(rs.isBOF(), s.bof) << s.step;
        EXPECT_EQ(rs.isEOF(), s.eof) << s.step;
        rs.checkConsistency();
    }
    EXPECT_EQ(errorNumber([&] { (void)rs.bookmark(); }), Error::NoCurrentRecord);
    rs.setBookmark(3);
    EXPECT_EQ(rs.bookmark(), 3);
    EXPECT_EQ(rs.value(u"name"), Variant("c"));
    EXPECT_EQ(errorNumber([&] { (void)rs.valueAt(3, 0); }), Error::InvalidProcedureCall);
    EXPECT_EQ(errorNumber([&] { (void)rs.value(u"Nope"); }), Error::ItemNotFound);
    EXPECT_EQ(errorNumber([&] { rs.setValue(12, 1); }), Error::ItemNotFound);
}

TEST_F(RecordSetTest, FieldsStoreTheirType)
{
    addRows({"row"});
    const QString s255(255, u'y'), s300(300, u'x');
    const struct
    {
        const char *field;
        Variant in, stored; // stored: when there is no error
        std::string error;
    } cases[] = {
        // clang-format off
        {"DataType", 3, "3", ""},                {"DataType", 2.5, "2.5", ""},
        {"Name", true, "True", ""},              {"Name", s255, s255, ""},
        {"Name", Variant::null(), Variant::null(), ""}, {"Name", Variant(), Variant(), ""},
        {"Name", s300, {}, "3721: Field \"Name\" holds at most 255 characters; the value has 300."},
        {"Visible", true, true, ""},             {"Visible", 0, false, ""},
        {"Visible", -1.5, true, ""},             {"Visible", " true ", true, ""},
        {"Visible", "0", false, ""},             {"Visible", "abc", {}, "13: Type mismatch"},
        {"Visible", Variant::null(), Variant::null(), ""}, {"Visible", Variant(), Variant(), ""},
        {"Value", 3, 3, ""},                     {"RawValue", s300, s300, ""},
        // clang-format on
    };
    for (const auto &c : cases) {
        const QString field = QString::fromLatin1(c.field);
        const Variant before = rs.value(field);
        EXPECT_EQ(errorOf([&] { rs.setValue(field, c.in); }), c.error) << c.field;
        EXPECT_EQ(rs.value(field), c.error.empty() ? c.stored : before) << c.field;
        rs.checkConsistency();
    }

    RecordSet strict;
    strict.appendField(QStringLiteral("Key"), FT::VarWChar, 4, false);
    strict.open();
    strict.addNew();
    EXPECT_EQ(errorOf([&] { strict.setValue(0, Variant::null()); }),
              "3219: Field \"Key\" does not accept null.");
    EXPECT_EQ(errorOf([&] { strict.setValue(0, 12345); }),
              "3721: Field \"Key\" holds at most 4 characters; the value has 5.");
}

TEST_F(RecordSetTest, WriteNotifiesObserversThenHandlersOnTheChangedRow)
{
    RecordingObserver observer;
    rs.addObserver(&observer);
    addRows({"a", "b"});
    Log seen;
    std::vector<int> moves;
    rs.connectCurrentChanged([&](int row) { moves.push_back(row); });
    rs.connectFieldChangeComplete([&](int count, auto fields, RecordSet &r) {
        EXPECT_EQ(&r, &rs);
        seen.push_back(std::to_string(count) + " " + fields[0].name.toStdString() + "=" +
                       fields[0].value.toText().toStdString() + " on " +
                       std::to_string(r.currentRow()) + " after " + observer.log.back());
    });

    rs.setValueAt(0, rs.fieldIndex(u"DataType"), 3);
    rs.setValue(u"value", 1.5);
    EXPECT_EQ(errorNumber([&] { rs.setValue(u"Visible", "maybe"); }), Error::TypeMismatch);
    EXPECT_EQ(seen,
              (Log{"1 DataType=3 on 0 after change 0,2", "1 Value=1.5 on 0 after change 0,8"}));
    EXPECT_EQ(observer.log.size(), 6u); // two rows, two names, two writes; not the refused one
    EXPECT_EQ(observer.log.back(), "change 0,8");
    EXPECT_EQ(moves, std::vector<int>{0});

    rs.removeObserver(&observer);
    rs.addNew();
    EXPECT_EQ(observer.log.size(), 6u);
    EXPECT_EQ(moves, (std::vector<int>{0, 2}));
}

TEST_F(RecordSetTest, WholeRowIsAddedInOneStepOrNotAtAll)
{
    RecordingObserver observer;
    rs.addObserver(&observer);
    Log seen;
    rs.connectFieldChangeComplete([&](int count, auto fields, RecordSet &r) {
        std::string line = std::to_string(count) + " on " + std::to_string(r.currentRow()) + ":";
        for (const auto &f : fields)
            line += " " + f.value.toText().toStdString();
        seen.push_back(line);
    });
    const auto row = [](Variant name, Variant visible) {
        return std::vector<Variant>{name, "N", 3, "mm", "mm", visible, true, 2.5, "2.5 mm", "",
                                    Variant::null(), false};
    };

    auto values = row("a", "false");
    rs.addNew(values);
    EXPECT_EQ(seen, Log{"12 on 0: a N 3 mm mm False True 2.5 2.5 mm   False"});
    EXPECT_EQ(observer.log, Log{"append 0"});
    EXPECT_EQ(rs.value(u"ValueSet"), Variant::null());

    // A refused value leaves no row, also when the row would have opened a new block.
    for (int i = 1; i < 256; ++i) {
        auto more = row("r", true);
        rs.addNew(more);
    }
    for (auto refused : {row(QString(300, u'x'), true), row("b", "maybe")}) {
        EXPECT_NE(errorNumber([&] { rs.addNew(refused); }), 0);
        EXPECT_EQ(rs.recordCount(), 256);
        rs.checkConsistency();
    }
    std::vector<Variant> shortRow(3);
    EXPECT_EQ(errorNumber([&] { rs.addNew(shortRow); }), Error::InvalidProcedureCall);
    EXPECT_EQ(seen.size(), 256u);
}

// The list of changed fields is built on the stack up to 16 fields and on the heap beyond.
TEST(RecordSetWidth, WholeRowChangeListsEveryFieldWhateverTheWidth)
{
    for (int width : {1, 16, 17, 40}) {
        SCOPED_TRACE(width);
        RecordSet rs;
        std::vector<Variant> values;
        for (int f = 0; f < width; ++f) {
            rs.appendField(QStringLiteral("F%1").arg(f), FT::Variant);
            values.emplace_back(f * 10);
        }
        rs.open();
        std::vector<std::pair<QString, Variant>> seen;
        rs.connectFieldChangeComplete([&](int count, auto fields, RecordSet &) {
            EXPECT_EQ(count, width);
            for (const auto &f : fields)
                seen.emplace_back(f.name, f.value);
        });
        rs.addNew(values);
        ASSERT_EQ(seen.size(), std::size_t(width));
        for (int f = 0; f < width; ++f) {
            EXPECT_EQ(seen[std::size_t(f)].first, QStringLiteral("F%1").arg(f));
            EXPECT_EQ(seen[std::size_t(f)].second, Variant(f * 10));
        }
    }
}

TEST_F(RecordSetTest, HandlersMayReenter)
{
    addRows({"a", "b", "c"});
    // A bad value replaced from inside the handler raises a nested notification before the
    // outer one goes on to the next handler.
    Log seen;
    const int first = rs.connectFieldChangeComplete([&](int, auto fields, RecordSet &r) {
        seen.push_back(fields[0].value.toText().toStdString() + "@" +
                       std::to_string(r.currentRow()));
        if (fields[0].value == Variant("bad")) {
            r.setValue(u"Value", false);
            r.moveFirst(); // the next handler still gets the changed row
            r.addNew();    // and a changed field that still refers to it
            r.connectFieldChangeComplete([&](int, auto, RecordSet &) { seen.push_back("late"); });
        }
    });
    rs.connectFieldChangeComplete([&](int, auto fields, RecordSet &r) {
        seen.push_back("second " + fields[0].value.toText().toStdString() + "@" +
                       std::to_string(r.currentRow()));
    });
    rs.setValueAt(1, rs.fieldIndex(u"Value"), "bad");
    EXPECT_EQ(seen, (Log{"bad@1", "False@1", "second False@1", "second False@1"}));
    EXPECT_EQ(rs.valueAt(1, 8), Variant(false));
    rs.checkConsistency();

    // A handler that disconnects itself while it runs; the late one joins from now on.
    seen.clear();
    rs.disconnectFieldChangeComplete(first);
    int self = 0;
    self = rs.connectFieldChangeComplete([&](int, auto, RecordSet &r) {
        r.disconnectFieldChangeComplete(self);
        seen.push_back("once");
    });
    rs.setValue(u"Name", "x");
    rs.setValue(u"Name", "y");
    EXPECT_EQ(seen, (Log{"second x@1", "late", "once", "second y@1", "late"}));
}

TEST_F(RecordSetTest, Find)
{
    addRows({"Width", "BYF-URL", "it's", "byf-url"});
    const struct
    {
        int start;
        const char *criterion;
        int row, error; // row 4 is EOF
    } cases[] = {
        // clang-format off
        {-1, "Name = 'BYF-URL'", 1, 0},    {0, "name='byf-url'", 1, 0},
        {1, "[Name] = 'BYF-URL'", 1, 0},   {2, "  NAME  =  'BYF-URL'  ", 3, 0},
        {-1, "Name = 'it''s'", 2, 0},      {-1, "Name = 'BYF'", 4, 0},
        {4, "Name = 'Width'", 4, 0},       {-1, "DataType = ''", 0, 0},
        {0, "Nope = 'x'", 0, 3265},        {0, "Name 'x'", 0, 5},
        {0, "Name = 'x", 0, 5},            {0, "Name = x", 0, 5},
        {0, "Name = 'x' AND", 0, 5},       {0, "= 'x'", 0, 5},
        // clang-format on
    };
    for (const auto &c : cases) {
        rs.setCurrentRow(c.start);
        bool found = false;
        EXPECT_EQ(errorNumber([&] { found = rs.find(QString::fromLatin1(c.criterion)); }), c.error)
            << c.criterion;
        EXPECT_EQ(rs.currentRow(), c.row) << c.criterion;
        EXPECT_EQ(found, c.error == 0 && c.row < 4) << c.criterion;
    }
}

TEST_F(RecordSetTest, ClonesShareRowsWithTheirOwnCursor)
{
    RecordingObserver observer;
    rs.addObserver(&observer);
    addRows({"a", "b"});
    int originalNotes = 0, cloneNotes = 0;
    rs.connectFieldChangeComplete([&](int, auto, RecordSet &) { ++originalNotes; });

    auto clone = rs.clone();
    EXPECT_TRUE(clone->isOpen() && clone->isBOF());
    EXPECT_EQ(clone->cursorLocation(), RecordSet::CursorLocation::Client);
    clone->connectFieldChangeComplete([&](int, auto, RecordSet &r) {
        EXPECT_EQ(&r, clone.get());
        ++cloneNotes;
    });
    clone->moveFirst();
    clone->setValue(u"Value", 7);
    EXPECT_EQ(rs.valueAt(0, 8), Variant(7));
    EXPECT_EQ(rs.currentRow(), 1);
    EXPECT_EQ(cloneNotes, 1);
    EXPECT_EQ(originalNotes, 0);                  // each cursor raises only its own handlers
    EXPECT_EQ(observer.log.back(), "change 0,8"); // observers are shared

    clone->moveLast();
    clone->moveNext();
    rs.addNew(); // rows appended elsewhere leave the clone at EOF
    EXPECT_TRUE(clone->isEOF());
    EXPECT_EQ(clone->currentRow(), 3);
    clone->checkConsistency();
    clone.reset();
    rs.checkConsistency();

    // On an empty table a cursor stands before the first row, whoever appends it.
    RecordSet empty;
    empty.appendField(QStringLiteral("A"), FT::Variant);
    empty.open();
    empty.clone()->addNew();
    EXPECT_TRUE(empty.isBOF() && !empty.isEOF());
}

// A reload writes over the rows of the table it replaces: the new rows read back as written,
// and nothing of the old table stays referenced once the leftovers are released.
TEST_F(RecordSetTest, RecycledRowsHoldOnlyTheNewValues)
{
    const QString old = QStringLiteral("old %1").arg(1); // a shared text, not a literal
    const auto fill = [&](RecordSet &table, int rows) {
        for (int i = 0; i < rows; ++i) {
            auto values = attributeRow(old, old);
            table.addNew(values);
        }
    };
    const auto previousTable = [&] {
        auto table = std::make_unique<RecordSet>();
        openAttributeTable(*table);
        fill(*table, 600); // three blocks, the last one partly used
        return table;
    };

    for (int rows : {0, 1, 300, 700}) {
        SCOPED_TRACE(rows);
        RecordSet next;
        openAttributeTable(next);
        RecordSetReuse::recycleRows(next, previousTable());
        for (int i = 0; i < rows; ++i) {
            auto values = attributeRow(QStringLiteral("n%1").arg(i), i);
            next.addNew(values);
        }
        if (rows == 1) {
            next.addNew(); // an empty row in a reused block starts empty
            for (int f = 0; f < next.fieldCount(); ++f)
                EXPECT_TRUE(next.value(f).isEmpty()) << f;
            auto refused = attributeRow(QString(300, u'x'), 1);
            EXPECT_NE(errorNumber([&] { next.addNew(refused); }), 0);
        }
        RecordSetReuse::releaseRecycledRows(next);
        next.checkConsistency();
        EXPECT_TRUE(old.isDetached());
        EXPECT_EQ(next.recordCount(), rows == 1 ? 2 : rows);
        if (rows > 0) {
            EXPECT_EQ(next.valueAt(0, 0), Variant("n0"));
            EXPECT_EQ(next.valueAt(rows - 1, 8), Variant(rows - 1));
        }
    }

    // A table that a clone still reads, or one of another layout, is not taken: it goes, and
    // the clone keeps the rows it shares.
    auto shared = previousTable();
    auto clone = shared->clone();
    RecordSet next;
    openAttributeTable(next);
    RecordSetReuse::recycleRows(next, std::move(shared));
    RecordSet narrow;
    narrow.appendField(QStringLiteral("A"), FT::Variant);
    narrow.open();
    RecordSetReuse::recycleRows(narrow, previousTable());
    fill(next, 1);
    narrow.addNew();
    EXPECT_EQ(clone->recordCount(), 600);
    EXPECT_EQ(clone->valueAt(599, 0), Variant(old));
    next.checkConsistency();
    narrow.checkConsistency();
}

} // namespace

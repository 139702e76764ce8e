#include "platform/RecordSet.h"
#include "core/Error.h"
#include "platform/RecordSetReuse_p.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/Printers.h"

namespace {

using namespace tabulon::platform;
using FT = RecordSet::FieldType;
using Log = std::vector<std::string>;
using tabulon::test::errorNumber;
using tabulon::test::errorOf;

// A log line from a QString pattern. Not std::string concatenation: GCC 12 warns falsely
// (-Wrestrict) on some of it in optimised builds.
template <typename... Args> std::string line(const char *pattern, const Args &...args)
{
    QString text = QString::fromLatin1(pattern);
    ((text = text.arg(args)), ...);
    return text.toStdString();
}

struct RecordingObserver : RecordSetObserver
{
    void rowsAppended(int row, int) override { log.push_back(line("append %1", row)); }
    void valueChanged(int row, int f) override { log.push_back(line("change %1,%2", row, f)); }
    Log log;
};

// Opens `rs` with the attribute table's kinds of field: text, repeated text, boolean, any.
void openTable(RecordSet &rs)
{
    rs.appendField(QStringLiteral("Name"), FT::VarWChar, 255);
    rs.appendField(QStringLiteral("DataType"), FT::VarWChar, 255);
    rs.appendField(QStringLiteral("Visible"), FT::Boolean);
    rs.appendField(QStringLiteral("Value"), FT::Variant);
    rs.setRepeatedTexts(1);
    rs.open();
}

// Adds a whole row to a table opened by openTable().
void addRow(RecordSet &rs, const Variant &name, const Variant &dataType = "3")
{
    std::vector<Variant> values{name, dataType, true, 2.5};
    rs.addNew(values);
}

class RecordSetTest : public ::testing::Test
{
protected:
    void SetUp() override { openTable(rs); }

    // Adds rows field by field.
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

TEST_F(RecordSetTest, CursorMovesAndBookmarks)
{
    EXPECT_TRUE(rs.isBOF() && rs.isEOF());
    rs.moveFirst(); // nothing to move to, and no failure
    EXPECT_EQ(errorNumber([&] { (void)rs.value(u"Name"); }), Error::NoCurrentRecord);
    addRows({"a", "b", "c"});
    EXPECT_EQ(rs.currentRow(), 2); // the new row is current

    using Move = std::function<void(RecordSet &)>;
    const Move first = &RecordSet::moveFirst, last = &RecordSet::moveLast,
               next = &RecordSet::moveNext, previous = &RecordSet::movePrevious;
    auto bookmark = [](int b) -> Move { return [b](RecordSet &r) { r.setBookmark(b); }; };
    auto row = [](int i) -> Move { return [i](RecordSet &r) { r.setCurrentRow(i); }; };
    // The row after the step (-1 is BOF, 3 EOF) and the error it raises.
    // clang-format off
    const struct { const char *step; Move move; int row, error; } steps[] = {
        {"first", first, 0, 0},                   {"previous to BOF", previous, -1, 0},
        {"past BOF", previous, -1, 3021},         {"next from BOF", next, 0, 0},
        {"last", last, 2, 0},                     {"next to EOF", next, 3, 0},
        {"past EOF", next, 3, 3021},              {"previous of EOF", previous, 2, 0},
        {"bookmark 2", bookmark(2), 1, 0},        {"bookmark 0", bookmark(0), 1, 5},
        {"bookmark 4", bookmark(4), 1, 5},        {"row -1", row(-1), -1, 0},
        {"row 3", row(3), 3, 0},                  {"row 4", row(4), 3, 5},
    };
    // clang-format on
    for (const auto &s : steps) {
        EXPECT_EQ(errorNumber([&] { s.move(rs); }), s.error) << s.step;
        EXPECT_EQ(std::tuple(rs.currentRow(), rs.isBOF(), rs.isEOF()),
                  std::tuple(s.row, s.row < 0, s.row == 3))
            << s.step;
        rs.checkConsistency();
    }
    EXPECT_EQ(errorNumber([&] { (void)rs.bookmark(); }), Error::NoCurrentRecord);
    rs.setBookmark(3);
    EXPECT_EQ(rs.bookmark(), 3);
    EXPECT_EQ(errorNumber([&] { (void)rs.valueAt(3, 0); }), Error::InvalidProcedureCall);
    EXPECT_EQ(errorNumber([&] { rs.setValue(12, 1); }), Error::ItemNotFound);
}

// Fields are fixed on open, found case-insensitively, and store their type or refuse.
TEST_F(RecordSetTest, FieldsAreFixedOnOpenAndStoreTheirTypeOrRefuse)
{
    EXPECT_EQ(rs.fieldIndex(u"Datatype"), 1);
    EXPECT_EQ(rs.fieldIndex(u"Nope"), -1);
    EXPECT_EQ(errorNumber([&] { rs.appendField(QStringLiteral("X"), FT::Variant); }), 3219);
    EXPECT_EQ(errorNumber([&] { rs.setCursorType(RecordSet::CursorType::Dynamic); }), 3219);
    addRows({"row"});
    const QString s255(255, u'y'), s256(256, u'x');
    // clang-format off
    const struct { const char *field; Variant in, stored; std::string error; } cases[] = {
        {"DataType", 2.5, "2.5", ""},            {"Name", s255, s255, ""},
        {"Name", Variant::null(), Variant::null(), ""},
        {"Name", s256, {}, "3721: Field \"Name\" holds at most 255 characters; the value has 256."},
        {"Visible", 0, false, ""},               {"Visible", -1.5, true, ""},
        {"Visible", " true ", true, ""},         {"Visible", "abc", {}, "13: Type mismatch"},
        {"Visible", Variant::null(), Variant::null(), ""},
        {"Value", 3, 3, ""},                     {"Value", s256, s256, ""},
    };
    // clang-format on
    for (const auto &c : cases) { // `stored` when there is no error, else the value stays
        const QString field = QString::fromLatin1(c.field);
        const Variant before = rs.value(field);
        EXPECT_EQ(errorOf([&] { rs.setValue(field, c.in); }), c.error) << c.field;
        EXPECT_EQ(rs.value(field), c.error.empty() ? c.stored : before) << c.field;
        rs.checkConsistency();
    }

    RecordSet closed;
    closed.appendField(QStringLiteral("Key"), FT::VarWChar, 4, false);
    EXPECT_EQ(errorNumber([&] { closed.appendField(QStringLiteral("key"), FT::Variant); }), 5);
    EXPECT_EQ(errorNumber([&] { closed.addNew(); }), Error::ObjectClosed);
    closed.open();
    closed.addNew();
    EXPECT_EQ(errorOf([&] { closed.setValue(0, Variant::null()); }),
              "3219: Field \"Key\" does not accept null.");
}

// Observers hear of every change before the handlers, which run on the changed row.
TEST_F(RecordSetTest, WriteNotifiesObserversOfAllClonesThenItsOwnHandlersOnTheChangedRow)
{
    RecordingObserver observer;
    Log &log = observer.log;
    rs.addObserver(&observer);
    addRows({"a", "b"});
    rs.connectCurrentChanged([&](int row) { log.push_back(line("move %1", row)); });
    rs.connectFieldChangeComplete([&](int count, auto fields, RecordSet &r) {
        EXPECT_EQ(&r, &rs);
        log.push_back(line("%1 %2=%3 on %4", count, fields[0].name(), fields[0].value().toText(),
                           r.currentRow()));
    });
    rs.setValueAt(0, rs.fieldIndex(u"DataType"), 3);
    rs.setValue(u"value", 1.5);
    EXPECT_EQ(errorNumber([&] { rs.setValue(u"Visible", "maybe"); }), Error::TypeMismatch);

    // A clone shares the rows and their observers, not the cursor or the handlers.
    auto clone = rs.clone();
    clone->connectFieldChangeComplete([&](int, auto fields, RecordSet &r) {
        log.push_back(line("clone's %1 on %2", fields[0].name(), r.currentRow()));
    });
    EXPECT_TRUE(clone->isBOF());
    clone->moveLast();
    clone->setValue(u"Value", 7);
    clone->moveNext();
    rs.removeObserver(&observer);
    rs.addNew(); // rows appended elsewhere leave the clone at EOF
    EXPECT_EQ(log, (Log{"append 0", "change 0,0", "append 1", "change 1,0",        //
                        "move 0", "change 0,1", "1 DataType=3 on 0", "change 0,3", //
                        "1 Value=1.5 on 0", "change 1,3", "clone's Value on 1", "move 2"}));
    EXPECT_EQ(rs.valueAt(1, 3), Variant(7));
    EXPECT_EQ(std::pair(clone->currentRow(), clone->isEOF()), std::pair(3, true));
    clone.reset();
    rs.checkConsistency();
}

// One row-level change, and one notification listing every field (on the stack up to 16 fields,
// on the heap beyond). A refused row leaves nothing, also where it would have opened a block.
TEST(RecordSetWholeRow, AddedInOneStepOrNotAtAllWhateverTheWidth)
{
    for (int width : {1, 16, 17, 40}) {
        SCOPED_TRACE(width);
        RecordSet rs;
        std::vector<Variant> values;
        for (int f = 0; f < width; ++f) {
            rs.appendField(QStringLiteral("F%1").arg(f), FT::VarWChar, 4);
            values.emplace_back(f);
        }
        rs.open();
        RecordingObserver observer;
        rs.addObserver(&observer);
        std::string seen; // the last notification: count, fields, first and last, current row
        rs.connectFieldChangeComplete([&](int count, auto fields, RecordSet &r) {
            const auto &f = fields.front(), &l = fields.back();
            seen = line("%1/%2 %3=%4 %5=%6 on %7", count, int(fields.size()), f.name(),
                        f.value().toText(), l.name(), l.value().toText(), r.currentRow());
        });
        for (int row = 0; row < 256; ++row) {
            auto copy = values;
            rs.addNew(copy);
        }
        EXPECT_EQ(seen, line("%1/%1 F0=0 F%2=%2 on 255", width, width - 1));
        EXPECT_EQ(observer.log.size(), 256u) << "one row-level change per row";

        seen.clear();
        auto refused = values;
        refused.back() = QStringLiteral("too long");
        EXPECT_EQ(errorNumber([&] { rs.addNew(refused); }), Error::DataTooLarge);
        std::vector<Variant> wrongWidth(std::size_t(width) + 1);
        EXPECT_EQ(errorNumber([&] { rs.addNew(wrongWidth); }), Error::InvalidProcedureCall);
        EXPECT_EQ(rs.recordCount(), 256);
        EXPECT_TRUE(seen.empty());
        rs.checkConsistency();
    }
}

TEST_F(RecordSetTest, HandlersMayReenterConnectAndDisconnect)
{
    addRows({"a", "b", "c"});
    // A bad value replaced from inside the handler raises a nested notification before the
    // outer one goes on to the next handler.
    Log seen;
    const int first = rs.connectFieldChangeComplete([&](int, auto fields, RecordSet &r) {
        seen.push_back(line("%1@%2", fields[0].value().toText(), r.currentRow()));
        if (fields[0].value() == Variant("bad")) {
            r.setValue(u"Value", false);
            r.moveFirst(); // the next handler still gets the changed row
            r.addNew();    // and a changed field that still refers to it
            r.connectFieldChangeComplete([&](int, auto, RecordSet &) { seen.push_back("late"); });
        }
    });
    rs.connectFieldChangeComplete([&](int, auto fields, RecordSet &r) {
        seen.push_back(line("second %1@%2", fields[0].value().toText(), r.currentRow()));
    });
    rs.setValueAt(1, rs.fieldIndex(u"Value"), "bad");
    EXPECT_EQ(seen, (Log{"bad@1", "False@1", "second False@1", "second False@1"}));
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

TEST_F(RecordSetTest, FindStartsAtTheCurrentRow)
{
    addRows({"Width", "BYF-URL", "it's", "byf-url"});
    // clang-format off
    const struct { int start; const char *criterion; int row, error; } cases[] = { // row 4: EOF
        {-1, "Name = 'BYF-URL'", 1, 0},      {1, "[Name] = 'BYF-URL'", 1, 0},
        {2, "  NAME  =  'BYF-URL'  ", 3, 0}, {-1, "Name = 'it''s'", 2, 0},
        {-1, "Name = 'BYF'", 4, 0},          {4, "Name = 'Width'", 4, 0},
        {0, "Nope = 'x'", 0, 3265},          {0, "Name 'x'", 0, 5},
        {0, "Name = 'x", 0, 5},              {0, "Name = 'x' AND", 0, 5},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.criterion);
        rs.setCurrentRow(c.start);
        bool found = false;
        EXPECT_EQ(errorNumber([&] { found = rs.find(QString::fromLatin1(c.criterion)); }), c.error);
        EXPECT_EQ(rs.currentRow(), c.row);
        EXPECT_EQ(found, c.error == 0 && c.row < 4);
    }
}

// A reload writes over the replaced table's rows, keeping no reference to its texts once the
// leftovers go; a table a clone still reads, or of another layout, is not taken.
TEST_F(RecordSetTest, RecycledRowsHoldOnlyTheNewValues)
{
    const QString old = QStringLiteral("old %1").arg(1); // a shared text, not a literal
    const auto previousTable = [&] {
        auto table = std::make_unique<RecordSet>();
        openTable(*table);
        for (int i = 0; i < 600; ++i) // three blocks, the last one partly used
            addRow(*table, old);
        return table;
    };
    for (int rows : {0, 1, 300, 700}) {
        SCOPED_TRACE(rows);
        RecordSet next;
        openTable(next);
        RecordSetReuse::recycleRows(next, previousTable());
        for (int i = 0; i < rows; ++i)
            addRow(next, i);
        next.addNew(); // an empty row in a reused block starts empty
        for (int f = 0; f < next.fieldCount(); ++f)
            EXPECT_TRUE(next.value(f).isEmpty()) << f;
        RecordSetReuse::releaseRecycledRows(next);
        next.checkConsistency();
        EXPECT_TRUE(old.isDetached());
        EXPECT_EQ(next.valueAt(0, 0), rows > 0 ? Variant(QStringLiteral("0")) : Variant());
    }

    auto shared = previousTable();
    auto clone = shared->clone();
    RecordSetReuse::recycleRows(rs, std::move(shared));
    RecordSet narrow;
    narrow.appendField(QStringLiteral("A"), FT::Variant);
    narrow.open();
    RecordSetReuse::recycleRows(narrow, previousTable());
    addRow(rs, "new");
    narrow.addNew();
    EXPECT_EQ(clone->recordCount(), 600);
    EXPECT_EQ(clone->valueAt(599, 0), Variant(old));
    rs.checkConsistency();
    narrow.checkConsistency();
}

// The index answers as a walk from the first row does, through every way a row's text can
// change, clones writing included, and while it grows.
TEST_F(RecordSetTest, FirstRowOfAnswersAsTheWalkWhateverChangesTheRows)
{
    const auto walk = [&](int field, const QString &text) {
        for (int row = 0; row < rs.recordCount(); ++row)
            if (rs.valueAt(row, field) == Variant(text)) return row;
        return -1;
    };
    const auto check = [&](const char *step) {
        SCOPED_TRACE(step);
        for (const QString text : {"a", "b", "c", "A", "n70", "3", "", "gone"})
            for (int field : {0, 1})
                EXPECT_EQ(rs.firstRowOf(field, text), walk(field, text)) << text.toStdString();
        // Back to the first field, so that its index is the one kept up to date next.
        EXPECT_EQ(rs.firstRowOf(0, QStringLiteral("b")), walk(0, QStringLiteral("b")));
        rs.checkConsistency();
    };
    auto clone = rs.clone();

    addRows({"b", "a", "b"});
    check("rows added field by field");
    for (const char *name : {"c", "a", "gone"})
        addRow(rs, name);
    check("whole rows added after the index");
    rs.setValueAt(0, 0, "c");
    check("the first of a repeated name renamed");
    clone->setValueAt(1, 0, Variant::null());
    check("a name made null through a clone");
    rs.setValueAt(1, 0, "A");
    check("a null name set again");
    for (int i = 0; i < 100; ++i)
        addRow(rs, QStringLiteral("n%1").arg(i));
    check("the index grown");
    EXPECT_EQ(errorNumber([&] { rs.firstRowOf(4, "a"); }), Error::ItemNotFound);
}

// A field of repeated texts keeps one instance of each and reads back what was written.
TEST_F(RecordSetTest, RepeatedTextsShareOneInstanceOfEachText)
{
    const QString whole = QStringLiteral("34");
    // The last text starts where a pooled one does, and is shorter.
    for (const Variant &v : {Variant(QString::number(3)), Variant(QString::number(3)),
                             Variant::null(), Variant(), Variant(QString::number(4)), Variant(3),
                             Variant(whole), Variant(QString::fromRawData(whole.constData(), 1))})
        addRow(rs, "n", v);
    rs.setValueAt(3, 1, QString::number(4));
    const std::vector<Variant> expected = {"3", "3", Variant::null(), "4", "4", "3", "34", "3"};
    for (int row = 0; row < rs.recordCount(); ++row)
        EXPECT_EQ(rs.valueAt(row, 1), expected[std::size_t(row)]) << row;
    const auto chars = [&](int row) { return rs.valueAt(row, 1).stringValue().constData(); };
    EXPECT_EQ(chars(0), chars(5));
    EXPECT_EQ(chars(3), chars(4));
    EXPECT_EQ(rs.firstRowOf(1, "4"), 3);
    rs.checkConsistency();

    EXPECT_EQ(errorNumber([&] { rs.setRepeatedTexts(1); }), Error::OperationNotAllowed);
    RecordSet closed;
    closed.appendField(QStringLiteral("Flag"), FT::Boolean);
    EXPECT_EQ(errorNumber([&] { closed.setRepeatedTexts(0); }), Error::InvalidProcedureCall);
}

TEST(RecordSetCells, KeepEveryKindOfValueAndShareTexts)
{
    static const char16_t raw[] = u"raw";
    QString fromTheFront = QString::fromUtf8("..moved start");
    fromTheFront.remove(0, 2); // the characters now start after the allocation's beginning
    const QString heap = QString::fromUtf8("heap");
    {
        // clang-format off
        const Variant values[] = {
            Variant(), Variant::null(), false, true, -7, std::numeric_limits<int>::min(), -0.5,
            QString(), QString::fromUtf8(""), QStringLiteral("literal"), heap,
            QString::fromRawData(reinterpret_cast<const QChar *>(raw), 3), fromTheFront};
        // clang-format on
        RecordSet rs;
        rs.appendField(QStringLiteral("Any"), FT::Variant);
        rs.appendField(QStringLiteral("Text"), FT::VarWChar);
        rs.open();
        for (const Variant &value : values) {
            std::vector<Variant> row{value, value.isString() ? value : Variant("x")};
            rs.addNew(row);
        }
        for (int row = 0; row < rs.recordCount(); ++row) {
            const Variant &written = values[row];
            for (int field : {0, 1}) {
                const Variant read = rs.valueAt(row, field);
                if (field == 1 && !written.isString()) continue;
                EXPECT_EQ(read, written) << row;
                if (!written.isString()) continue;
                EXPECT_EQ(read.stringValue().isNull(), written.stringValue().isNull()) << row;
                EXPECT_EQ(read.stringValue().constData(), written.stringValue().constData()) << row;
            }
        }
        EXPECT_TRUE(rs.find(u"Text = 'moved start'"));
        EXPECT_EQ(rs.currentRow(), 12);
        EXPECT_EQ(rs.firstRowOf(0, QStringLiteral("heap")), 10);
        rs.setValueAt(10, 0, 1.5);
        rs.checkConsistency();
    }
    EXPECT_TRUE(heap.isDetached()) << "the table gave back every reference it held";
    EXPECT_TRUE(fromTheFront.isDetached());
}

} // namespace

#include "platform/DataGrid.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace tabulon::platform;
using FT = RecordSet::FieldType;
using Moves = std::vector<std::pair<int, int>>;
using Log = std::vector<std::string>;

constexpr int kRows = 30;

// A shown grid, its model under the model tester, bound to kRows rows ("Name" text, "Amount"
// variant, "Flag" boolean) with the cursor at BOF. Field changes log "Field=text on cursor row".
class DataGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rs.appendField(QStringLiteral("Name"), FT::VarWChar, 20);
        rs.appendField(QStringLiteral("Amount"), FT::Variant);
        rs.appendField(QStringLiteral("Flag"), FT::Boolean);
        rs.open();
        for (int i = 0; i < kRows; ++i) {
            std::vector<Variant> values{QStringLiteral("row%1").arg(i), i + 0.5, i % 2 == 0};
            rs.addNew(values);
        }
        rs.setCurrentRow(-1);

        grid = std::make_unique<DataGrid>();
        tester = std::make_unique<QAbstractItemModelTester>(
            grid->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        grid->resize(400, 200);
        grid->show();
        grid->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(grid.get()));
        grid->setFocus();
        bind();
        rs.connectFieldChangeComplete([this](int, auto fields, RecordSet &r) {
            const QString change = fields[0].name() + u'=' + fields[0].value().toText();
            changes.push_back(
                QStringLiteral("%1 on %2").arg(change).arg(r.currentRow()).toStdString());
        });
    }

    void bind()
    {
        grid->setDataSource(&rs);
        QApplication::processEvents(); // the view's delayed layout
    }

    QModelIndex cell(int row, int column) const { return grid->model()->index(row, column); }
    QString textAt(int row, int column) const { return cell(row, column).data().toString(); }
    void click(int row, int column)
    {
        const QPoint centre = grid->visualRect(cell(row, column)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    }

    // The open in-place editor (closed ones linger hidden until deleted).
    QLineEdit *editor() const
    {
        for (QLineEdit *line : grid->viewport()->findChildren<QLineEdit *>())
            if (!line->isHidden()) return line;
        return nullptr;
    }

    RecordSet rs;
    std::unique_ptr<DataGrid> grid;
    std::unique_ptr<QAbstractItemModelTester> tester;
    Log changes;
    QObject scope; // context of the tests' connections, gone before the grid and the table
};

TEST_F(DataGridTest, BindingMakesAColumnPerFieldOnceAndShowsValuesAsText)
{
    ASSERT_EQ(std::pair(grid->columnCount(), grid->rowCount()), std::pair(3, kRows));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), u"Amount");
    EXPECT_EQ(grid->columnByField(u"AMOUNT"), grid->column(1));
    EXPECT_EQ(textAt(2, 0) + u' ' + textAt(3, 1) + u' ' + textAt(3, 2), u"row2 3.5 False");
    EXPECT_EQ(grid->currentRow(), -1) << "cursor before the first row";
    grid->addColumn(QStringLiteral("name"), QStringLiteral("Again")); // while bound
    grid->addColumn(QStringLiteral("NoSuchField"));
    EXPECT_EQ(grid->column(3)->caption() + textAt(4, 3), QStringLiteral("Againrow4"));
    EXPECT_TRUE(textAt(4, 4).isEmpty() && !(cell(4, 4).flags() & Qt::ItemIsEditable));

    // Captions, values and rows changed later reach the views, in every column showing them.
    QSignalSpy headers(grid->model(), &QAbstractItemModel::headerDataChanged);
    QSignalSpy values(grid->model(), &QAbstractItemModel::dataChanged);
    grid->column(2)->setCaption(QStringLiteral("F"));
    EXPECT_EQ(std::pair(grid->model()->headerData(2, Qt::Horizontal).toString(), headers.count()),
              std::pair(QStringLiteral("F"), qsizetype(1)));
    rs.addNew();
    rs.setValue(0, Variant(QStringLiteral("late")));
    EXPECT_EQ(grid->rowCount(), kRows + 1);
    EXPECT_EQ(grid->column(3)->text(), QStringLiteral("late")) << "the new row is current";
    EXPECT_EQ(values.count(), 2);

    // Unbound, the grid has no rows and does not follow; bound again, it keeps its columns.
    grid->setDataSource(nullptr);
    EXPECT_EQ(grid->rowCount(), 0);
    rs.setCurrentRow(2);
    EXPECT_EQ(grid->currentRow(), -1);
    bind();
    EXPECT_EQ(std::pair(grid->columnCount(), grid->currentIndex().row()), std::pair(5, 2))
        << "binding takes the cursor's row";
}

// Widths set, columns hidden, shown or added are the grid's resizes; a drag is the user's.
TEST_F(DataGridTest, LengthsAreTwipsAndOnlyTheUsersColumnResizesAreReported)
{
    std::vector<int> resized;
    bool cancel = false;
    QObject::connect(grid.get(), &DataGrid::columnResizedByUser, &scope, [&](int column, bool &c) {
        resized.push_back(column);
        c = cancel;
    });
    ASSERT_EQ(std::pair(grid->twipsPerPixelY(), grid->rowHeightTwips()), std::pair(15.0, 255.0));
    const double viewportLeft = grid->viewport()->geometry().left() * 15.0;
    for (double twips : {150.0, 600.0, 3015.0}) { // 150: lower than a line of text
        grid->setRowHeightTwips(twips);
        grid->column(0)->setWidth(twips);
        EXPECT_EQ(std::tuple(grid->rowTop(2) - grid->rowTop(0), grid->column(0)->width(),
                             grid->column(1)->left() - viewportLeft),
                  std::tuple(2 * twips, twips, twips));
    }
    grid->column(0)->setVisible(false);
    EXPECT_EQ(std::pair(grid->column(1)->left(), grid->column(0)->width()),
              std::pair(viewportLeft, 3015.0))
        << "a hidden column keeps its width";
    grid->column(0)->setVisible(true);
    EXPECT_EQ(grid->column(1)->left(), viewportLeft + 3015);
    grid->addColumn(QStringLiteral("Flag"));
    EXPECT_TRUE(resized.empty());
    grid->setRecordSelectors(false);
    EXPECT_LT(grid->column(0)->left(), viewportLeft);

    // A drag of the handle between columns 0 and 1, by dx pixels.
    const auto drag = [&](int dx) {
        QWidget *header = grid->horizontalHeader()->viewport();
        const QPoint at(grid->horizontalHeader()->sectionViewportPosition(1) - 1, 5);
        QTest::mousePress(header, Qt::LeftButton, {}, at);
        QTest::mouseMove(header, at + QPoint(dx, 0));
        QTest::mouseRelease(header, Qt::LeftButton, {}, at + QPoint(dx, 0));
    };
    drag(30);
    EXPECT_EQ(std::pair(resized, grid->column(0)->width()), std::pair(std::vector{0}, 3465.0));
    cancel = true;
    drag(-20);
    EXPECT_EQ(std::pair(resized, grid->column(0)->width()), std::pair(std::vector{0, 0}, 3465.0))
        << "cancelled";
}

// The grid's current row counts from the first visible row.
TEST_F(DataGridTest, CursorAndCurrentRowFollowEachOther)
{
    Moves moves; // (previous bookmark, previous column)
    QObject::connect(grid.get(), &DataGrid::rowColChanged, &scope,
                     [&](int lastRow, int lastCol) { moves.emplace_back(lastRow, lastCol); });
    rs.setCurrentRow(3);
    EXPECT_EQ(grid->currentIndex(), cell(3, 0));
    click(6, 1);
    EXPECT_EQ(rs.currentRow(), 6);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(rs.currentRow(), 7);
    rs.setCurrentRow(rs.recordCount()); // EOF: no current cell
    EXPECT_EQ(grid->currentRow(), -1);
    rs.setCurrentRow(1);
    EXPECT_EQ(grid->currentIndex(), cell(1, 1)) << "the column is kept";

    grid->scrollBy(0, 5);
    EXPECT_EQ(std::pair(grid->firstVisibleRow(), grid->rowTop(0)),
              std::pair(5, grid->viewport()->geometry().top() * 15.0));
    grid->setCurrentRow(2);
    EXPECT_EQ(std::pair(rs.currentRow(), grid->currentRow()), std::pair(7, 2));
    grid->setCurrentColumn(2);
    EXPECT_EQ(grid->currentIndex(), cell(7, 2));
    EXPECT_EQ(moves, (Moves{{0, -1}, {4, 0}, {7, 1}, {8, 1}, {0, -1}, {2, 1}, {8, 1}}));

    const int rowPixels = grid->verticalHeader()->defaultSectionSize();
    EXPECT_EQ(grid->visibleRows(), (grid->viewport()->height() + rowPixels - 1) / rowPixels)
        << "a partly shown row counts";
    grid->scrollBy(0, 1000);
    EXPECT_EQ(grid->firstVisibleRow() + grid->visibleRows(), kRows) << "also the last";
}

TEST_F(DataGridTest, TypedTextArrivesAsOneFieldChangeOnItsRow)
{
    int keyDowns = 0;
    QObject::connect(grid.get(), &DataGrid::keyDown, &scope, [&](int &, int) { ++keyDowns; });
    rs.setCurrentRow(5);
    grid->setEditActive(true);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(grid->selLength(), 4) << "the whole text is selected";
    grid->setSelStart(1);
    grid->setSelLength(2);
    QTest::keyClicks(editor(), QStringLiteral("XY"));
    EXPECT_TRUE(changes.empty()) << "nothing is written while typing";
    QTest::keyClick(editor(), Qt::Key_Tab); // ends the edit and stays on the row
    EXPECT_EQ(changes, Log{"Name=rXY5 on 5"});
    EXPECT_EQ(keyDowns, 3) << "every key reported once";
    EXPECT_EQ(std::pair(grid->isEditActive(), grid->currentIndex().row()), std::pair(false, 5));

    // A locked column opens no editor, by code, typing or double click, yet takes text.
    changes.clear();
    grid->column(0)->setLocked(true);
    rs.setCurrentRow(2);
    grid->setEditActive(true);
    EXPECT_FALSE(grid->isEditActive());
    QTest::keyClick(grid.get(), Qt::Key_R);
    EXPECT_EQ(grid->currentIndex(), cell(2, 0)) << "typing does not search the rows";
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell(2, 0)).center());
    EXPECT_EQ(editor(), nullptr);
    grid->column(0)->setText(QStringLiteral("set"));
    EXPECT_EQ(changes, Log{"Name=set on 2"});
}

// Each row runs on from the cell the previous one left; a swallowed key does nothing more.
TEST_F(DataGridTest, KeyDownGivesKeyCodesBeforeTheGridActsAndCanSwallowThem)
{
    rs.setCurrentRow(4);
    // clang-format off
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; bool swallow;
                   int code, shift, rowAfter; const char *editorText; } cases[] = {
        {Qt::Key_Tab, {}, false, 9, 0, 4, nullptr}, // nullptr: no edit started
        {Qt::Key_Backtab, Qt::ShiftModifier, false, 9, 1, 4, nullptr},
        {Qt::Key_Enter, {}, false, 13, 0, 4, nullptr},
        {Qt::Key_Down, Qt::ControlModifier, false, 40, 2, 5, nullptr},
        {Qt::Key_Up, Qt::AltModifier, false, 38, 4, 4, nullptr},
        {Qt::Key_Down, {}, true, 40, 0, 4, nullptr},
        {Qt::Key_Q, {}, false, 'Q', 0, 4, "q"}, // typing starts an edit
        {Qt::Key_K, {}, true, 'K', 0, 4, nullptr},
        {Qt::Key_F5, {}, false, 0, 0, 4, nullptr}, // no code: not reported
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        Moves seen;
        QObject connection;
        QObject::connect(grid.get(), &DataGrid::keyDown, &connection, [&](int &code, int shift) {
            seen.emplace_back(code, shift);
            if (c.swallow) code = 0;
        });
        QTest::keyClick(grid.get(), c.key, c.modifiers);
        EXPECT_EQ(seen, (c.code ? Moves{{c.code, c.shift}} : Moves{}));
        EXPECT_EQ(grid->currentIndex(), cell(c.rowAfter, 0));
        QLineEdit *line = editor();
        EXPECT_EQ(line ? line->text() : QString(), QString::fromLatin1(c.editorText));
        if (line) QTest::keyClick(line, Qt::Key_Escape);
    }

    // The handler runs its owner's code, which may delete the grid.
    QObject::connect(grid.get(), &DataGrid::keyDown, [this](int &, int) { grid.reset(); });
    QTest::keyClick(grid.get(), Qt::Key_Delete);
    EXPECT_EQ(grid, nullptr);
}

TEST_F(DataGridTest, ButtonOfTheCurrentCellRaisesButtonClicked)
{
    std::vector<int> buttons;
    int clicks = 0;
    QObject::connect(grid.get(), &DataGrid::buttonClicked, &scope,
                     [&](int c) { buttons.push_back(c); });
    QObject::connect(grid.get(), &DataGrid::gridClicked, &scope, [&] { ++clicks; });
    grid->column(1)->setButton(true);
    rs.setCurrentRow(1);
    grid->setCurrentColumn(1);
    const auto clickAt = [&](int row, bool onButton) {
        const QRect r = grid->visualRect(cell(row, 1));
        const QPoint at(onButton ? r.right() - 3 : r.left() + 3, r.center().y());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    };
    clickAt(1, true);
    EXPECT_EQ(editor(), nullptr);
    clickAt(1, false); // the text part of the cell
    clickAt(3, true);  // not the current cell
    EXPECT_EQ(std::tuple(buttons, clicks, rs.currentRow()), std::tuple(std::vector<int>{1}, 2, 3));
}

TEST_F(DataGridTest, HeadersSelectColumnsAndRowsAsBookmarks)
{
    int reported = 0;
    bool cancel = false;
    QObject::connect(grid.get(), &DataGrid::selectionRangeChanged, &scope, [&](bool &c) {
        ++reported;
        c = cancel;
    });
    // 3 pixels into the section: the row buttons have no resize grip at their edges.
    const auto clickHeader = [](QHeaderView *header, int section) {
        const int at = header->sectionViewportPosition(section) + 3;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          header->orientation() == Qt::Horizontal ? QPoint(at + 7, 5)
                                                                  : QPoint(5, at));
    };
    QHeaderView *columns = grid->horizontalHeader(), *rows = grid->verticalHeader();
    clickHeader(columns, 1);
    EXPECT_EQ(std::tuple(grid->selStartCol(), grid->selEndCol(), grid->selectedBookmarks().size()),
              std::tuple(1, 1, 0));
    click(2, 0); // a click in the cells drops the selection
    EXPECT_EQ(std::pair(grid->selStartCol(), reported), std::pair(-1, 2));

    clickHeader(rows, 2);
    EXPECT_EQ(rs.currentRow(), 2) << "the selected row becomes current";
    for (RecordSet::Bookmark bookmark : {6, 1, 6})
        grid->addSelectedBookmark(bookmark);
    EXPECT_EQ(grid->selectedBookmarks(), (QList<RecordSet::Bookmark>{3, 6, 1}));
    clickHeader(columns, 2);
    grid->addSelectedBookmark(4);
    grid->clearSelCols();
    EXPECT_EQ(std::pair(grid->selStartCol(), grid->selectedBookmarks()),
              std::pair(-1, QList<RecordSet::Bookmark>{4}));
    EXPECT_EQ(reported, 4) << "the grid's own selection changes are not reported";

    cancel = true;
    clickHeader(rows, 8);
    EXPECT_EQ(std::pair(reported, grid->selectedBookmarks()),
              std::pair(5, QList<RecordSet::Bookmark>{4}));
    EXPECT_FALSE(grid->selectionModel()->isRowSelected(8));
    grid->clearSelectedBookmarks();
    EXPECT_FALSE(grid->selectionModel()->hasSelection());
}

// Regression: with the editor reopened from rowColChanged, as the control does, an edit's write
// moving the cursor closed the editor twice and wrote to the wrong row.
TEST_F(DataGridTest, EditorReopenedOnEveryMoveWritesOnlyTheEditedRow)
{
    QObject::connect(grid.get(), &DataGrid::rowColChanged, &scope, [this] {
        grid->setEditActive(true);
        grid->setSelStart(0);
        grid->setSelLength(grid->column(grid->currentColumn())->text().size());
    });
    rs.setCurrentRow(1);
    QTest::keyClicks(editor(), QStringLiteral("A"));
    QTest::keyClick(editor(), Qt::Key_Down);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->selectedText(), QStringLiteral("row2"));
    click(5, 0);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->text(), QStringLiteral("row5"));
    rs.setCurrentRow(7); // moved by code
    EXPECT_EQ(editor()->text(), QStringLiteral("row7"));
    QTest::keyClicks(editor(), QStringLiteral("B"));
    rs.setCurrentRow(8); // the typed text still goes to row 7; the cursor stays where it was put

    EXPECT_EQ(changes, (Log{"Name=A on 1", "Name=B on 7"}));
    EXPECT_EQ(std::pair(rs.currentRow(), grid->currentIndex().row()), std::pair(8, 8));
}

} // namespace

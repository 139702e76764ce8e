// The grid as the user drives it: edit modes per row, keys, selection, row stepping, focus.

#include "tests/control/ControlFixture.h"

#include "core/Error.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace tabulon;
using platform::Variant;
using test::FakeAttribute;

namespace {

// One row of each kind, in this order; the value of each is its name in lower case (true for
// the boolean).
const struct
{
    const char *name;
    std::int32_t type;
    const char *units, *allowable;
    bool editable, expression;
} kRows[] = {
    {"Text", adtText, "", "", true, false},     {"Locked", adtText, "", "", false, true},
    {"Expr", adtText, "FILE", "", true, true},   {"File", adtText, "File", "", true, false},
    {"Folder", adtText, "Folder", "", true, false}, {"Lower", adtText, " file ", "", true, false},
    {"Byf", adtText, "byf", "", true, false},    {"Enum", adtText, "", "an enumeration", true, false},
    {"Bool", adtBoolean, "", "", true, false},   {"Capital", adtText, "", "Enumeration", true, false},
};
constexpr int kRowCount = int(std::size(kRows));

struct GridInput : test::ControlFixture
{
    GridInput()
    {
        for (const auto &r : kRows) {
            auto a = source->add(r.name, r.type,
                                 r.type == adtBoolean ? Variant(true) : Variant(lower(r.name)));
            a->m_units = r.units, a->m_allowable = r.allowable;
            a->m_editable = r.editable, a->m_expression = r.expression;
        }
        control.resize(400, 130); // fewer rows shown than there are
        control.show();
        control.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&control));
    }
    QRect cell(int row, int column) const
    {
        return grid->visualRect(grid->model()->index(row, column));
    }
    void click(int row, int column, bool onButton = false)
    {
        const QRect r = cell(row, column);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          onButton ? QPoint(r.right() - 2, r.center().y()) : r.center());
    }
    // Keys go where the user's would: to the in-place editor when one is open.
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }
    int tableRow() const { return d->m_rs->currentRow(); }
    static QString lower(const char *name) { return QString::fromLatin1(name).toLower(); }
};

TEST_F(GridInput, EachRowKindGetsItsModeWhenItsValueCellBecomesCurrent)
{
    control.resize(400, 300);
    load();
    QSignalSpy buttons(grid, &platform::DataGrid::buttonClicked);
    // mode, button, locked, editing; for "Edit" the whole text is selected.
    const struct
    {
        const char *mode;
        bool button, locked, editing;
    } expected[kRowCount] = {
        {"Edit", false, false, true}, {"Locked", false, true, false},
        {"Expression", true, true, false}, {"File", true, true, false},
        {"Folder", true, true, false}, {"File", true, true, false},
        {"BYF", true, true, false}, {"List", true, true, false},
        {"List", true, true, false}, {"Edit", false, false, true},
    };
    for (int row = 0; row < kRowCount; ++row) {
        SCOPED_TRACE(kRows[row].name);
        const auto &e = expected[row];
        click(row, 1);
        EXPECT_EQ(d->GetEditMode(), QString::fromLatin1(e.mode));
        EXPECT_EQ(d->m_colValue->hasButton(), e.button);
        EXPECT_EQ(d->m_colValue->isLocked(), e.locked);
        EXPECT_EQ(grid->isEditActive(), e.editing);
        EXPECT_EQ(grid->selLength(), e.editing ? int(qstrlen(kRows[row].name)) : 0);
        EXPECT_EQ(std::pair(d->m_iLastRow, d->m_iLastCol), std::pair(row, 1));
        click(row, 1, true); // the button area, now that the cell is current
    }
    EXPECT_EQ(buttons.count(), 7) << "a button is pressed only on button rows";

    // The list closing switches the button off; a click on the same cell brings it back,
    // leaving the text selection alone, and so does a move. A move made while the control
    // itself writes the table leaves the value column as it was.
    click(7, 1);
    d->m_colValue->setButton(false);
    click(7, 1);
    EXPECT_TRUE(d->m_colValue->hasButton());
    click(0, 1);
    grid->setSelStart(2);
    d->ApplyEditMode(false);
    EXPECT_EQ(std::pair(grid->selStart(), grid->selLength()), std::pair(2, 2));
    d->m_bUpdating = true;
    d->m_rs->setCurrentRow(3);
    d->m_bUpdating = false;
    EXPECT_FALSE(d->m_colValue->hasButton());
    EXPECT_FALSE(d->m_colValue->isLocked());
}

TEST_F(GridInput, TabAndEnterWalkTheShownRowsDeleteClearsFileAndFolderValues)
{
    load();
    grid->scrollBy(0, 2);
    const int first = grid->firstVisibleRow(), shown = grid->visibleRows();
    ASSERT_LT(first + shown, kRowCount);
    click(first, 1);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->currentRow(), 1);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(grid->currentRow(), 2);
    grid->setCurrentRow(shown - 1);
    key(Qt::Key_Return);
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(tableRow(), first) << "the top row shown, not the table's first";
    EXPECT_EQ(grid->currentColumn(), 1);

    grid->scrollBy(0, -2);
    const struct
    {
        int row, column;
        Qt::Key key;
        bool clears;
    } cases[] = {
        {3, 1, Qt::Key_Delete, true},  {3, 0, Qt::Key_Delete, false}, {4, 1, Qt::Key_Delete, true},
        {4, 0, Qt::Key_Delete, false}, {5, 1, Qt::Key_Delete, false}, {2, 1, Qt::Key_Delete, false},
        {3, 1, Qt::Key_A, false},      {3, 1, Qt::Key_Left, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QTest::toString(c.row * 100 + c.column));
        FakeAttribute &a = *source->attributes[std::size_t(c.row)];
        a.writes.clear();
        click(c.row, c.column);
        key(c.key);
        EXPECT_EQ(a.writes, c.clears ? std::vector<Variant>{QString()} : std::vector<Variant>{});
        EXPECT_EQ(d->m_rs->valueAt(c.row, fValue).toText().isEmpty(), c.clears);
        if (c.clears) control.SetAttributeValue(a.m_name, lower(kRows[c.row].name));
    }
}

TEST_F(GridInput, SelectionAndRowStepping)
{
    EXPECT_THROW(control.GotoNextRow(), platform::Error) << "no attributes shown";
    load();
    control.setRecordSelectors(true);
    QSignalSpy changes(&control, &ctlAttributes::SelectionChange);
    QHeaderView *columns = grid->horizontalHeader(), *rows = grid->verticalHeader();
    click(3, 1);
    QTest::mouseClick(columns->viewport(), Qt::LeftButton, {},
                      QPoint(columns->sectionViewportPosition(1) + 10, 5));
    EXPECT_EQ(changes.count(), 1);
    const int current = tableRow();
    ASSERT_EQ(control.SelectedCount(), kRowCount);
    EXPECT_EQ(control.GetSelected(kRowCount - 1), QStringLiteral("Capital"));
    for (int index : {-1, kRowCount})
        EXPECT_EQ(control.GetSelected(index), QString());
    EXPECT_EQ(tableRow(), current) << "GetSelected leaves the current row";

    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                      QPoint(5, rows->sectionViewportPosition(2) + 3));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(control.SelectedCount(), 1);
    EXPECT_EQ(control.GetSelected(0), QStringLiteral("Expr"));
    control.setRecordSelectors(false);
    QTest::mouseClick(columns->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(control.SelectedCount(), 0);

    // From the last row shown to the top one shown, with its mode applied.
    grid->scrollBy(0, 2);
    grid->setCurrentRow(grid->visibleRows() - 1);
    EXPECT_TRUE(control.GotoNextRow().isEmpty());
    EXPECT_EQ(std::pair(grid->currentRow(), tableRow()), std::pair(0, 2));
    EXPECT_TRUE(d->m_colValue->hasButton());
}

// The property column's share follows the user's resize and is kept when the control is resized.
TEST_F(GridInput, ColumnResizeKeepsTheSplit)
{
    load();
    // A drag of the edge between the two columns, 40 pixels to the right.
    QWidget *header = grid->horizontalHeader()->viewport();
    const QPoint edge(grid->horizontalHeader()->sectionViewportPosition(1) - 1, 5);
    for (auto [type, dx, buttons] : {std::tuple{QEvent::MouseButtonPress, 0, 1},
                                     {QEvent::MouseMove, 40, 1},
                                     {QEvent::MouseButtonRelease, 40, 0}}) {
        const QPoint at = edge + QPoint(dx, 0);
        QMouseEvent event(type, at, header->mapToGlobal(at), Qt::LeftButton,
                          Qt::MouseButtons(buttons), Qt::NoModifier);
        QApplication::sendEvent(header, &event);
    }
    const double usable = grid->gridWidth() - d->m_sngRightMargin;
    EXPECT_FLOAT_EQ(d->m_sngPropFraction, float(d->m_colProperty->width() / usable));
    EXPECT_NEAR(d->m_colProperty->left() + d->m_colProperty->width() + d->m_colValue->width(),
                usable, grid->twipsPerPixelX());
    control.resize(600, 150);
    EXPECT_NEAR(d->m_colProperty->width(),
                (grid->gridWidth() - d->m_sngRightMargin - d->m_sngSelectorWidth) *
                    d->m_sngPropFraction,
                grid->twipsPerPixelX());
}

// Nothing the user does reaches an error: no table, before the first row, after the last, and a
// grid narrower than its margins.
TEST_F(GridInput, NoCurrentRowNoTableNoWidth)
{
    control.setRecordSelectors(true);
    for (int state = 0; state < 3; ++state) {
        SCOPED_TRACE(state);
        if (state == 1) load(); // before the first row
        if (state == 2) d->m_rs->setCurrentRow(kRowCount);
        grid->setFocus();
        for (Qt::Key k : {Qt::Key_Delete, Qt::Key_Return})
            QTest::keyClick(grid, k);
        QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, {10, 5});
        EXPECT_EQ(control.SelectedCount(), state ? kRowCount : 0);
    }
    EXPECT_EQ(grid->currentRow(), 0) << "Enter after the last row goes to the top row shown";
    control.resize(0, 150);
    const float fraction = d->m_sngPropFraction;
    bool cancel = false;
    d->grdEdit_ColResize(0, cancel);
    EXPECT_EQ(d->m_sngPropFraction, fraction);
}

// Locked and expression rows are drawn in the palette's disabled text colour, whatever the
// fore colour.
TEST_F(GridInput, ReadOnlyRowsAreDrawnDisabled)
{
    load();
    control.setForeColor(Qt::red);
    const QRgb disabled = grid->palette().color(QPalette::Disabled, QPalette::Text).rgb() & 0xFFFFFF;
    ASSERT_NE(disabled, 0xFF0000u);
    const QImage image = grid->viewport()->grab().toImage();
    const auto inks = [&](int row) {
        QSet<QRgb> found;
        const QRect r = cell(row, 0);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                found.insert(image.pixel(x, y) & 0xFFFFFF);
        return std::pair(found.contains(0xFF0000), found.contains(disabled));
    };
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(inks(row), std::pair(row == 0 || row == 3, row == 1 || row == 2)) << row;
}

// In a form, the control takes the focus as its grid does and gives it up with Ctrl+Tab, an
// open edit written first; it gets more room than a few rows.
TEST_F(GridInput, KeyboardWalksThroughAForm)
{
    QWidget form;
    auto *layout = new QVBoxLayout(&form);
    layout->addWidget(new QLabel(QStringLiteral("Attributes"), &form));
    auto *before = new QLineEdit(&form);
    auto *embedded = new ctlAttributes(&form, services);
    auto *after = new QPushButton(QStringLiteral("OK"), &form);
    for (QWidget *w : std::initializer_list<QWidget *>{before, embedded, after})
        layout->addWidget(w);
    embedded->setDataSource(source);
    form.resize(400, 500);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    platform::DataGrid *embeddedGrid = ctlAttributesPrivate::get(embedded)->grdEdit;
    EXPECT_GE(embedded->height(), embedded->sizeHint().height());
    EXPECT_GE(embedded->sizeHint().height(), 10 * embeddedGrid->verticalHeader()->defaultSectionSize());

    before->setFocus();
    key(Qt::Key_Tab);
    EXPECT_TRUE(embeddedGrid->hasFocus());
    key(Qt::Key_Right); // to the first row's value, whose editor opens
    key(Qt::Key_X);
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_EQ(source->attributes[0]->m_value, Variant("x"));
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(embedded->hasFocus());
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus());
    embedded->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), embeddedGrid);
}

} // namespace

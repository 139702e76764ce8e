// The grid as the user drives it: edit modes per row, keys, selection, row stepping, focus.

#include "tests/control/ControlFixture.h"

#include "core/Error.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace tabulon;
using platform::Variant;

namespace {

// One row of each kind and its mode; each value is the name in lower case.
const struct
{
    const char *name, *units, *allowable;
    bool editable, expression;
    const char *mode;
} kRows[] = {
    {"Text", "", "", true, false, "Edit"},
    {"Locked", "", "", false, true, "Locked"},
    {"Expr", "FILE", "", true, true, "Expression"},
    {"File", "File", "", true, false, "File"},
    {"Folder", "Folder", "", true, false, "Folder"},
    {"Lower", " file ", "", true, false, "File"},
    {"Byf", "byf", "", true, false, "BYF"},
    {"Enum", "", "an enumeration", true, false, "List"},
    {"Bool", "", "", true, false, "List"},
    {"Capital", "", "Enumeration", true, false, "Edit"},
};
constexpr int kRowCount = int(std::size(kRows));

QString lower(int row)
{
    return QString::fromLatin1(kRows[row].name).toLower();
}

struct GridInput : test::ControlFixture
{
    GridInput()
    {
        for (const auto &r : kRows) {
            auto a = source->add(r.name, adtText, QString::fromLatin1(r.name).toLower());
            a->m_units = r.units, a->m_allowable = r.allowable;
            a->m_editable = r.editable, a->m_expression = r.expression;
        }
        source->attributes[8]->m_dataType = adtBoolean, source->attributes[8]->m_value = true;
        control.resize(400, 130); // fewer rows shown than there are
        control.show();
        control.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&control));
    }
    void click(int row, int column, bool onButton = false)
    {
        const QRect r = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          onButton ? QPoint(r.right() - 2, r.center().y()) : r.center());
    }
    // Keys go where the user's would: to the in-place editor when one is open.
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }
    int tableRow() const { return d->m_rs->currentRow(); }
};

TEST_F(GridInput, EachRowKindGetsItsModeWhenItsValueCellBecomesCurrent)
{
    control.resize(400, 300);
    load();
    QSignalSpy buttons(grid, &platform::DataGrid::buttonClicked);
    for (int row = 0; row < kRowCount; ++row) {
        const QString mode = QString::fromLatin1(kRows[row].mode);
        SCOPED_TRACE(kRows[row].name);
        click(row, 1);
        EXPECT_EQ(d->GetEditMode(), mode);
        EXPECT_EQ(d->m_colValue->hasButton(), mode != u"Edit" && mode != u"Locked");
        EXPECT_EQ(d->m_colValue->isLocked(), mode != u"Edit");
        EXPECT_EQ(grid->isEditActive(), mode == u"Edit");
        EXPECT_EQ(std::pair(grid->selStart(), grid->selLength()),
                  std::pair(0, mode == u"Edit" ? int(lower(row).size()) : 0));
        EXPECT_EQ(std::pair(d->m_iLastRow, d->m_iLastCol), std::pair(row, 1));
        click(row, 1, true); // where the button is drawn, now that the cell is current
    }
    EXPECT_EQ(buttons.count(), 7) << "a button is pressed only on button rows";

    // The list closing switches the button off; a click on the same cell brings it back.
    // Applied again without selectText, the text selection stays. A move made while the
    // control itself writes the table leaves the value column as it was.
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
    EXPECT_FALSE(d->m_colValue->hasButton() || d->m_colValue->isLocked());
}

TEST_F(GridInput, TabAndEnterWalkTheShownRowsDeleteClearsFileAndFolderValues)
{
    load();
    grid->scrollBy(0, 2);
    const int first = grid->firstVisibleRow(), shown = grid->visibleRows();
    ASSERT_LT(first + shown, kRowCount);
    click(first, 1);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(grid->currentRow(), 2);
    grid->setCurrentRow(shown - 1);
    key(Qt::Key_Return);
    EXPECT_EQ(std::pair(grid->currentRow(), tableRow()), std::pair(0, first))
        << "the top row shown, not the table's first";
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
        SCOPED_TRACE(std::string(kRows[c.row].name) + " column " + std::to_string(c.column));
        test::FakeAttribute &a = *source->attributes[std::size_t(c.row)];
        a.writes.clear();
        click(c.row, c.column);
        key(c.key);
        EXPECT_EQ(a.writes, c.clears ? std::vector<Variant>{QString()} : std::vector<Variant>{});
        EXPECT_EQ(d->m_rs->valueAt(c.row, fValue).toText().isEmpty(), c.clears);
        if (c.clears) control.SetAttributeValue(a.m_name, lower(c.row));
    }
}

TEST_F(GridInput, SelectionAndRowStepping)
{
    EXPECT_THROW(control.GotoNextRow(), platform::Error) << "no attributes shown";
    load();
    control.setRecordSelectors(true);
    QSignalSpy changes(&control, &ctlAttributes::SelectionChange);
    QHeaderView *columns = grid->horizontalHeader(), *rows = grid->verticalHeader();
    QTest::mouseClick(columns->viewport(), Qt::LeftButton, {},
                      QPoint(columns->sectionViewportPosition(1) + 10, 5));
    EXPECT_EQ(changes.count(), 1);
    ASSERT_EQ(control.SelectedCount(), kRowCount);
    const int current = tableRow();
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

// No table, before the first row, after the last: nothing the user does reaches an error. A
// column resize sets the property column's share, unless the grid is narrower than its margin.
TEST_F(GridInput, NoCurrentRowNoTableNoWidth)
{
    control.setRecordSelectors(true);
    for (int state = 0; state < 3; ++state) {
        SCOPED_TRACE(state);
        if (state == 1) load();
        if (state == 2) d->m_rs->setCurrentRow(kRowCount);
        grid->setFocus();
        for (Qt::Key k : {Qt::Key_Delete, Qt::Key_Return})
            QTest::keyClick(grid, k);
        QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, {10, 5});
        EXPECT_EQ(control.SelectedCount(), state ? kRowCount : 0);
    }
    EXPECT_EQ(grid->currentRow(), 0) << "Enter after the last row goes to the top row shown";

    bool cancel = false;
    d->m_colProperty->setWidth(1500);
    Q_EMIT grid->columnResizedByUser(0, cancel);
    EXPECT_FLOAT_EQ(d->m_sngPropFraction, float(1500 / (grid->gridWidth() - d->m_sngRightMargin)));
    control.resize(0, 150);
    const float fraction = d->m_sngPropFraction;
    Q_EMIT grid->columnResizedByUser(0, cancel);
    EXPECT_EQ(d->m_sngPropFraction, fraction);
}

// Locked and expression rows are drawn in the style's disabled text colour, whatever the fore
// colour.
TEST_F(GridInput, ReadOnlyRowsAreDrawnDisabled)
{
    load();
    control.setForeColor(Qt::red);
    const QRgb disabled =
        grid->palette().color(QPalette::Disabled, QPalette::Text).rgb() & 0xFFFFFF;
    ASSERT_NE(disabled, 0xFF0000u);
    control.setEnabled(false);
    EXPECT_EQ(control.ForeColor(), QColor(Qt::red)) << "as set, also while disabled";
    control.setEnabled(true);
    const QImage image = grid->viewport()->grab().toImage();
    for (int row = 0; row < 4; ++row) {
        QSet<QRgb> inks;
        const QRect r = grid->visualRect(grid->model()->index(row, 0));
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                inks.insert(image.pixel(x, y) & 0xFFFFFF);
        const bool readOnly = row == 1 || row == 2;
        EXPECT_EQ(std::pair(inks.contains(0xFF0000), inks.contains(disabled)),
                  std::pair(!readOnly, readOnly))
            << row;
    }
}

// In a form the control takes the focus as its grid does and gives it up with Ctrl+Tab, an
// open edit written first; it gets more room than a few rows.
TEST_F(GridInput, KeyboardWalksThroughAForm)
{
    QWidget form;
    auto *layout = new QVBoxLayout(&form);
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
    EXPECT_GE(embedded->height(), 10 * embeddedGrid->verticalHeader()->defaultSectionSize());

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
    embedded->SetAttributeValue(QStringLiteral("Capital"), QStringLiteral("C")); // an "Edit" row
    EXPECT_TRUE(before->hasFocus()) << "the host moving the row takes no focus";
    embedded->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), embeddedGrid);
}

} // namespace

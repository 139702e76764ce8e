// The grid as the user drives it: edit modes per row, keys, selection, row stepping, focus.

#include "tests/control/ControlFixture.h"

#include "core/Error.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
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
    {"Text", "", "", true, false, "Edit"},          {"Locked", "", "", false, true, "Locked"},
    {"Expr", "FILE", "", true, true, "Expression"}, {"File", "File", "", true, false, "File"},
    {"Folder", "Folder", "", true, false, "Folder"}, {"Lower", " file ", "", true, false, "File"},
    {"Byf", "byf", "", true, false, "BYF"}, {"Enum", "", "an enumeration", true, false, "List"},
    {"Bool", "", "", true, false, "List"},  {"Capital", "", "Enumeration", true, false, "Edit"},
};
constexpr int kRowCount = int(std::size(kRows));

struct GridInput : test::ControlFixture
{
    GridInput()
    {
        for (const auto &r : kRows) {
            auto a = source->add(r.name, adtText, QString::fromLatin1(r.name).toLower());
            a->m_units = r.units;
            a->m_allowable = r.allowable;
            a->m_editable = r.editable;
            a->m_expression = r.expression;
        }
        source->attributes[8]->m_dataType = adtBoolean;
        source->attributes[8]->m_value = true;
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
    static void key(Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    }
    // The grid's current row, and the table's.
    std::pair<int, int> rows() const { return {grid->currentRow(), d->m_rs->currentRow()}; }
};

} // namespace

// Locked and expression rows are drawn in the disabled text colour; buttons only on button rows.
TEST_F(GridInput, EachRowKindGetsItsModeWhenItsValueCellBecomesCurrent)
{
    control.resize(400, 300);
    control.setForeColor(Qt::red);
    control.setEnabled(false);
    EXPECT_EQ(control.ForeColor(), QColor(Qt::red)) << "as set, also while disabled";
    control.setEnabled(true);
    load();
    const QRgb disabled = grid->palette().color(QPalette::Disabled, QPalette::Text).rgb() & 0xFFFFFF;
    const QImage image = grid->viewport()->grab().toImage();
    QSignalSpy buttons(grid, &platform::DataGrid::buttonClicked);
    for (int row = 0; row < kRowCount; ++row) {
        SCOPED_TRACE(kRows[row].name);
        const QString mode = QString::fromLatin1(kRows[row].mode);
        const bool edit = mode == u"Edit", button = !edit && mode != u"Locked";
        const bool readOnly = mode == u"Locked" || mode == u"Expression";
        QSet<QRgb> inks;
        const QRect r = grid->visualRect(grid->model()->index(row, 0));
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                inks.insert(image.pixel(x, y) & 0xFFFFFF);
        EXPECT_EQ(std::pair(inks.contains(0xFF0000), inks.contains(disabled)),
                  std::pair(!readOnly, readOnly));

        click(row, 1);
        EXPECT_EQ(d->GetEditMode(), mode);
        EXPECT_EQ(std::tuple(d->m_colValue->hasButton(), d->m_colValue->isLocked(),
                             grid->isEditActive(), grid->selStart(), grid->selLength()),
                  std::tuple(button, !edit, edit, 0, edit ? int(strlen(kRows[row].name)) : 0));
        const int pressed = buttons.count();
        click(row, 1, true); // where the button is drawn, now that the cell is current
        EXPECT_EQ(buttons.count(), pressed + (button ? 1 : 0));
    }

    // A click on the current cell brings back the button the list's closing took; a move made
    // while the control itself writes the table leaves the value column as it was.
    click(7, 1);
    d->m_colValue->setButton(false);
    click(7, 1);
    EXPECT_TRUE(d->m_colValue->hasButton());
    d->m_bUpdating = true;
    d->m_rs->setCurrentRow(0);
    d->m_bUpdating = false;
    EXPECT_TRUE(d->m_colValue->hasButton() && d->m_colValue->isLocked());
}

// Tab, Enter and GotoNextRow step within the rows shown; Delete clears file and folder values.
TEST_F(GridInput, KeysAndRowStepping)
{
    EXPECT_THROW(control.GotoNextRow(), platform::Error) << "no attributes shown";
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
    EXPECT_EQ(rows(), std::pair(0, first)) << "the top row shown, not the table's first";
    EXPECT_EQ(grid->currentColumn(), 1);
    grid->setCurrentRow(shown - 1);
    EXPECT_TRUE(control.GotoNextRow().isEmpty());
    EXPECT_EQ(rows(), std::pair(0, first));
    EXPECT_TRUE(d->m_colValue->hasButton()) << kRows[first].name;

    grid->scrollBy(0, -2);
    const std::tuple<int, int, Qt::Key, bool> cases[] = {
        // row, column, key, whether it clears the value
        {3, 1, Qt::Key_Delete, true},  {3, 0, Qt::Key_Delete, false}, {4, 1, Qt::Key_Delete, true},
        {5, 1, Qt::Key_Delete, false}, {2, 1, Qt::Key_Delete, false}, {3, 1, Qt::Key_A, false},
    };
    for (const auto &[row, column, k, clears] : cases) {
        SCOPED_TRACE(std::string(kRows[row].name) + " column " + std::to_string(column));
        test::FakeAttribute &a = *source->attributes[std::size_t(row)];
        a.writes.clear();
        click(row, column);
        key(k);
        EXPECT_EQ(a.writes, clears ? std::vector<Variant>{QString()} : std::vector<Variant>{});
        if (clears) control.SetAttributeValue(a.m_name, a.m_name.toLower());
    }
}

// Record selectors select rows by header clicks; no table or cursor position reaches an error.
TEST_F(GridInput, Selection)
{
    control.setRecordSelectors(true);
    QHeaderView *columns = grid->horizontalHeader(), *rows = grid->verticalHeader();
    for (int state = 0; state < 3; ++state) {
        SCOPED_TRACE(state);
        if (state == 1) load();
        if (state == 2) d->m_rs->setCurrentRow(kRowCount);
        grid->setFocus();
        for (Qt::Key k : {Qt::Key_Delete, Qt::Key_Return})
            QTest::keyClick(grid, k);
        QTest::mouseClick(columns->viewport(), Qt::LeftButton, {}, {10, 5});
        EXPECT_EQ(control.SelectedCount(), state ? kRowCount : 0);
    }
    EXPECT_EQ(grid->currentRow(), 0) << "Enter after the last row goes to the top row shown";
    const int current = d->m_rs->currentRow();
    EXPECT_EQ(control.GetSelected(kRowCount - 1), QStringLiteral("Capital"));
    EXPECT_EQ(control.GetSelected(kRowCount), QString());
    EXPECT_EQ(d->m_rs->currentRow(), current) << "GetSelected leaves the current row";

    QSignalSpy changes(&control, &ctlAttributes::SelectionChange);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                      QPoint(5, rows->sectionViewportPosition(2) + 3));
    EXPECT_EQ(std::tuple(int(changes.count()), control.SelectedCount(), control.GetSelected(0)),
              std::tuple(1, 1, QStringLiteral("Expr")));
    control.setRecordSelectors(false);
    QTest::mouseClick(columns->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(std::pair(int(changes.count()), control.SelectedCount()), std::pair(1, 0));
}

// In a form the control takes the focus and gives it up with Ctrl+Tab, an open edit written.
// The grid repaints only what changed: after each step nothing stale may be left on screen.
TEST_F(GridInput, KeyboardWalksThroughAFormLeavingNothingStale)
{
    QWidget form;
    auto *before = new QLineEdit(&form);
    auto *embedded = new ctlAttributes(&form, services);
    auto *after = new QPushButton(QStringLiteral("OK"), &form);
    auto *layout = new QVBoxLayout(&form);
    layout->addWidget(before);
    layout->addWidget(embedded);
    layout->addWidget(after);
    embedded->setRecordSelectors(true);
    embedded->setDataSource(source);
    form.resize(400, 500);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    platform::DataGrid &embeddedGrid = *ctlAttributesPrivate::get(embedded)->grdEdit;
    platform::RecordSet &rs = *ctlAttributesPrivate::get(embedded)->m_rs;
    EXPECT_GE(embedded->height(), 10 * embeddedGrid.verticalHeader()->defaultSectionSize());
    // The form as the screen shows it against the form painted afresh.
    const auto expectNothingStale = [&](const char *step) {
        QCoreApplication::processEvents();
        const QImage shown = form.screen()->grabWindow(form.winId()).toImage();
        EXPECT_TRUE(shown.convertToFormat(QImage::Format_RGB32) ==
                    form.grab().toImage().convertToFormat(QImage::Format_RGB32))
            << "stale after: " << step;
    };

    expectNothingStale("loaded");
    before->setFocus();
    key(Qt::Key_Tab);
    EXPECT_TRUE(embeddedGrid.hasFocus());
    key(Qt::Key_Right); // to the first row's value, whose editor opens
    expectNothingStale("value cell of the first row current");
    key(Qt::Key_X);
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_EQ(source->attributes[0]->m_value, Variant("x"));
    expectNothingStale("typed, focus passed on");
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(embedded->hasFocus());
    rs.setCurrentRow(3);
    expectNothingStale("moved onto a row with a button");
    rs.setCurrentRow(5);
    expectNothingStale("moved off it");
    QTest::mouseClick(embeddedGrid.verticalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(4, embeddedGrid.rowViewportPosition(6) + 4));
    expectNothingStale("row selected by its selector");
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus());
    expectNothingStale("focus left the grid");
    embedded->SetAttributeValue(QStringLiteral("Capital"), QStringLiteral("C")); // an "Edit" row
    EXPECT_TRUE(before->hasFocus()) << "the host moving the row takes no focus";
    embeddedGrid.setFocus();
    expectNothingStale("focus back in the grid");
}

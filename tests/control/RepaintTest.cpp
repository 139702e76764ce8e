// The grid repaints only what changed; after each step nothing stale may be left on screen.

#include "tests/control/ControlFixture.h"

#include <QHeaderView>
#include <QScreen>
#include <QVBoxLayout>

using namespace tabulon;

TEST(Repaint, EditsMovesSelectionAndFocusLeaveNothingStale)
{
    test::RecordingServices services;
    QWidget window;
    auto *control = new ctlAttributes(&window, services);
    auto *other = new QLineEdit(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(control), layout->addWidget(other);
    auto source = std::make_shared<test::FakeCollection>();
    for (int i = 0; i < 30; ++i)
        source->add(QStringLiteral("A%1").arg(i), adtText, QStringLiteral("v%1").arg(i));
    source->attributes[5]->m_units = QStringLiteral("File"); // its value cell shows a button
    control->setRecordSelectors(true);
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    control->setDataSource(source);
    platform::DataGrid &grid = *ctlAttributesPrivate::get(control)->grdEdit;
    platform::RecordSet &rs = *ctlAttributesPrivate::get(control)->m_rs;
    // The window as the screen shows it against the window painted afresh.
    const auto expectNothingStale = [&](const char *step) {
        QCoreApplication::processEvents();
        const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
        const QImage fresh = window.grab().toImage();
        EXPECT_TRUE(shown.convertToFormat(QImage::Format_RGB32) ==
                    fresh.convertToFormat(QImage::Format_RGB32)) << "stale after: " << step;
    };

    expectNothingStale("loaded");
    grid.setFocus();
    rs.setCurrentRow(3);
    grid.setCurrentColumn(1);
    expectNothingStale("value cell of the fourth row current");
    test::typeIntoGrid(grid, 3, QStringLiteral("x"));
    grid.setEditActive(false);
    expectNothingStale("typed, Enter, editor closed");
    rs.setCurrentRow(5);
    expectNothingStale("moved onto a row with a button");
    rs.setCurrentRow(7);
    expectNothingStale("moved off it");
    QTest::mouseClick(grid.verticalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(4, grid.rowViewportPosition(6) + 4));
    expectNothingStale("row selected by its selector");
    other->setFocus();
    expectNothingStale("focus left the grid");
    grid.setFocus();
    expectNothingStale("focus back in the grid");
}

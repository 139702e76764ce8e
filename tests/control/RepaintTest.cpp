// The grid repaints only what changed. What the window shows after each step must be what a
// full repaint would show: nothing stale is left on screen.

#include "tests/control/ControlFixture.h"

#include <QHeaderView>
#include <QScreen>
#include <QVBoxLayout>

using namespace tabulon;

namespace {

struct Repaint : test::ControlFixture
{
    QWidget window;
    QLineEdit *other = new QLineEdit(&window);

    Repaint()
    {
        auto *layout = new QVBoxLayout(&window);
        control.setParent(&window);
        layout->addWidget(&control);
        layout->addWidget(other);
        for (int i = 0; i < 30; ++i) {
            auto a =
                source->add(QStringLiteral("A%1").arg(i), adtText, QStringLiteral("v%1").arg(i));
            // A row whose value cell shows a button.
            if (i == 5) a->m_units = QStringLiteral("File");
        }
        control.setRecordSelectors(true);
        window.resize(400, 300);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        load();
    }
    // The control belongs to the fixture, not to the window.
    ~Repaint() override { control.setParent(nullptr); }
    // The window as the screen shows it against the window painted afresh.
    void expectNothingStale(const char *step)
    {
        QCoreApplication::processEvents();
        const QImage shown = window.screen()
                                 ->grabWindow(window.winId())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage fresh = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(shown == fresh) << "stale after: " << step;
    }
};

TEST_F(Repaint, EditsMovesSelectionAndFocusLeaveNothingStale)
{
    expectNothingStale("loaded");
    grid->setFocus();
    d->m_rs->setCurrentRow(3);
    grid->setCurrentColumn(1);
    expectNothingStale("value cell of the fourth row current");
    auto *editor = grid->viewport()->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, QStringLiteral("x"));
    QTest::keyClick(editor, Qt::Key_Return);
    grid->setEditActive(false);
    expectNothingStale("typed, Enter, editor closed");
    d->m_rs->setCurrentRow(5);
    expectNothingStale("moved onto a row with a button");
    d->m_rs->setCurrentRow(7);
    expectNothingStale("moved off it");
    QTest::mouseClick(grid->verticalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(4, grid->rowViewportPosition(6) + 4));
    expectNothingStale("row selected by its selector");
    other->setFocus();
    expectNothingStale("focus left the grid");
    grid->setFocus();
    expectNothingStale("focus back in the grid");
}

} // namespace

// The grid's key notification runs its owner's code, which may delete the grid.

#include "platform/DataGrid.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using tabulon::platform::DataGrid;

TEST(DataGridKey, AKeyDownHandlerMayDeleteTheGrid)
{
    QWidget window;
    auto *grid = new DataGrid(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    grid->setFocus();
    QObject::connect(grid, &DataGrid::keyDown, [&](int &, int) { delete grid; });
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_TRUE(window.children().isEmpty());
}

} // namespace

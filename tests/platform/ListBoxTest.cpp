#include "platform/ListBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using tabulon::platform::ListBox;
using Log = std::vector<std::string>;

// Counts the key presses reaching it, where a dialog's default or cancel button would act.
struct Window : QWidget
{
    void keyPressEvent(QKeyEvent *) override { ++keys; }
    int keys = 0;
};

// An active window holding the list (five items, the first selected, the focus) and a line
// edit that can take the focus. Every notification is logged.
class ListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        other = new QLineEdit(&window);
        other->move(0, 150);
        box = new ListBox(&window);
        box->setGeometry(0, 0, 120, 140); // room to spare below the items
        for (const char *text : {"alpha", "bravo", "charlie", "delta", "echo"})
            box->addItem(QString::fromLatin1(text));
        QObject::connect(box, &ListBox::keyDown, [this](int &code, int shift) {
            log.push_back(QStringLiteral("key %1/%2").arg(code).arg(shift).toStdString());
            if (swallowKeys) code = 0;
        });
        QObject::connect(box, &ListBox::clicked, [this] {
            log.push_back(QStringLiteral("click %1").arg(box->currentIndex()).toStdString());
            if (hideOnClick) box->hide();
        });
        QObject::connect(box, &ListBox::focusLost, [this] { log.emplace_back("lost"); });
        window.resize(200, 200);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        box->setCurrentIndex(0);
        box->setFocus();
        log.clear();
    }

    QListWidget *list() const { return box->findChild<QListWidget *>(); }
    void clickAt(QPoint at) { QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at); }
    void clickItem(int index) { clickAt(list()->visualItemRect(list()->item(index)).center()); }

    Window window;
    QLineEdit *other = nullptr;
    ListBox *box = nullptr;
    Log log;
    bool swallowKeys = false, hideOnClick = false;
};

TEST_F(ListBoxTest, KeyDownComesFirstThenClickForAnyMoveOfTheSelection)
{
    // clang-format off
    const struct { const char *name; Qt::Key key; Qt::KeyboardModifiers modifiers;
                   int start, indexAfter; bool swallow; Log expected; } cases[] = {
        {"Down", Qt::Key_Down, {}, 0, 1, false, {"key 40/0", "click 1"}},
        {"Shift+Down", Qt::Key_Down, Qt::ShiftModifier, 3, 4, false, {"key 40/1", "click 4"}},
        {"Up on the first item", Qt::Key_Up, {}, 0, 0, false, {"key 38/0"}},
        {"Down swallowed", Qt::Key_Down, {}, 1, 1, true, {"key 40/0"}},
        {"Enter", Qt::Key_Return, {}, 2, 2, false, {"key 13/0"}},
        {"a letter jumps", Qt::Key_D, {}, 0, 3, false, {"key 68/0", "click 3"}},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        box->setCurrentIndex(c.start);
        log.clear();
        swallowKeys = c.swallow;
        QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers); // as typed keys go
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(box->currentIndex(), c.indexAfter);
    }
    EXPECT_EQ(window.keys, 0) << "no key goes on to the window";
}

// A mouse click is one click, also on the selected item; setting the index clicks only when
// it selects another item.
TEST_F(ListBoxTest, ChoosingByMouseOrByIndexClicksOnce)
{
    clickItem(3);
    clickItem(3);
    clickAt(QPoint(5, 130)); // below the last item
    for (int index : {2, 2, -1, 5, 4})
        box->setCurrentIndex(index);
    EXPECT_EQ(log, (Log{"click 3", "click 3", "click 2", "click 4"}));

    // Refilled as the drop-down does: cleared, filled, the current value put first.
    box->clear();
    box->addItem(QStringLiteral("A"));
    box->insertItem(9, QStringLiteral("B"));
    box->insertItem(0, QStringLiteral("C"));
    box->setCurrentIndex(0);
    EXPECT_EQ(log.back(), "click 0");
    EXPECT_EQ(box->itemText(0) + box->itemText(1) + box->itemText(2) + box->itemText(3),
              QStringLiteral("CAB"));

    // The drop-down's rule: a click hides the list, which loses the focus after the click.
    log.clear();
    hideOnClick = true;
    clickItem(1);
    EXPECT_EQ(log, (Log{"click 1", "lost"}));
}

TEST_F(ListBoxTest, LosingTheFocusIsReportedOnce)
{
    const auto elsewhereAndBack = [this] {
        QWidget another;
        another.show();
        another.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&another));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    };
    // clang-format off
    const struct { const char *name; bool otherTakesFocus; std::function<void()> leave;
                   Log expected; } cases[] = {
        {"another widget focused", true, [this] { other->setFocus(); }, {"lost"}},
        {"Tab", true, [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }, {"lost"}},
        {"hidden", true, [this] { box->hide(); }, {"lost"}},
        {"hidden, nothing else takes the focus", false, [this] { box->hide(); }, {"lost"}},
        {"another window, and back", true, elsewhereAndBack, {}},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        other->setFocusPolicy(c.otherTakesFocus ? Qt::StrongFocus : Qt::NoFocus);
        box->show();
        box->setFocus();
        log.clear();
        c.leave();
        EXPECT_EQ(log, c.expected);
        const bool focused = box->hasFocus();
        EXPECT_EQ(focused, c.expected.empty());
        log.clear();
        box->hide();
        EXPECT_EQ(log, focused ? Log{"lost"} : Log{}) << "hidden afterwards";
    }
}

TEST_F(ListBoxTest, PlacementIsInTwipsAndOnlyTheFontFaceChanges)
{
    box->setLeftTwips(300);
    box->setTopTwips(450);
    box->setWidthTwips(1500);
    box->setHeightTwips(1020);
    EXPECT_EQ(box->geometry(), QRect(20, 30, 100, 68)); // offscreen: 96 dpi, 15 twips a pixel

    QFont font = box->font();
    font.setPointSize(15);
    box->setFont(font);
    box->setFontFace(QStringLiteral("Courier"));
    EXPECT_EQ(std::pair(list()->font().family(), list()->font().pointSize()),
              std::pair(QStringLiteral("Courier"), 15));
}

// Regression: a list deleted while it had the focus reported the loss through its private
// part, already freed.
TEST_F(ListBoxTest, DeletedWithTheFocusReportsNothing)
{
    delete box;
    EXPECT_TRUE(log.empty());
}

} // namespace

#pragma once

#include "core/Export.h"
#include "platform/KeyCode.h"

#include <QWidget>

#include <memory>

namespace tabulon::platform {

// A single-selection list of texts, for a drop-down editor laid over a grid. Items are
// addressed by 0-based index, -1 standing for no item. Placement is in twips, in the
// parent's client area; showing, hiding, raising and focusing are QWidget's own. The list
// takes the application's style, palette and font; only the font's face can be set.
//
// Notifications, all raised synchronously:
// - keyDown for a key with a code (keyCodeOf()) that goes down in the list, before the list
//   acts on it; a handler that sets keyCode to 0 swallows the key.
// - clicked when the selection moves to an item, by the keys (after their keyDown), by
//   setCurrentIndex() or by the mouse, and for every mouse click on an item, also on the
//   item already selected. A mouse click is raised once, when the button is released.
// - focusLost when the list loses the focus to another widget, also when it is hidden while
//   it has the focus. Leaving for another window or a menu is no loss: the list has the
//   focus again when its window comes back.
class TABULON_AUTOTEST_EXPORT ListBox : public QWidget
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);
    ~ListBox() override;

    void clear();
    // Appends an item.
    void addItem(const QString &text);
    // Inserts an item before `index`; an index past the end appends.
    void insertItem(int index, const QString &text);
    int count() const;
    // The text of an item; empty for an index out of range.
    QString itemText(int index) const;
    // The selected item, -1 when none. Selecting an index out of range selects nothing.
    int currentIndex() const;
    void setCurrentIndex(int index);

    // Twips per pixel of this screen, horizontally and vertically.
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    // Placement and size in twips.
    double leftTwips() const;
    void setLeftTwips(double twips);
    double topTwips() const;
    void setTopTwips(double twips);
    double widthTwips() const;
    void setWidthTwips(double twips);
    double heightTwips() const;
    void setHeightTwips(double twips);

    // The face name of the list's font; its size and style stay as they are.
    QString fontFace() const;
    void setFontFace(const QString &face);

    void setVisible(bool visible) override;

Q_SIGNALS:
    // keyCode: virtual-key code; shift: 1 Shift, 2 Ctrl, 4 Alt (see shiftStateOf()).
    void keyDown(int &keyCode, int shift);
    void clicked();
    void focusLost();

private:
    class Private;
    std::unique_ptr<Private> const d;
};

} // namespace tabulon::platform

#include "platform/ListBox.h"

#include "platform/Twips.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>

#include <algorithm>

namespace tabulon::platform {

using screen::toPixels;

class ListBox::Private
{
public:
    class List;

    explicit Private(ListBox *box) : q(box) {}

    ListBox *const q;
    List *list = nullptr;
    // From a left-button press on an item to its release: the selection changes this makes
    // are the click's, raised once at the release.
    bool mouseChoice = false;

    void currentRowChanged(int row);
};

// The list proper, filling the box: it has the focus, and reports keys, clicks and the loss
// of focus to the box.
class ListBox::Private::List final : public QListWidget
{
public:
    List(Private *d, QWidget *parent) : QListWidget(parent), d(d)
    {
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setUniformItemSizes(true);
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        d->mouseChoice = false;
        int keyCode = keyCodeOf(event->key());
        if (keyCode != 0) {
            const QPointer<List> alive(this);
            Q_EMIT d->q->keyDown(keyCode, shiftStateOf(*event));
            if (!alive) return;
            if (keyCode == 0) {
                event->accept();
                return;
            }
        }
        QListWidget::keyPressEvent(event);
        // Keys typed into the list stop here, also those it has no use for: none goes on to
        // the widgets below it or to a dialog's default or cancel button.
        event->accept();
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        d->mouseChoice =
            event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
        QListWidget::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QListWidget::mouseReleaseEvent(event);
        if (event->button() != Qt::LeftButton || !d->mouseChoice) return;
        d->mouseChoice = false;
        Q_EMIT d->q->clicked();
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        QListWidget::focusOutEvent(event);
        if (event->reason() == Qt::ActiveWindowFocusReason ||
            event->reason() == Qt::PopupFocusReason)
            return;
        d->mouseChoice = false;
        Q_EMIT d->q->focusLost();
    }

    // Every move selects the item moved to, and nothing (Ctrl+click, Space) unselects it.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *) const override
    {
        return index.isValid() ? QItemSelectionModel::ClearAndSelect
                               : QItemSelectionModel::NoUpdate;
    }

private:
    Private *const d;
};

void ListBox::Private::currentRowChanged(int row)
{
    if (row >= 0 && !mouseChoice) Q_EMIT q->clicked();
}

ListBox::ListBox(QWidget *parent) : QWidget(parent), d(std::make_unique<Private>(this))
{
    d->list = new Private::List(d.get(), this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d->list);
    setFocusProxy(d->list);
    connect(d->list, &QListWidget::currentRowChanged, this,
            [this](int row) { d->currentRowChanged(row); });
}

ListBox::~ListBox()
{
    // Gone before the private part: a list with the focus would otherwise report its loss,
    // when QWidget's destructor clears the focus, through a private part already freed.
    delete d->list;
}

void ListBox::clear()
{
    d->list->clear();
}

void ListBox::addItem(const QString &text)
{
    d->list->addItem(text);
}

void ListBox::insertItem(int index, const QString &text)
{
    d->list->insertItem(std::clamp(index, 0, count()), text);
}

int ListBox::count() const
{
    return d->list->count();
}

QString ListBox::itemText(int index) const
{
    const QListWidgetItem *item = d->list->item(index);
    return item ? item->text() : QString();
}

int ListBox::currentIndex() const
{
    return d->list->currentRow();
}

void ListBox::setCurrentIndex(int index)
{
    d->list->setCurrentRow(index >= 0 && index < count() ? index : -1);
}

double ListBox::twipsPerPixelX() const
{
    return screen::twipsPerPixelX(*this);
}

double ListBox::twipsPerPixelY() const
{
    return screen::twipsPerPixelY(*this);
}

double ListBox::leftTwips() const
{
    return x() * twipsPerPixelX();
}

void ListBox::setLeftTwips(double twips)
{
    move(toPixels(twips, twipsPerPixelX()), y());
}

double ListBox::topTwips() const
{
    return y() * twipsPerPixelY();
}

void ListBox::setTopTwips(double twips)
{
    move(x(), toPixels(twips, twipsPerPixelY()));
}

double ListBox::widthTwips() const
{
    return width() * twipsPerPixelX();
}

void ListBox::setWidthTwips(double twips)
{
    resize(std::max(0, toPixels(twips, twipsPerPixelX())), height());
}

double ListBox::heightTwips() const
{
    return height() * twipsPerPixelY();
}

void ListBox::setHeightTwips(double twips)
{
    resize(width(), std::max(0, toPixels(twips, twipsPerPixelY())));
}

QString ListBox::fontFace() const
{
    return font().family();
}

void ListBox::setFontFace(const QString &face)
{
    QFont changed = font();
    changed.setFamily(face);
    setFont(changed);
}

void ListBox::setVisible(bool visible)
{
    const bool hadFocus = !visible && d->list->hasFocus();
    QWidget::setVisible(visible);
    // Hiding hands the focus on to the next widget that takes it, which makes the list lose
    // it; with no such widget the focus would stay on the hidden list without a loss.
    if (hadFocus && d->list->hasFocus()) d->list->clearFocus();
}

} // namespace tabulon::platform

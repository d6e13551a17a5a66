#include "MultiThumbSlider.h"

#include "ThumbView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

MultiThumbSlider::MultiThumbSlider(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
}

MultiThumbSlider::~MultiThumbSlider() = default;

// --- Items and selection ----------------------------------------------------------------------------

void MultiThumbSlider::setSelectedItem(const Item &item)
{
    m_selectedThumb = thumbWithItem(item);
    if (!m_selectedThumb)
        return;
    m_selectedItem = item;
    m_selectedThumb->setSelected(true);
    m_selectedThumb->update();
}

void MultiThumbSlider::clearSelection()
{
    if (m_selectedThumb) {
        m_selectedThumb->setSelected(false);
        m_selectedThumb->update();
    }
    m_selectedThumb = nullptr;
    m_selectedItem.reset();
    update();
}

void MultiThumbSlider::addItem(const Item &item)
{
    ThumbView *thumb = m_delegate ? m_delegate->thumbViewOfItem(this, item) : nullptr;
    if (!thumb)
        return;
    thumb->setParent(this);
    thumb->setGeometry(0, 0, thumbSize().width(), thumbSize().height());
    thumb->setItem(item);
    thumb->show();
    thumb->raise();
    m_thumbs.append(thumb);
    m_items.append(item);
    updateLayout();
}

void MultiThumbSlider::addItemAtRatio(double ratio)
{
    const Item item = m_delegate ? m_delegate->createItemAtRatio(this, ratio) : nullptr;
    // A place already taken gives no item.
    if (!item)
        return;
    addItem(item);
    ThumbView *thumb = thumbWithItem(item);
    if (!thumb)
        return;
    m_selectedThumb = thumb;
    m_selectedItem = item;
    thumb->setSelected(true);
    m_delegate->selectionChanged(this, item);
    if (m_selectedThumb == thumb) {
        m_oldRatio = thumb->ratio();
        thumb->holdPlace();
        bringToFront(thumb);
    }
    updateLayout();
}

void MultiThumbSlider::removeItem(const Item &item)
{
    if (ThumbView *thumb = thumbWithItem(item))
        discardThumb(thumb);
    m_items.removeAll(item);
    clearSelection();
    updateLayout();
    if (m_delegate)
        m_delegate->itemDidRemoved(this, item);
}

void MultiThumbSlider::clearItems()
{
    clearSelection();
    for (ThumbView *thumb : std::as_const(m_thumbs)) {
        thumb->hide();
        thumb->deleteLater();
    }
    m_thumbs.clear();
    m_items.clear();
    updateLayout();
}

void MultiThumbSlider::displayItems()
{
    for (ThumbView *thumb : std::as_const(m_thumbs))
        thumb->repaint();
}

void MultiThumbSlider::discardThumb(ThumbView *thumb)
{
    if (m_selectedThumb == thumb)
        m_selectedThumb = nullptr;
    m_thumbs.removeAll(thumb);
    thumb->hide();
    thumb->deleteLater();
}

void MultiThumbSlider::bringToFront(ThumbView *thumb)
{
    m_thumbs.removeAll(thumb);
    m_thumbs.append(thumb);
    thumb->raise();
}

ThumbView *MultiThumbSlider::thumbWithItem(const Item &item) const
{
    if (!item)
        return nullptr;
    for (ThumbView *thumb : m_thumbs) {
        if (thumb->item() == item)
            return thumb;
    }
    return nullptr;
}

MultiThumbSlider::Item MultiThumbSlider::sameRatioitemWithItem(const Item &item) const
{
    const ThumbView *own = thumbWithItem(item);
    if (!own)
        return nullptr;
    for (ThumbView *thumb : m_thumbs) {
        if (thumb != own && thumb->ratio() == own->ratio())
            return item;
    }
    return nullptr;
}

// --- Geometry ------------------------------------------------------------------------------------------

QRectF MultiThumbSlider::draggableRect() const
{
    const double thumbWidth = thumbSize().width();
    return QRectF(thumbWidth / 2, height() / 2.0, width() - thumbWidth, 0);
}

QPointF MultiThumbSlider::limitPointInDraggableRect(const QPointF &point) const
{
    const QRectF track = draggableRect();
    return QPointF(qBound(0.0, point.x() - track.x(), qMax(0.0, track.width())),
                   qBound(0.0, point.y() - track.y(), qMax(0.0, track.height())));
}

double MultiThumbSlider::ratioOfPoint(const QPointF &point) const
{
    const QRectF track = draggableRect();
    if (track.width() <= 0)
        return 0;
    return qBound(0.0, limitPointInDraggableRect(point).x() / track.width(), 1.0);
}

int MultiThumbSlider::selectedIndex() const
{
    return m_selectedThumb ? int(m_items.indexOf(m_selectedThumb->item())) : -1;
}

double MultiThumbSlider::leftLimit() const
{
    const int index = selectedIndex();
    if (m_canCrossOver || index <= 0)
        return 0;
    const ThumbView *before = thumbWithItem(m_items.at(index - 1));
    return before ? before->ratio() + 0.01 : 0;
}

double MultiThumbSlider::rightLimit() const
{
    const int index = selectedIndex();
    if (m_canCrossOver || index < 0 || index + 1 >= m_items.size())
        return 1;
    const ThumbView *after = thumbWithItem(m_items.at(index + 1));
    return after ? after->ratio() - 0.01 : 1;
}

bool MultiThumbSlider::isDragToRemoveArea(const QPointF &point) const
{
    return qAbs(point.y() - draggableRect().y()) > thumbSize().height();
}

void MultiThumbSlider::updateLayout()
{
    const QRectF track = draggableRect();
    const int half = thumbSize().width() / 2;
    for (ThumbView *thumb : std::as_const(m_thumbs)) {
        thumb->move(int(thumb->ratio() * track.width() + track.x() - half), int(track.height() + track.y() - half));
        thumb->setSelected(thumb == m_selectedThumb);
        thumb->update();
    }
    // The items follow their thumbs; equal positions keep their order.
    QHash<const void *, double> ratios;
    for (ThumbView *thumb : std::as_const(m_thumbs))
        ratios.insert(thumb->item().get(), thumb->ratio());
    std::stable_sort(m_items.begin(), m_items.end(), [&ratios](const Item &a, const Item &b) {
        return ratios.value(a.get()) < ratios.value(b.get());
    });
}

// --- Mouse and keys ------------------------------------------------------------------------------------

void MultiThumbSlider::mouseDown(const QPointF &point, int clickCount)
{
    setFocus(Qt::MouseFocusReason);
    clearSelection();
    // Thumbs are taken back to front, so the front-most under the pointer wins.
    const QList<ThumbView *> thumbs = m_thumbs;
    for (ThumbView *thumb : thumbs) {
        if (thumb->geometry().contains(point.toPoint())) {
            m_selectedThumb = thumb;
            m_selectedItem = thumb->item();
        }
    }
    if (m_selectedThumb) {
        bringToFront(m_selectedThumb);
    } else if (clickCount == 2 && m_delegate) {
        // A double-click in an empty place adds an item there (a triple click adds nothing).
        const Item item = m_delegate->createItemAtRatio(this, ratioOfPoint(point));
        if (item) {
            addItem(item);
            m_selectedThumb = thumbWithItem(item);
            if (m_selectedThumb)
                m_selectedItem = item;
        }
    }
    updateLayout();
    ThumbView *selected = m_selectedThumb;
    if (m_delegate)
        m_delegate->selectionChanged(this, m_selectedItem);
    if (selected && selected == m_selectedThumb) {
        m_oldRatio = selected->ratio();
        selected->holdPlace();
    } else {
        m_oldRatio = 0;
    }
}

void MultiThumbSlider::mouseDragged(const QPointF &point)
{
    ThumbView *thumb = m_selectedThumb;
    if (!thumb)
        return;
    thumb->setRatio(ratioOfPoint(point));
    thumb->dropInvalid(sameRatioitemWithItem(thumb->item()) != nullptr);
    updateLayout();
    if (m_delegate)
        m_delegate->itemIsChanging(this);
}

void MultiThumbSlider::mouseUp()
{
    ThumbView *thumb = m_selectedThumb;
    if (!thumb)
        return;
    thumb->dropInvalid(false);
    if (thumb->ratio() == m_oldRatio)
        return;
    if (sameRatioitemWithItem(thumb->item())) {
        // The place is taken: the thumb goes back.
        thumb->setRatio(m_oldRatio);
        updateLayout();
        if (m_delegate)
            m_delegate->selectionChanged(this, m_selectedItem);
        return;
    }
    if (m_delegate)
        m_delegate->itemDidChanged(this, m_selectedItem);
}

void MultiThumbSlider::delete_()
{
    if (m_selectedItem && m_selectedThumb)
        removeItem(Item(m_selectedItem));
}

void MultiThumbSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    mouseDown(event->position(), 1);
}

void MultiThumbSlider::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    m_pressed = true;
    mouseDown(event->position(), 2);
}

void MultiThumbSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed && (event->buttons() & Qt::LeftButton))
        mouseDragged(event->position());
}

void MultiThumbSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    mouseUp();
}

void MultiThumbSlider::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && !event->modifiers()) {
        delete_();
        event->accept();
        return;
    }
    // Other keys (the arrows among them) go on to the view the slider is in.
    event->ignore();
}

void MultiThumbSlider::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_menu) {
        event->ignore();
        return;
    }
    m_menuLocation = event->globalPos();
    m_menu->popup(event->globalPos());
    event->accept();
}

void MultiThumbSlider::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateLayout();
}

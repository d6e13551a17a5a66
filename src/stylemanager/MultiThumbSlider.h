#pragma once

#include "MultiThumbSliderDelegate.h"

#include <QList>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QRectF>
#include <QWidget>

class ThumbView;

// A horizontal track with one thumb per item at the item's position between
// 0 and 1. A click selects a thumb (the front-most under the pointer), a
// drag moves it, a double-click in an empty place asks the delegate for a new
// item there, and the Delete key removes the selected item; every change is
// reported to the delegate. The slider owns its thumbs; the items are the
// delegate's. Thumbs are deleted at the end of the turn, so a delegate call
// that empties the slider does not pull a thumb from under its caller.
class MultiThumbSlider : public QWidget
{
    Q_OBJECT

public:
    using Item = MultiThumbSliderDelegate::Item;

    explicit MultiThumbSlider(QWidget *parent = nullptr);
    ~MultiThumbSlider() override;

    MultiThumbSliderDelegate *delegate() const { return m_delegate; }
    void setDelegate(MultiThumbSliderDelegate *delegate) { m_delegate = delegate; }

    // The items, in ascending thumb position after every layout.
    const QList<Item> &items() const { return m_items; }
    const Item &selectedItem() const { return m_selectedItem; }
    // The item's thumb becomes the selected one; an item without a thumb
    // leaves no thumb selected (and selectedItem() as it was). Neither lays
    // out nor tells the delegate.
    void setSelectedItem(const Item &item);
    ThumbView *selectedThumb() const { return m_selectedThumb; }
    double oldRatio() const { return m_oldRatio; }
    void clearSelection();

    // The thumb of the item is made by the delegate, put in front of the
    // others, and laid out; selection and delegate are left alone.
    void addItem(const Item &item);
    // Asks the delegate for an item at the position and adds it selected.
    void addItemAtRatio(double ratio);
    void removeItem(const Item &item);
    void clearItems();
    // Every thumb redraws.
    void displayItems();
    void updateLayout();

    bool canCrossOver() const { return m_canCrossOver; }
    void setCanCrossOver(bool canCrossOver) { m_canCrossOver = canCrossOver; }
    bool allowAddToClick() const { return m_allowAddToClick; }

    // The context menu (not owned); menuLocation() is where it was asked
    // for, in global coordinates.
    void setMenu(QMenu *menu) { m_menu = menu; }
    QMenu *menu() const { return m_menu; }
    QPoint menuLocation() const { return m_menuLocation; }

    static QSize thumbSize() { return {16, 16}; }
    // The track line: from half a thumb in at either end, across the middle.
    QRectF draggableRect() const;
    // A point relative to the track's origin, kept inside the track.
    QPointF limitPointInDraggableRect(const QPointF &point) const;
    // The position (0 to 1) along the track of a point in the slider.
    double ratioOfPoint(const QPointF &point) const;
    // Where a drag of the selected thumb could go without crossing a
    // neighbour (0 and 1 when crossing is allowed); not applied to drags.
    double leftLimit() const;
    double rightLimit() const;
    // Whether a point is more than a thumb's height above or below the track.
    bool isDragToRemoveArea(const QPointF &point) const;
    // The item itself when another item's thumb has exactly its position.
    Item sameRatioitemWithItem(const Item &item) const;
    ThumbView *thumbWithItem(const Item &item) const;

    // The mouse and keys, as the events call them (clickCount 2 for the
    // second press of a double-click).
    void mouseDown(const QPointF &point, int clickCount);
    void mouseDragged(const QPointF &point);
    void mouseUp();
    // Removes the selected item.
    void delete_();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void discardThumb(ThumbView *thumb);
    void bringToFront(ThumbView *thumb);
    // The selected thumb's neighbours in items() order.
    int selectedIndex() const;

    MultiThumbSliderDelegate *m_delegate = nullptr; // Not owned.
    QList<Item> m_items;
    // Back to front.
    QList<ThumbView *> m_thumbs; // Owned (children).
    ThumbView *m_selectedThumb = nullptr; // Not owned (one of m_thumbs).
    Item m_selectedItem;
    double m_oldRatio = 0;
    bool m_canCrossOver = true;
    bool m_allowAddToClick = false;
    bool m_pressed = false;
    QPointer<QMenu> m_menu;
    QPoint m_menuLocation;
};

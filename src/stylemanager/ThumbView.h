#pragma once

#include "MultiThumbSliderDelegate.h"

#include <QWidget>

// One thumb of a MultiThumbSlider, 16 by 16, showing one item. The slider
// takes every mouse event (the thumb is transparent to them), places the
// thumb by its ratio() and marks it selected. A subclass whose items have a
// position of their own answers ratio() and setRatio().
class ThumbView : public QWidget
{
    Q_OBJECT

public:
    using Item = MultiThumbSliderDelegate::Item;

    explicit ThumbView(QWidget *parent = nullptr);
    ~ThumbView() override;

    const Item &item() const { return m_item; }
    void setItem(const Item &item) { m_item = item; }

    bool selected() const { return m_selected; }
    void setSelected(bool selected);
    // The current drag position is taken by another item: drawn at once.
    bool dropInvalid() const { return m_dropInvalid; }
    void dropInvalid(bool invalid);

    // The item's position, 0 to 1; the base has none and answers 0.
    virtual double ratio() const;
    // Moves the item; the base does nothing.
    virtual void setRatio(double ratio);
    // The slider is about to move the thumb: the place it holds now is the
    // one a later setRatio() to the same position gives back exactly.
    virtual void holdPlace();

private:
    Item m_item;
    bool m_selected = false;
    bool m_dropInvalid = false;
};

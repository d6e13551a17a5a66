#pragma once

#include <QString>

#include <memory>

class MultiThumbSlider;
class ThumbView;

// What a MultiThumbSlider tells and asks its owner. The slider sends every
// operation without asking whether it is answered, so each is pure. Items are
// the owner's objects, opaque to the slider; each operation names the slider
// that sends it, so one delegate can serve many.
class MultiThumbSliderDelegate
{
public:
    using Item = std::shared_ptr<void>;

    virtual ~MultiThumbSliderDelegate() = default;

    // On mouse-up after a drag that left the selected item at a new position
    // no other item holds.
    virtual void itemDidChanged(MultiThumbSlider *slider, const Item &item) = 0;
    // On every drag step, after the thumb moved.
    virtual void itemIsChanging(MultiThumbSlider *slider) = 0;
    // After removeItem() (the Delete key too).
    virtual void itemDidRemoved(MultiThumbSlider *slider, const Item &item) = 0;
    // Not sent by the slider.
    virtual void itemDidAdded(MultiThumbSlider *slider, const Item &item) = 0;
    // After every mouse-down, after addItemAtRatio(), and after a drop refused
    // because the position was taken; null when nothing is selected.
    virtual void selectionChanged(MultiThumbSlider *slider, const Item &item) = 0;
    // A new thumb for the item; the slider takes ownership.
    virtual ThumbView *thumbViewOfItem(MultiThumbSlider *slider, const Item &item) = 0;
    // Not asked by the slider.
    virtual QString toolTipOfItem(MultiThumbSlider *slider, const Item &item) = 0;
    // A new item at the position (0 to 1), on a double-click in an empty
    // place and from addItemAtRatio(); null adds nothing.
    virtual Item createItemAtRatio(MultiThumbSlider *slider, double ratio) = 0;
};

#include "SlidecCellEx.h"

#include "platform/foundation/NotificationCenter.h"

#include <QAbstractSlider>

SlidecCellEx::SlidecCellEx(QObject *parent) : TransparentSlider(parent)
{
}

SlidecCellEx::~SlidecCellEx() = default;

void SlidecCellEx::polish(QWidget *widget)
{
    TransparentSlider::polish(widget);
    // A style is polished onto a widget more than once: one connection each.
    if (auto *slider = qobject_cast<QAbstractSlider *>(widget))
        connect(slider, &QAbstractSlider::sliderReleased, this, &SlidecCellEx::stopTracking, Qt::UniqueConnection);
}

void SlidecCellEx::unpolish(QWidget *widget)
{
    if (auto *slider = qobject_cast<QAbstractSlider *>(widget))
        disconnect(slider, &QAbstractSlider::sliderReleased, this, &SlidecCellEx::stopTracking);
    TransparentSlider::unpolish(widget);
}

void SlidecCellEx::stopTracking()
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("SliderEndTracking"), this);
}

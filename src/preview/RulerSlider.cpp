#include "RulerSlider.h"

#include "platform/kit/NamedImage.h"
#include "toolkit/SlidecCellEx.h"

#include <QPainter>
#include <QStyleOptionSlider>

RulerSlider::RulerSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent), m_cell(new SlidecCellEx(this))
{
    setStyle(m_cell);
    setFocusPolicy(Qt::NoFocus);
}

RulerSlider::~RulerSlider() = default;

void RulerSlider::drawBarInside(QPainter &painter, const QRectF &rect) const
{
    const QPixmap bar = NamedImage::imageNamed(QStringLiteral("trasparent"));
    if (bar.isNull())
        return;
    painter.save();
    painter.setOpacity(0.5);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The art's leftmost column, 100 points high, stretched over the bar.
    const qreal ratio = bar.devicePixelRatio();
    painter.drawPixmap(rect, bar, QRectF(0, 0, 1.0 * ratio, 100.0 * ratio));
    painter.restore();
}

void RulerSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    // As QSlider draws itself: the knob (the style leaves the groove out),
    // pressed while it is dragged.
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    if (isSliderDown()) {
        option.activeSubControls = QStyle::SC_SliderHandle;
        option.state |= QStyle::State_Sunken;
    }
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    drawBarInside(painter, QRectF(groove.isValid() ? groove : rect()));
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

#include "RBLPopoverBackgroundView.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

RBLPopoverBackgroundView::RBLPopoverBackgroundView(const QRectF &frame, RectEdge popoverEdge,
                                                   const QRectF &originScreenRect, QWidget *parent)
    : QWidget(parent)
    , m_popoverEdge(popoverEdge)
    , m_screenOriginRect(originScreenRect)
{
    setGeometry(frame.toRect());
    setAttribute(Qt::WA_TranslucentBackground);
}

RBLPopoverBackgroundView::~RBLPopoverBackgroundView() = default;

QSizeF RBLPopoverBackgroundView::sizeForBackgroundViewWithContentSize(const QSizeF &contentSize,
                                                                      RectEdge edge)
{
    QSizeF size(contentSize.width() + 2 * s_border, contentSize.height() + 2 * s_border);
    if (edge == RectEdge::Left || edge == RectEdge::Right)
        size.rwidth() += s_arrowHeight;
    else
        size.rheight() += s_arrowHeight;
    return size;
}

QRectF RBLPopoverBackgroundView::contentViewFrameForBackgroundFrame(const QRectF &backgroundFrame,
                                                                    RectEdge edge)
{
    QRectF frame = backgroundFrame.adjusted(s_border, s_border, -s_border, -s_border);
    // The arrow takes room on the side facing the positioning rectangle.
    switch (edge) {
    case RectEdge::Left:
    case RectEdge::Above:
        break;
    case RectEdge::Below:
        frame.translate(0, s_arrowHeight);
        break;
    case RectEdge::Right:
        frame.translate(s_arrowHeight, 0);
        break;
    }
    return frame;
}

RBLPopoverBackgroundView *RBLPopoverBackgroundView::backgroundViewForContentSize(
    const QSizeF &contentSize, RectEdge edge, const QRectF &originScreenRect)
{
    const QSizeF size = sizeForBackgroundViewWithContentSize(contentSize, edge);
    return new RBLPopoverBackgroundView(QRectF(QPointF(0, 0), size), edge, originScreenRect);
}

RBLPopoverBackgroundViewClass RBLPopoverBackgroundView::viewClass()
{
    return {&RBLPopoverBackgroundView::sizeForBackgroundViewWithContentSize,
            &RBLPopoverBackgroundView::contentViewFrameForBackgroundFrame,
            &RBLPopoverBackgroundView::backgroundViewForContentSize};
}

RectEdge RBLPopoverBackgroundView::arrowEdgeForPopoverEdge(RectEdge edge)
{
    switch (edge) {
    case RectEdge::Left: return RectEdge::Right;
    case RectEdge::Below: return RectEdge::Above;
    case RectEdge::Right: return RectEdge::Left;
    case RectEdge::Above: return RectEdge::Below;
    }
    return RectEdge::Above;
}

QPainterPath RBLPopoverBackgroundView::newPopoverPathForEdge(RectEdge edge, const QRectF &frame) const
{
    const RectEdge arrowEdge = arrowEdgeForPopoverEdge(edge);
    const QRect box = contentViewFrameForBackgroundFrame(frame, m_popoverEdge).toAlignedRect();
    const double minX = box.left();
    const double minY = box.top();
    const double maxX = box.left() + box.width();
    const double maxY = box.top() + box.height();
    const double r = s_cornerRadius;
    const double h = s_arrowHeight;
    const double w = s_arrowWidth;

    // Where the arrow points: the middle of the positioning rectangle.
    QRectF origin = m_screenOriginRect;
    origin.moveTopLeft(mapFromGlobal(m_screenOriginRect.topLeft().toPoint()));
    const double anchorX = std::floor(origin.x() + origin.width() * 0.5);
    const double anchorY = std::floor(origin.y() + origin.height() * 0.5);

    // The arrow's span along its side, kept clear of the corners. The lower
    // bound is the radius itself, the upper one the box's far side less it.
    double lo = 0;
    double hi = 0;
    if (arrowEdge == RectEdge::Below || arrowEdge == RectEdge::Above) {
        hi = std::floor(anchorX + w / 2);
        if (hi > maxX - r) {
            const double d = hi - (maxX - r);
            hi = maxX - r;
            lo = hi - (w - d);
        } else {
            lo = std::floor(anchorX - w / 2);
            if (lo < r) {
                const double d = r - lo;
                lo = r;
                hi = lo + (w - 2 * d);
            }
        }
    } else {
        lo = std::floor(anchorY - w / 2);
        if (lo < r) {
            const double d = r - lo;
            lo = r;
            hi = lo + (w - 2 * d);
        } else {
            hi = std::floor(anchorY + w / 2);
            if (hi > maxY - r) {
                const double d = hi - (maxY - r);
                hi = maxY - r;
                lo = hi - (w - d);
            }
        }
    }

    // Clockwise on screen from the lower end of the left side.
    const double d = 2 * r;
    QPainterPath path;
    path.moveTo(minX, std::floor(maxY - r));
    if (arrowEdge == RectEdge::Left) {
        path.lineTo(minX, hi);
        path.lineTo(std::floor(minX - h), anchorY);
        path.lineTo(minX, lo);
    }
    path.arcTo(QRectF(minX, minY, d, d), 180, -90);
    if (arrowEdge == RectEdge::Above) {
        path.lineTo(lo, minY);
        path.lineTo(anchorX, std::floor(minY - h));
        path.lineTo(hi, minY);
    }
    path.arcTo(QRectF(maxX - d, minY, d, d), 90, -90);
    if (arrowEdge == RectEdge::Right) {
        path.lineTo(maxX, lo);
        path.lineTo(std::floor(maxX + h), anchorY);
        path.lineTo(maxX, hi);
    }
    path.arcTo(QRectF(maxX - d, maxY - d, d, d), 0, -90);
    if (arrowEdge == RectEdge::Below) {
        path.lineTo(hi, maxY);
        path.lineTo(anchorX, std::floor(maxY + h));
        path.lineTo(lo, maxY);
    }
    path.arcTo(QRectF(minX, maxY - d, d, d), 270, -90);
    path.closeSubpath();
    return path;
}

QColor RBLPopoverBackgroundView::fillColor() const
{
    return m_fillColor.isValid() ? m_fillColor : palette().color(QPalette::Base);
}

void RBLPopoverBackgroundView::setFillColor(const QColor &color)
{
    m_fillColor = color;
    update();
}

void RBLPopoverBackgroundView::setContentView(QWidget *contentView)
{
    m_contentView = contentView;
    if (m_contentView)
        m_contentView->setGeometry(contentViewFrameForBackgroundFrame(QRectF(rect()), m_popoverEdge).toRect());
}

void RBLPopoverBackgroundView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), fillColor());
}

void RBLPopoverBackgroundView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_contentView)
        m_contentView->setGeometry(contentViewFrameForBackgroundFrame(QRectF(rect()), m_popoverEdge).toRect());
}

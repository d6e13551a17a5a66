#include "RBLPopoverClippingView.h"

#include <QPainter>

RBLPopoverClippingView::RBLPopoverClippingView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
}

RBLPopoverClippingView::~RBLPopoverClippingView() = default;

void RBLPopoverClippingView::setClippingPath(const QPainterPath &path)
{
    if (m_clippingPath == path)
        return;
    m_clippingPath = path;
    update();
}

void RBLPopoverClippingView::paintEvent(QPaintEvent *)
{
    if (m_clippingPath.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(QRectF(rect()));
    outside.addPath(m_clippingPath);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillPath(outside, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QColor edge = palette().color(QPalette::Shadow);
    edge.setAlphaF(0.35f);
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(m_clippingPath.translated(0.5, 0.5));
}

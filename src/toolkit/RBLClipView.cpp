#include "RBLClipView.h"

#include <QPaintEvent>
#include <QPainter>

RBLClipView::RBLClipView(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

RBLClipView::~RBLClipView() = default;

void RBLClipView::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    update();
}

void RBLClipView::setOpaque(bool opaque)
{
    m_opaque = opaque;
    setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    update();
}

void RBLClipView::paintEvent(QPaintEvent *event)
{
    if (m_backgroundColor.alpha() == 0)
        return;
    QPainter painter(this);
    painter.fillRect(event->rect(), m_backgroundColor);
}

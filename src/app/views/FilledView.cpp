#include "FilledView.h"

#include "platform/kit/DesktopColors.h"

#include <QPaintEvent>
#include <QPainter>

FilledView::FilledView(const QColor &lightColor, QWidget *parent)
    : QWidget(parent)
    , m_lightColor(lightColor)
{
}

FilledView::~FilledView() = default;

QColor FilledView::fillColor() const
{
    return DesktopColors::adapted(m_lightColor, palette());
}

void FilledView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), fillColor());
}

#include "ColorWell.h"

#include "ColorPanel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

ColorWell::ColorWell(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Colour"));
}

ColorWell::~ColorWell()
{
    ColorPanel::sharedColorPanel().resignTarget(this);
}

void ColorWell::setColor(const std::optional<QColor> &color)
{
    m_color = color && color->isValid() ? color : std::nullopt;
    if (isActive() && m_color)
        ColorPanel::sharedColorPanel().setColor(*m_color);
    update();
}

void ColorWell::activate()
{
    ColorPanel::sharedColorPanel().openForTarget(this, m_color.value_or(QColor(Qt::white)), [this](const QColor &picked) {
        m_color = picked;
        update();
        Q_EMIT colorChanged();
    });
}

bool ColorWell::isActive() const
{
    ColorPanel &panel = ColorPanel::sharedColorPanel();
    return panel.target() == this && panel.isVisible();
}

QSize ColorWell::sizeHint() const
{
    return {44, 24};
}

void ColorWell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(palette().color(isActive() ? QPalette::Highlight : QPalette::Mid));
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawRoundedRect(frame, 3, 3);
    const QRectF swatch = frame.adjusted(4, 4, -4, -4);
    if (m_color) {
        // A translucent colour over a checkerboard, so its alpha shows.
        if (m_color->alpha() < 255) {
            painter.save();
            painter.setClipRect(swatch);
            painter.fillRect(swatch, Qt::white);
            const int cell = 4;
            for (int y = 0; y * cell < swatch.height(); ++y) {
                for (int x = (y % 2); x * cell < swatch.width(); x += 2)
                    painter.fillRect(QRectF(swatch.left() + x * cell, swatch.top() + y * cell, cell, cell), Qt::lightGray);
            }
            painter.restore();
        }
        painter.fillRect(swatch, *m_color);
    }
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void ColorWell::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled())
        activate();
}

void ColorWell::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        activate();
        return;
    }
    QWidget::keyPressEvent(event);
}

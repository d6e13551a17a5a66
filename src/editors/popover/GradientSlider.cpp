#include "GradientSlider.h"

#include "GradientSliderDelegate.h"
#include "SliderKnob.h"

#include "platform/foundation/Log.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRemoveDistance = 20;
// Stops below this count are never removed by a drag.
constexpr qsizetype kFewestStops = 2;

} // namespace

GradientSlider::GradientSlider(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Colour stops"));
    setMinimumHeight(knobSize().height() + 8);
}

QRectF GradientSlider::draggableRect() const
{
    const QSize knob = knobSize();
    return QRectF(knob.width() / 2.0, height() / 2.0, width() - knob.width(), 0);
}

void GradientSlider::addRatioColor(const RatioColorPtr &ratioColor)
{
    auto *knob = new SliderKnob(ratioColor, this);
    knob->setGeometry(QRect(QPoint(0, 0), knobSize()));
    knob->show();
    m_knobs.append(knob);
    m_ratioColors.append(ratioColor);
    if (m_ratioColors.size() == 1) {
        setSelection(knob);
        tellSelectionChanged();
    }
    if (m_selectedKnob)
        m_selectedKnob->raise();
    updateLayout();
}

void GradientSlider::removeRatioColor(const RatioColorPtr &ratioColor)
{
    SliderKnob *knob = knobWithRatioColor(ratioColor);
    m_ratioColors.removeAll(ratioColor);
    if (knob) {
        m_knobs.removeAll(knob);
        delete knob;
    }
    setSelection(nullptr);
    updateLayout();
}

void GradientSlider::selectRatioColor(const RatioColorPtr &ratioColor)
{
    setSelection(knobWithRatioColor(ratioColor));
    updateLayout();
}

void GradientSlider::setSelection(SliderKnob *knob)
{
    m_selectedKnob = knob;
    m_selectedRatioColor = knob ? knob->ratioColor() : nullptr;
    if (knob) {
        knob->raise();
        m_knobs.removeAll(knob);
        m_knobs.append(knob);
    }
}

void GradientSlider::updateColors()
{
    for (SliderKnob *knob : std::as_const(m_knobs))
        knob->update();
    update();
}

void GradientSlider::updateLayout()
{
    const QRectF track = draggableRect();
    const QSize knob = knobSize();
    for (SliderKnob *each : std::as_const(m_knobs)) {
        const double x = each->ratioColor()->ratio() * track.width() + track.x() - knob.width() / 2.0;
        const double y = track.height() + track.y() - knob.height() / 2.0;
        each->move(int(std::trunc(x)), int(std::trunc(y)));
        each->setSelected(each == m_selectedKnob);
        each->update();
    }
    std::stable_sort(m_ratioColors.begin(), m_ratioColors.end(),
                     [](const RatioColorPtr &a, const RatioColorPtr &b) { return a->ratio() < b->ratio(); });
    update();
}

SliderKnob *GradientSlider::knobWithRatioColor(const RatioColorPtr &ratioColor) const
{
    for (SliderKnob *knob : m_knobs) {
        if (knob->ratioColor() == ratioColor)
            return knob;
    }
    return nullptr;
}

QPointF GradientSlider::limitPointInDraggableRect(const QPointF &point) const
{
    const QRectF track = draggableRect();
    return {std::clamp(point.x() - track.x(), 0.0, std::max(0.0, track.width())),
            std::clamp(point.y() - track.y(), 0.0, std::max(0.0, track.height()))};
}

float GradientSlider::ratioOfPoint(const QPointF &point) const
{
    const double width = draggableRect().width();
    if (width <= 0)
        return 0;
    return float(std::clamp(limitPointInDraggableRect(point).x() / width, 0.0, 1.0));
}

bool GradientSlider::isDragToRemoveArea(const QPointF &point) const
{
    const QRectF track = draggableRect();
    return point.y() < track.y() - kRemoveDistance || point.y() > track.y() + track.height() + kRemoveDistance;
}

void GradientSlider::tellColorsChanged()
{
    if (m_delegate)
        m_delegate->ratioColorDidChanged(this);
}

void GradientSlider::tellSelectionChanged()
{
    if (m_delegate)
        m_delegate->selectionChanged(this);
}

void GradientSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF track = draggableRect();
    const QSize knob = knobSize();
    const QRect strip(int(track.x()), int(track.y()) - knob.height() / 2 + 3, int(track.width()), knob.height() - 6);
    // A checkerboard behind, so that translucent stops show as such.
    painter.save();
    painter.setClipRect(strip);
    const int cell = 5;
    for (int y = strip.top(), row = 0; y <= strip.bottom(); y += cell, ++row) {
        for (int x = strip.left(), column = 0; x <= strip.right(); x += cell, ++column)
            painter.fillRect(x, y, cell, cell, (row + column) % 2 ? QColor(204, 204, 204) : Qt::white);
    }
    if (!m_ratioColors.isEmpty()) {
        QLinearGradient gradient(strip.topLeft(), strip.topRight());
        for (const RatioColorPtr &stop : m_ratioColors)
            gradient.setColorAt(std::clamp(double(stop->ratio()), 0.0, 1.0), stop->color().toQColor());
        painter.fillRect(strip, gradient);
    }
    painter.restore();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(strip.adjusted(0, 0, -1, -1));
}

void GradientSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    setSelection(nullptr);
    const QPointF point = event->position();
    // The front-most knob under the pointer wins.
    for (auto it = m_knobs.crbegin(); it != m_knobs.crend(); ++it) {
        if ((*it)->geometry().contains(point.toPoint())) {
            setSelection(*it);
            break;
        }
    }
    if (!m_selectedKnob) {
        auto stop = std::make_shared<RatioColor>(ratioOfPoint(point), RGBAColor{0, 0, 0, 1});
        addRatioColor(stop);
        setSelection(knobWithRatioColor(stop));
        updateLayout();
        tellColorsChanged();
    }
    updateLayout();
    tellSelectionChanged();
}

void GradientSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selectedKnob || !(event->buttons() & Qt::LeftButton))
        return;
    if (isDragToRemoveArea(event->position()))
        QM_DEBUG(QStringLiteral("removing ratio"));
    else
        m_selectedRatioColor->setRatio(ratioOfPoint(event->position()));
    updateLayout();
    tellColorsChanged();
}

void GradientSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_selectedKnob || !isDragToRemoveArea(event->position()))
        return;
    // A gradient needs two stops: the last two stay.
    if (m_ratioColors.size() <= kFewestStops) {
        updateLayout();
        return;
    }
    QM_DEBUG(QStringLiteral("do remove ratio"));
    removeRatioColor(m_selectedRatioColor);
    tellColorsChanged();
}

void GradientSlider::keyPressEvent(QKeyEvent *event)
{
    const bool left = event->key() == Qt::Key_Left;
    if ((!left && event->key() != Qt::Key_Right) || !m_selectedRatioColor) {
        QWidget::keyPressEvent(event);
        return;
    }
    const float step = (event->modifiers() & Qt::ShiftModifier) ? 0.1f : 0.01f;
    m_selectedRatioColor->setRatio(std::clamp(m_selectedRatioColor->ratio() + (left ? -step : step), 0.0f, 1.0f));
    updateLayout();
    tellColorsChanged();
}

void GradientSlider::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateLayout();
}

void GradientSlider::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    updateColors();
}

void GradientSlider::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    updateColors();
}

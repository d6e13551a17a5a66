#include "SegmentedControl.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QToolTip>

SegmentedControl::SegmentedControl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

SegmentedControl::~SegmentedControl() = default;

void SegmentedControl::setSegmentCount(int count)
{
    m_segments.resize(qMax(0, count));
    if (m_lastSelected >= count)
        m_lastSelected = -1;
    m_focused = qBound(0, m_focused, qMax(0, count - 1));
    updateGeometry();
    update();
}

QString SegmentedControl::labelForSegment(int segment) const
{
    return segment >= 0 && segment < m_segments.size() ? m_segments[segment].label : QString();
}

void SegmentedControl::setLabel(const QString &label, int segment)
{
    if (segment < 0 || segment >= m_segments.size())
        return;
    m_segments[segment].label = label;
    updateGeometry();
    update();
}

QIcon SegmentedControl::imageForSegment(int segment) const
{
    return segment >= 0 && segment < m_segments.size() ? m_segments[segment].image : QIcon();
}

void SegmentedControl::setImage(const QIcon &image, int segment)
{
    if (segment < 0 || segment >= m_segments.size())
        return;
    m_segments[segment].image = image;
    updateGeometry();
    update();
}

double SegmentedControl::widthForSegment(int segment) const
{
    return segment >= 0 && segment < m_segments.size() ? m_segments[segment].width : 0.0;
}

void SegmentedControl::setWidth(double width, int segment)
{
    if (segment < 0 || segment >= m_segments.size())
        return;
    m_segments[segment].width = qMax(0.0, width);
    updateGeometry();
    update();
}

QString SegmentedControl::toolTipForSegment(int segment) const
{
    return segment >= 0 && segment < m_segments.size() ? m_segments[segment].toolTip : QString();
}

void SegmentedControl::setToolTip(const QString &toolTip, int segment)
{
    if (segment >= 0 && segment < m_segments.size())
        m_segments[segment].toolTip = toolTip;
}

bool SegmentedControl::isEnabledForSegment(int segment) const
{
    return segment >= 0 && segment < m_segments.size() && m_segments[segment].enabled;
}

void SegmentedControl::setEnabled(bool enabled, int segment)
{
    if (segment < 0 || segment >= m_segments.size())
        return;
    m_segments[segment].enabled = enabled;
    update();
}

int SegmentedControl::selectedSegment() const
{
    // A momentary control answers the segment last clicked.
    if (m_trackingMode == TrackingMode::Momentary)
        return m_lastSelected;
    if (m_lastSelected >= 0 && m_lastSelected < m_segments.size() && m_segments[m_lastSelected].selected)
        return m_lastSelected;
    for (int i = 0; i < m_segments.size(); ++i) {
        if (m_segments[i].selected)
            return i;
    }
    return -1;
}

void SegmentedControl::setSelectedSegment(int segment)
{
    if (segment < 0 || segment >= m_segments.size()) {
        for (Segment &s : m_segments)
            s.selected = false;
        m_lastSelected = -1;
        update();
        return;
    }
    setSelected(true, segment);
}

bool SegmentedControl::isSelectedForSegment(int segment) const
{
    return segment >= 0 && segment < m_segments.size() && m_segments[segment].selected;
}

void SegmentedControl::setSelected(bool selected, int segment)
{
    if (segment < 0 || segment >= m_segments.size())
        return;
    if (selected && m_trackingMode != TrackingMode::SelectAny) {
        for (Segment &s : m_segments)
            s.selected = false;
    }
    m_segments[segment].selected = selected;
    if (selected)
        m_lastSelected = segment;
    update();
}

double SegmentedControl::contentWidthForSegment(int segment) const
{
    if (segment < 0 || segment >= m_segments.size())
        return 0.0;
    const Segment &s = m_segments[segment];
    double width = 0.0;
    if (!s.image.isNull())
        width += 16.0;
    if (!s.label.isEmpty())
        width += fontMetrics().horizontalAdvance(s.label) + (s.image.isNull() ? 0.0 : 4.0);
    return width;
}

double SegmentedControl::layoutWidthForSegment(int segment) const
{
    const double set = widthForSegment(segment);
    return set > 0.0 ? set : contentWidthForSegment(segment) + 16.0;
}

QRect SegmentedControl::rectForSegment(int segment) const
{
    double x = 0.0;
    for (int i = 0; i < segment; ++i)
        x += layoutWidthForSegment(i);
    return QRect(qRound(x), 0, qRound(layoutWidthForSegment(segment)), height());
}

QSize SegmentedControl::sizeHint() const
{
    double width = 0.0;
    for (int i = 0; i < m_segments.size(); ++i)
        width += layoutWidthForSegment(i);
    return QSize(qMax(1, qRound(width)), qMax(22, fontMetrics().height() + 8));
}

int SegmentedControl::segmentAt(const QPoint &point) const
{
    for (int i = 0; i < m_segments.size(); ++i) {
        if (rectForSegment(i).contains(point))
            return i;
    }
    return -1;
}

void SegmentedControl::drawSegment(QPainter &painter, int segment, const QRect &rect)
{
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = rect;
    option.state = QStyle::State_None;
    if (isEnabled() && isEnabledForSegment(segment))
        option.state |= QStyle::State_Enabled;
    if (isSelectedForSegment(segment) || segment == m_pressed)
        option.state |= QStyle::State_On | QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    if (hasFocus() && segment == m_focused)
        option.state |= QStyle::State_HasFocus;
    option.text = labelForSegment(segment);
    option.icon = imageForSegment(segment);
    option.iconSize = QSize(16, 16);
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
}

void SegmentedControl::drawSegments(QPainter &painter)
{
    for (int i = 0; i < m_segments.size(); ++i)
        drawSegment(painter, i, rectForSegment(i));
}

void SegmentedControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawSegments(painter);
}

void SegmentedControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int segment = segmentAt(event->position().toPoint());
    if (segment >= 0 && isEnabledForSegment(segment)) {
        m_pressed = segment;
        m_focused = segment;
        update();
    }
}

void SegmentedControl::mouseReleaseEvent(QMouseEvent *event)
{
    const int pressed = m_pressed;
    m_pressed = -1;
    update();
    if (pressed >= 0 && segmentAt(event->position().toPoint()) == pressed)
        click(pressed);
}

void SegmentedControl::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        m_focused = qMax(0, m_focused - 1);
        update();
        break;
    case Qt::Key_Right:
        m_focused = qMin(int(m_segments.size()) - 1, m_focused + 1);
        update();
        break;
    case Qt::Key_Space:
        if (isEnabledForSegment(m_focused))
            click(m_focused);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool SegmentedControl::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = toolTipForSegment(segmentAt(help->pos()));
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, this);
            return true;
        }
    }
    return QWidget::event(event);
}

void SegmentedControl::click(int segment)
{
    switch (m_trackingMode) {
    case TrackingMode::SelectOne:
        setSelected(true, segment);
        break;
    case TrackingMode::SelectAny:
        setSelected(!isSelectedForSegment(segment), segment);
        break;
    case TrackingMode::Momentary:
        m_lastSelected = segment;
        break;
    }
    Q_EMIT activated();
}

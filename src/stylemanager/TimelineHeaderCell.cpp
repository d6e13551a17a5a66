#include "TimelineHeaderCell.h"

#include "platform/kit/DesktopColors.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

TimelineHeaderCell::TimelineHeaderCell(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
}

TimelineHeaderCell::~TimelineHeaderCell() = default;

QSize TimelineHeaderCell::sizeHint() const
{
    return QSize(QHeaderView::sizeHint().width(), 22);
}

QColor TimelineHeaderCell::rulerColor() const
{
    return DesktopColors::adapted(QColor::fromRgbF(155 / 255.0, 155 / 255.0, 155 / 255.0), palette());
}

QColor TimelineHeaderCell::backgroundColor() const
{
    return DesktopColors::adapted(Qt::white, palette());
}

QColor TimelineHeaderCell::separatorColor() const
{
    return DesktopColors::adapted(QColor(Qt::lightGray), palette());
}

QRect TimelineHeaderCell::timelineSectionRect() const
{
    if (count() < 2)
        return {};
    return QRect(sectionViewportPosition(1), 0, sectionSize(1), height());
}

QList<TimelineHeaderCell::Tick> TimelineHeaderCell::ticks(double x, double w, double h, double digitWidth)
{
    const int n = w > 200 ? 100 : 20;
    const int start = int(x + 10);
    const int span = int(w - 20);
    const int major = int(0.5 * n);
    const int decade = n / 10;
    const int minor = n / 20;
    QList<Tick> list;
    list.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        Tick tick;
        tick.x = int(std::floor(double(span) * i / n + start));
        double length = 0.2 * h;
        if (i % major == 0)
            length = h;
        else if (i % decade == 0)
            length = 0.6 * h;
        else if (i % minor == 0)
            length = 0.4 * h;
        tick.length = int(length);
        if (i % decade == 0)
            tick.label = QString::number(w > 200 ? i : (i / decade) * 10);
        list.append(tick);
    }
    // A label stands left of its tick. Where the tenths lie too close for
    // their labels, every second or fifth keeps its label, so that no two run
    // together ("8090100").
    const auto leftEdge = [](const Tick &tick) { return tick.x - 5.0 * tick.label.size() - 3; };
    constexpr double kLabelGap = 3;
    for (const int step : {1, 2, 5, 10}) {
        bool apart = true;
        const Tick *previous = nullptr;
        for (int i = 0; i <= n && apart; i += decade * step) {
            const Tick &tick = list.at(i);
            if (previous)
                apart = leftEdge(*previous) + digitWidth * previous->label.size() + kLabelGap <= leftEdge(tick);
            previous = &tick;
        }
        if (!apart && step != 10)
            continue;
        for (int i = 0; i <= n; ++i) {
            if (i % (decade * step) != 0)
                list[i].label.clear();
        }
        break;
    }
    return list;
}

void TimelineHeaderCell::paintEvent(QPaintEvent *event)
{
    QHeaderView::paintEvent(event);
    QPainter painter(viewport());
    drawBackground(painter, viewport()->rect());
    drawTicks(painter, viewport()->rect());
}

void TimelineHeaderCell::drawBackground(QPainter &painter, const QRect &rect)
{
    const int h = rect.height();
    painter.fillRect(rect, backgroundColor());
    const QRect column = timelineSectionRect();
    if (column.isValid())
        painter.fillRect(QRect(column.x() - 1, 0, 1, h), separatorColor());
    painter.fillRect(QRect(0, h - 1, rect.width(), 1), rulerColor());
}

void TimelineHeaderCell::drawTicks(QPainter &painter, const QRect &rect)
{
    const QRect column = timelineSectionRect();
    if (!column.isValid())
        return;
    const int h = rect.height();
    QFont font(QStringLiteral("Menlo"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(9);
    painter.setFont(font);
    painter.setPen(rulerColor());
    for (const Tick &tick : ticks(column.x(), column.width(), h, QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')))) {
        // A one-point line centred half a point left of x: the pixel column before it.
        painter.fillRect(QRect(tick.x - 1, h - tick.length, 1, tick.length), rulerColor());
        if (!tick.label.isEmpty())
            painter.drawText(QPointF(tick.x - 5 * tick.label.size() - 3, 10), tick.label);
    }
}

#include "PathControl.h"

#include "PathCell.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>

namespace {
constexpr int s_separatorWidth = 14;
constexpr int s_margin = 4;
}

PathControl::PathControl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

PathControl::~PathControl() = default;

void PathControl::setPathComponentCells(std::vector<std::shared_ptr<PathCell>> cells)
{
    m_cells = std::move(cells);
    m_clicked = nullptr;
    m_pressed = -1;
    m_focused = m_cells.empty() ? -1 : int(m_cells.size()) - 1;
    updateGeometry();
    update();
}

QList<int> PathControl::cellWidths() const
{
    QList<int> widths;
    QList<int> least;
    int total = 0;
    for (const auto &cell : m_cells) {
        widths.append(cell ? cell->cellSize().width() : 0);
        least.append(cell ? std::min(widths.back(), cell->leastWidth()) : 0);
        total += widths.back();
    }
    if (widths.isEmpty())
        return widths;
    total += (int(widths.size()) - 1) * s_separatorWidth;
    const int room = width() - 2 * s_margin;
    // The outer cells give way first, each down to its image; then the
    // ones between the first and the last leave the bar with their
    // separators, and then the first; the last one only once the others
    // have.
    for (qsizetype i = 0; i + 1 < widths.size() && total > room; ++i) {
        const int given = std::min(total - room, widths[i] - least[i]);
        widths[i] -= given;
        total -= given;
    }
    for (qsizetype i = 1; i < widths.size() && total > room; ++i) {
        const qsizetype leaving = i + 1 < widths.size() ? i : 0;
        total -= widths[leaving] + s_separatorWidth;
        widths[leaving] = 0;
    }
    if (total > room)
        widths.back() = std::max(least.back(), widths.back() - (total - room));
    return widths;
}

QRect PathControl::rectForCell(int index) const
{
    // A cell without width has left the bar, and its separator with it.
    const QList<int> widths = cellWidths();
    int x = s_margin;
    for (int i = 0; i < widths.size(); ++i) {
        if (i == index)
            return widths[i] > 0 ? QRect(x, 0, widths[i], height()) : QRect();
        if (widths[i] > 0)
            x += widths[i] + s_separatorWidth;
    }
    return {};
}

QString PathControl::shownTitle(int index) const
{
    const QRect frame = rectForCell(index);
    if (frame.isNull() || !m_cells[size_t(index)])
        return {};
    return m_cells[size_t(index)]->shownTitle(frame);
}

bool PathControl::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // A cell cut short reads whole in its tool tip, and where cells have
    // left the bar, the whole path does.
    auto *help = static_cast<QHelpEvent *>(event);
    const int index = cellAt(help->pos());
    QString tip;
    if (index >= 0) {
        QStringList titles;
        bool left = false;
        for (int i = 0; i < int(m_cells.size()); ++i) {
            titles.append(m_cells[size_t(i)] ? m_cells[size_t(i)]->title() : QString());
            left = left || rectForCell(i).isNull();
        }
        if (left)
            tip = titles.join(QStringLiteral(" \u203A "));
        else if (shownTitle(index) != titles.value(index))
            tip = titles.value(index);
    }
    if (!tip.isEmpty())
        QToolTip::showText(help->globalPos(), tip, this, rectForCell(index));
    else if (toolTip().isEmpty())
        QToolTip::hideText();
    else
        return QWidget::event(event);
    return true;
}

int PathControl::cellAt(const QPoint &point) const
{
    for (int i = 0; i < int(m_cells.size()); ++i) {
        if (rectForCell(i).contains(point))
            return i;
    }
    return -1;
}

QSize PathControl::sizeHint() const
{
    int width = 2 * s_margin;
    int height = fontMetrics().height() + 6;
    for (const auto &cell : m_cells) {
        if (!cell)
            continue;
        const QSize size = cell->cellSize();
        width += size.width() + s_separatorWidth;
        height = qMax(height, size.height() + 4);
    }
    return QSize(width, height);
}

QSize PathControl::minimumSizeHint() const
{
    return QSize(2 * s_margin, sizeHint().height());
}

void PathControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor text = palette().color(QPalette::WindowText);
    for (int i = 0; i < int(m_cells.size()); ++i) {
        const QRect frame = rectForCell(i);
        if (frame.isNull())
            continue;
        if (frame.left() > width())
            break;
        if (i == m_pressed)
            painter.fillRect(frame.adjusted(-2, 2, 2, -2), palette().color(QPalette::Midlight));
        if (m_cells[size_t(i)])
            m_cells[size_t(i)]->drawWithFrame(painter, frame, text);
        if (hasFocus() && i == m_focused) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = frame.adjusted(-2, 1, 2, -1);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
        if (i + 1 < int(m_cells.size())) {
            QColor separator = text;
            separator.setAlphaF(0.5f);
            painter.setPen(separator);
            painter.drawText(QRect(frame.right() + 1, 0, s_separatorWidth, height()), Qt::AlignCenter,
                             QStringLiteral("\u203A"));
        }
    }
}

void PathControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = cellAt(event->position().toPoint());
    update();
}

void PathControl::mouseReleaseEvent(QMouseEvent *event)
{
    const int pressed = m_pressed;
    m_pressed = -1;
    update();
    if (pressed >= 0 && cellAt(event->position().toPoint()) == pressed)
        sendAction(pressed);
}

void PathControl::keyPressEvent(QKeyEvent *event)
{
    if (m_cells.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        m_focused = qMax(0, m_focused - 1);
        update();
        break;
    case Qt::Key_Right:
        m_focused = qMin(int(m_cells.size()) - 1, m_focused + 1);
        update();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_focused >= 0)
            sendAction(m_focused);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PathControl::sendAction(int index)
{
    if (index < 0 || index >= int(m_cells.size()))
        return;
    // The cell stays alive through the action even if the action replaces
    // the cells.
    std::shared_ptr<PathCell> keep = m_cells[size_t(index)];
    m_clicked = keep.get();
    Q_EMIT activated();
    m_clicked = nullptr;
}

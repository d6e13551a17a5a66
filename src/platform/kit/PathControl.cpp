#include "PathControl.h"

#include "PathCell.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

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

QRect PathControl::rectForCell(int index) const
{
    int x = s_margin;
    for (int i = 0; i < int(m_cells.size()); ++i) {
        const int width = m_cells[size_t(i)] ? m_cells[size_t(i)]->cellSize().width() : 0;
        if (i == index)
            return QRect(x, 0, width, height());
        x += width + s_separatorWidth;
    }
    return {};
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

#include "ViewRBLAlignmentAdditions.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace ViewRBLAlignmentAdditions {

namespace {

enum class EdgeSide { Min, Max };

// Inward is up for a minimum edge and down for a maximum one.
qreal alignEdge(qreal value, AlignEdge edge, EdgeSide side)
{
    if (edge == AlignEdge::Nearest)
        return std::floor(value + 0.5);
    const bool up = (edge == AlignEdge::Inward) == (side == EdgeSide::Min);
    return up ? std::ceil(value) : std::floor(value);
}

} // namespace

QRectF backingAlignedRect(const QRectF &rect, qreal scale, AlignmentOptions options)
{
    if (scale <= 0)
        scale = 1.0;
    const QRectF r = rect.normalized();
    const qreal minX = alignEdge(r.left() * scale, options.minX, EdgeSide::Min);
    const qreal minY = alignEdge(r.top() * scale, options.minY, EdgeSide::Min);
    // An edge moved inward past the other one leaves an empty rectangle.
    const qreal maxX = std::max(minX, alignEdge(r.right() * scale, options.maxX, EdgeSide::Max));
    const qreal maxY = std::max(minY, alignEdge(r.bottom() * scale, options.maxY, EdgeSide::Max));
    return QRectF(QPointF(minX / scale, minY / scale), QPointF(maxX / scale, maxY / scale));
}

QRectF rbl_viewBackingAlignedRect(const QWidget *view, const QRectF &rect, AlignmentOptions options)
{
    if (view && view->window()->windowHandle()) {
        const QWidget *window = view->window();
        const QPointF offset = view->mapTo(window, QPointF(0, 0));
        const QRectF inWindow = rect.translated(offset);
        return backingAlignedRect(inWindow, window->windowHandle()->devicePixelRatio(), options).translated(-offset);
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    return backingAlignedRect(rect, screen ? screen->devicePixelRatio() : 1.0, options);
}

} // namespace ViewRBLAlignmentAdditions

#include "ViewRBLAlignmentAdditions.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace ViewRBLAlignmentAdditions {

namespace {

qreal alignMinEdge(qreal value, AlignEdge edge)
{
    switch (edge) {
    case AlignEdge::Inward:
        return std::ceil(value);
    case AlignEdge::Outward:
        return std::floor(value);
    case AlignEdge::Nearest:
        break;
    }
    return std::floor(value + 0.5);
}

qreal alignMaxEdge(qreal value, AlignEdge edge)
{
    switch (edge) {
    case AlignEdge::Inward:
        return std::floor(value);
    case AlignEdge::Outward:
        return std::ceil(value);
    case AlignEdge::Nearest:
        break;
    }
    return std::floor(value + 0.5);
}

} // namespace

QRectF backingAlignedRect(const QRectF &rect, qreal scale, AlignmentOptions options)
{
    if (scale <= 0)
        scale = 1.0;
    const QRectF r = rect.normalized();
    const qreal minX = alignMinEdge(r.left() * scale, options.minX);
    const qreal minY = alignMinEdge(r.top() * scale, options.minY);
    // An edge moved inward past the other one leaves an empty rectangle.
    const qreal maxX = std::max(minX, alignMaxEdge(r.right() * scale, options.maxX));
    const qreal maxY = std::max(minY, alignMaxEdge(r.bottom() * scale, options.maxY));
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

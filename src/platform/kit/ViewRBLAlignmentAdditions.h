#pragma once

#include <QRectF>

class QWidget;

// Rectangles lined up with the device pixels a widget is drawn on, so that
// lines and fills end on whole pixels at any scale factor.
namespace ViewRBLAlignmentAdditions {

// Which way an edge moves to the nearest device pixel.
enum class AlignEdge { Inward, Outward, Nearest };

struct AlignmentOptions
{
    AlignEdge minX = AlignEdge::Nearest;
    AlignEdge minY = AlignEdge::Nearest;
    AlignEdge maxX = AlignEdge::Nearest;
    AlignEdge maxY = AlignEdge::Nearest;

    static constexpr AlignmentOptions allEdges(AlignEdge edge) { return {edge, edge, edge, edge}; }
};

// `rect` in the widget's coordinates, its edges moved onto device pixels.
// A widget shown in a window is aligned in the window's coordinates at the
// window's scale factor (a widget's offset in its window need not be whole
// device pixels); otherwise in its own coordinates at the primary screen's.
QRectF rbl_viewBackingAlignedRect(const QWidget *view, const QRectF &rect, AlignmentOptions options);

// The alignment itself: `rect` scaled by `scale`, its edges made whole, and
// scaled back.
QRectF backingAlignedRect(const QRectF &rect, qreal scale, AlignmentOptions options);

} // namespace ViewRBLAlignmentAdditions

#pragma once

#include <QtGlobal>

// A side of a rectangle as the popover kit numbers it. The numbers are the
// desktop kit's; the names say where the side is on screen.
enum class RectEdge : quint32 {
    Left = 0,  // left of the rectangle
    Below = 1, // below it
    Right = 2, // right of it
    Above = 3, // above it
};

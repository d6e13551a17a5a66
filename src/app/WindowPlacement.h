#pragma once

#include <QList>
#include <QRect>

#include <functional>

class QScreen;
class QWidget;

// Places top-level windows by their decorated frames: the window with the
// title bar and borders the window system draws around it, which is what
// must lie on the screen for the title bar to be grabbed. The window system
// tells the size of that decoration only once it has put it around a shown
// window.
namespace WindowPlacement {

// The frame moved, and shrunk where it is larger, to lie within the area.
QRect fitted(const QRect &frame, const QRect &area);

// Frames that stood together (windows side by side, or one over another)
// moved and shrunk as a group to lie within the area, keeping their
// arrangement: windows that stood side by side still do, in their order,
// and none comes to cover another. Where the group is too large for the
// area, the longest stretches shrink first, so that a narrow panel beside
// a large window keeps its width while the large one gives up the rest.
// Windows that share no stretch of one axis (side by side, for the vertical
// one) are fitted along it each on its own. Answers the frames in the
// order given.
QList<QRect> fittedTogether(const QList<QRect> &frames, const QRect &area);

// The screen of that geometry when it is still there, else null.
QScreen *screenWithGeometry(const QRect &geometry);

// The window's frame with its decoration; its own geometry until the
// window system has told its decoration.
QRect decoratedFrame(const QWidget *window);

// The geometry that gives the window the decorated frame `frame`, with the
// decoration it has now.
QRect insideDecoration(const QWidget *window, const QRect &frame);

// Gives the window the decorated frame `frame`. A window not yet decorated
// is placed by its frame's corner and sized again once it is first shown
// on the screen, when its decoration is known.
void place(QWidget *window, const QRect &frame);

// Runs `then` once the window stands at the frame place() gave it: at once,
// unless the window waits for its decoration, then right after it has been
// sized with it.
void whenPlaced(QWidget *window, std::function<void()> then);

} // namespace WindowPlacement

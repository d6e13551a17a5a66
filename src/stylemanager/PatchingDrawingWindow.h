#pragma once

#include <QRect>
#include <QWidget>

// The overlay of a class-patching drag: a frameless, see-through window over
// the whole screen, above every other window, that never takes the pointer
// or the keyboard. Its content is a PatchingDrawingView.
class PatchingDrawingWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PatchingDrawingWindow(const QRect &screenFrame);
};

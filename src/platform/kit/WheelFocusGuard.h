#pragma once

class QWidget;

// Keeps the mouse wheel from changing a value the user did not choose to
// edit: under a guarded widget, a combo box, spin box or slider takes the
// wheel only while it has the keyboard focus (a click or Tab gave it);
// otherwise the wheel scrolls what scrolls around it, and never gives the
// control the focus. One event filter on the application serves every
// guarded panel and popover; controls made later under them are guarded too.
namespace WheelFocusGuard {

// Guards everything under root, root included.
void guard(QWidget *root);
// Whether the widget is under a guarded one.
bool isGuarded(const QWidget *widget);

} // namespace WheelFocusGuard

#pragma once

class QWidget;

// Operations on every view.
namespace ViewUtils {

// Enables or disables the controls among a view's descendants, at any depth,
// and redraws every descendant. Plain container views are walked through but
// keep their own state.
void setSubViewsEnabled(QWidget *view, bool enabled);
void disableSubViews(QWidget *view);
void enableSubViews(QWidget *view);

// Whether a widget is a control (something the user works with), as opposed
// to a view that only holds others.
bool isControl(const QWidget *widget);

} // namespace ViewUtils

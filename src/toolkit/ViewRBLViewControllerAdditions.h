#pragma once

class QWidget;
class ViewController;

// The view controller attached to a view. While the controller is an
// RBLViewController it is told of its view's lifecycle: being shown and
// hidden, and moving into a parent (and so a window) or out of it.
namespace ViewRBLViewControllerAdditions {

ViewController *rbl_viewController(const QWidget *view);
// Replaces any controller the view had; null detaches it. The controller is
// not owned.
void rbl_setViewController(QWidget *view, ViewController *controller);

} // namespace ViewRBLViewControllerAdditions

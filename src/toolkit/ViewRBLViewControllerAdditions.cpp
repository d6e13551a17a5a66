#include "ViewRBLViewControllerAdditions.h"

#include "RBLViewController.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace ViewRBLViewControllerAdditions {

namespace {

// Watches a view for its controller: the hooks the kit installs on a view
// that has a controller.
class Hooks : public QObject
{
public:
    Hooks(QWidget *view, ViewController *controller)
        : QObject(view)
        , m_view(view)
        , m_controller(controller)
    {
        view->installEventFilter(this);
    }

    ViewController *controller() const { return m_controller; }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_view)
            return false;
        auto *controller = qobject_cast<RBLViewController *>(m_controller.data());
        if (!controller)
            return false;
        switch (event->type()) {
        case QEvent::ParentAboutToChange:
            if (m_view->parentWidget()) {
                controller->viewWillBeRemovedFromSuperview();
                controller->viewWillBeRemovedFromWindow();
                if (m_view->isVisible())
                    controller->viewWillDisappear();
            }
            break;
        case QEvent::ParentChange:
            if (QWidget *parent = m_view->parentWidget()) {
                controller->viewWillMoveToSuperview(parent);
                controller->viewWillMoveToWindow(parent->window());
                controller->viewDidMoveToSuperview();
                controller->viewDidMoveToWindow();
                if (m_view->isVisible())
                    controller->viewDidAppear();
            } else {
                controller->viewWasRemovedFromSuperview();
                controller->viewWasRemovedFromWindow();
                if (!m_view->isVisible())
                    controller->viewDidDisappear();
            }
            break;
        case QEvent::Show:
            controller->viewWillAppear();
            // Shown once the event has been handled.
            QTimer::singleShot(0, controller, [controller, view = m_view] {
                if (view && view->isVisible())
                    controller->viewDidAppear();
            });
            break;
        case QEvent::Hide:
            controller->viewWillDisappear();
            controller->viewDidDisappear();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QPointer<QWidget> m_view;
    QPointer<ViewController> m_controller;
};

Hooks *hooksOf(const QWidget *view)
{
    return view ? view->findChild<Hooks *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

} // namespace

ViewController *rbl_viewController(const QWidget *view)
{
    Hooks *hooks = hooksOf(view);
    return hooks ? hooks->controller() : nullptr;
}

void rbl_setViewController(QWidget *view, ViewController *controller)
{
    if (!view)
        return;
    // One controller per view: the old one leaves before the new one comes.
    delete hooksOf(view);
    if (controller)
        new Hooks(view, controller);
}

} // namespace ViewRBLViewControllerAdditions

#include "WheelFocusGuard.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QScrollBar>
#include <QSlider>
#include <QWheelEvent>

namespace {

const char *const kGuarded = "quillmarkWheelGuarded";

// The control a wheel over the widget would change: the widget or, for the
// line edit inside a spin box or combo box, its parent. Scroll bars scroll,
// and are none.
QWidget *valueControlOf(QWidget *widget)
{
    for (int level = 0; widget && level < 2; ++level, widget = widget->parentWidget()) {
        if (qobject_cast<QScrollBar *>(widget))
            return nullptr;
        if (qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)
            || qobject_cast<QAbstractSlider *>(widget))
            return widget;
        if (widget->isWindow())
            return nullptr;
    }
    return nullptr;
}

bool hasKeyboard(const QWidget *control)
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == control || control->isAncestorOf(focus));
}

// A wheel never gives a guarded control the focus: only a click or Tab does.
void keepWheelFromFocusing(QWidget *control)
{
    if (control->focusPolicy() == Qt::WheelFocus)
        control->setFocusPolicy(Qt::StrongFocus);
}

class Filter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel && event->type() != QEvent::Polish)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        QWidget *control = widget ? valueControlOf(widget) : nullptr;
        if (!control || !WheelFocusGuard::isGuarded(control))
            return false;
        keepWheelFromFocusing(control);
        if (event->type() == QEvent::Polish || hasKeyboard(control))
            return false;
        // To what scrolls around the control, as if the control were not there.
        auto *wheel = static_cast<QWheelEvent *>(event);
        for (QWidget *up = control->parentWidget(); up; up = up->parentWidget()) {
            auto *area = qobject_cast<QAbstractScrollArea *>(up);
            if (!area || !area->viewport())
                continue;
            const QPointF at = area->viewport()->mapFromGlobal(wheel->globalPosition());
            QWheelEvent passed(at, wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(),
                               wheel->modifiers(), wheel->phase(), wheel->inverted(), wheel->source());
            QCoreApplication::sendEvent(area->viewport(), &passed);
            break;
        }
        event->accept();
        return true;
    }
};

void installFilter()
{
    static QPointer<Filter> filter;
    if (!filter && qApp) {
        filter = new Filter(qApp);
        qApp->installEventFilter(filter);
    }
}

} // namespace

namespace WheelFocusGuard {

void guard(QWidget *root)
{
    if (!root)
        return;
    installFilter();
    root->setProperty(kGuarded, true);
    for (QWidget *child : root->findChildren<QWidget *>()) {
        if (valueControlOf(child) == child)
            keepWheelFromFocusing(child);
    }
}

bool isGuarded(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget->property(kGuarded).toBool())
            return true;
    }
    return false;
}

} // namespace WheelFocusGuard

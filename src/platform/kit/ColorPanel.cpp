#include "ColorPanel.h"

#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QPoint>
#include <QScopedValueRollback>

#include <utility>

ColorPanel &ColorPanel::sharedColorPanel()
{
    static ColorPanel *panel = new ColorPanel; // Lives as long as the program.
    return *panel;
}

QColorDialog *ColorPanel::dialog()
{
    if (!m_dialog) {
        m_dialog = new QColorDialog;
        m_dialog->setObjectName(QStringLiteral("sharedColorPanel"));
        m_dialog->setWindowTitle(QStringLiteral("Colors"));
        m_dialog->setOptions(QColorDialog::DontUseNativeDialog | QColorDialog::ShowAlphaChannel
                             | QColorDialog::NoButtons);
        m_dialog->setModal(false);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        m_dialog->setWindowFlag(Qt::Tool, true);
        // Showing it leaves the keyboard where it is (a code view typing a
        // colour); a click in it makes it the active window.
        m_dialog->setAttribute(Qt::WA_ShowWithoutActivating, true);
        connect(m_dialog, &QColorDialog::currentColorChanged, this, [this](const QColor &color) {
            if (m_settingColor)
                return;
            m_choosing = true;
            const QScopedValueRollback<bool> reporting(m_reporting, true);
            if (m_target && m_callback)
                m_callback(color);
            Q_EMIT colorChanged(color);
        });
        // The events that end a choice reach the dialog's own widgets, the
        // one holding the pointer while a colour is picked from the screen
        // among them.
        qApp->installEventFilter(this);
        m_endTimer.setSingleShot(true);
        connect(&m_endTimer, &QTimer::timeout, this, &ColorPanel::endChoice);
    }
    return m_dialog;
}

bool ColorPanel::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonRelease && type != QEvent::KeyPress && type != QEvent::WindowDeactivate
        && type != QEvent::Hide)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!m_dialog || !widget || widget->window() != m_dialog)
        return false;
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape)
            return false;
    } else if (type == QEvent::WindowDeactivate || type == QEvent::Hide) {
        // Left, the panel brings no more colours of the choice: it is made.
        if (widget == m_dialog) {
            m_endTimer.stop();
            endChoice();
        }
        return false;
    }
    endChoiceLater();
    return false;
}

void ColorPanel::endChoiceLater()
{
    if (!m_endTimer.isActive())
        m_endTimer.start(0);
}

void ColorPanel::endChoice()
{
    // A colour still being picked from the screen: the panel holds the
    // pointer until the pick.
    if (m_dialog && QWidget::mouseGrabber() == m_dialog && m_dialog->isVisible())
        return;
    if (std::exchange(m_choosing, false))
        Q_EMIT choiceEnded();
}

void ColorPanel::openForTarget(QObject *target, const QColor &color, Callback callback)
{
    // Whatever the panel was left with, a new target starts a new choice.
    m_endTimer.stop();
    m_choosing = false;
    m_target = target;
    m_callback = target ? std::move(callback) : Callback();
    setColor(color);
    QColorDialog *panel = dialog();
    panel->show();
    panel->raise();
}

void ColorPanel::resignTarget(const QObject *target)
{
    if (m_target == target) {
        m_target = nullptr;
        m_callback = {};
    }
}

void ColorPanel::setColor(const QColor &color)
{
    m_settingColor = true;
    dialog()->setCurrentColor(color.isValid() ? color : QColor(Qt::white));
    m_settingColor = false;
}

QColor ColorPanel::color() const
{
    return m_dialog ? m_dialog->currentColor() : QColor();
}

bool ColorPanel::isVisible() const
{
    return m_dialog && m_dialog->isVisible();
}

void ColorPanel::close()
{
    if (m_dialog)
        m_dialog->hide();
}

bool ColorPanel::containsGlobalPoint(const QPoint &global) const
{
    return isVisible() && m_dialog->frameGeometry().contains(global);
}

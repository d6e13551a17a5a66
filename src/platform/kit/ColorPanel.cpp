#include "ColorPanel.h"

#include <QColorDialog>
#include <QPoint>

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
            if (m_target && m_callback)
                m_callback(color);
            Q_EMIT colorChanged(color);
        });
    }
    return m_dialog;
}

void ColorPanel::openForTarget(QObject *target, const QColor &color, Callback callback)
{
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

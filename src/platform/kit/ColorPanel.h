#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

#include <functional>

class QColorDialog;
class QPoint;

// The shared colour panel: one modeless colour dialog for the whole program
// (alpha shown, no OK or Cancel buttons), made on first use. It reports each
// colour the user picks to the target that opened it last, through that
// target's callback, and to everyone through colorChanged(). A target that is
// destroyed stops receiving without further ado.
//
//   ColorPanel::sharedColorPanel().openForTarget(this, color,
//       [this](const QColor &picked) { ... });
class ColorPanel : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(const QColor &)>;

    static ColorPanel &sharedColorPanel();

    // Shows the panel (raised, not modal) with the colour and makes the
    // target the one that receives the picks.
    void openForTarget(QObject *target, const QColor &color, Callback callback);
    // The current receiver, or null.
    QObject *target() const { return m_target; }
    // Forgets the target when it is the one that opened the panel last.
    void resignTarget(const QObject *target);

    // Shows a colour without reporting it.
    void setColor(const QColor &color);
    QColor color() const;

    bool isVisible() const;
    void close();
    // The panel's window holds the point (global coordinates), when shown.
    bool containsGlobalPoint(const QPoint &global) const;
    // The dialog; made when first asked for.
    QColorDialog *dialog();

Q_SIGNALS:
    // The user picked a colour in the panel.
    void colorChanged(const QColor &color);

private:
    ColorPanel() = default;

    QPointer<QColorDialog> m_dialog;
    QPointer<QObject> m_target;
    Callback m_callback;
    // Set while the panel shows a colour given by the program.
    bool m_settingColor = false;
};

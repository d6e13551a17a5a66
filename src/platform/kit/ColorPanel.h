#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QColorDialog;
class QPoint;

// The shared colour panel: one modeless colour dialog for the whole program
// (alpha shown, no OK or Cancel buttons), made on first use. It reports each
// colour the user picks to the target that opened it last, through that
// target's callback, and to everyone through colorChanged(). A target that is
// destroyed stops receiving without further ado.
//
// One choice may pass through several colours (a drag in the colour field,
// the screen's colours under the pointer while picking one, a colour typed
// key by key): the colours reported until choiceEnded() are one choice.
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
    // Whether a colour the user chose in the panel is being reported (the
    // target's callback and colorChanged() are running).
    bool isReporting() const { return m_reporting; }

Q_SIGNALS:
    // The user picked a colour in the panel.
    void colorChanged(const QColor &color);
    // The choice the colours reported since the last one belong to is made:
    // a button let go in the panel, Return or Escape pressed there, or the
    // panel left (deactivated, hidden). Sent once the event has reached its
    // widget, so that a colour it sets belongs to the choice.
    void choiceEnded();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ColorPanel() = default;
    void endChoiceLater();
    void endChoice();

    QPointer<QColorDialog> m_dialog;
    QPointer<QObject> m_target;
    Callback m_callback;
    // Set while the panel shows a colour given by the program.
    bool m_settingColor = false;
    bool m_reporting = false;
    // A colour was reported since the last choice ended.
    bool m_choosing = false;
    // Ends the choice once the event that ended it has been handled.
    QTimer m_endTimer;
};

#pragma once

#include <QFrame>
#include <QPointer>

class QGraphicsOpacityEffect;
class QLabel;
#include <QPropertyAnimation>

// An overlay over an editing panel while the page shown is behind the text of
// a file the panel edits: it covers its whole parent and shows a
// synchronisation symbol in the middle. A click on it posts
// "NeedSaveAndRefresh" (the project controller saves and reloads), and the
// overlay goes at once, passing the click on to the panel below. It fades in
// over 1.8 s and out over 0.25 s.
class BlockSheet : public QFrame
{
    Q_OBJECT

public:
    // Covers the parent and follows its size; starts hidden and inactive.
    explicit BlockSheet(QWidget *parent);
    ~BlockSheet() override;

    bool isActive() const { return m_isActive; }
    // Shows the overlay and starts blocking; a second call while active does
    // not restart the fade.
    void active();
    // Stops blocking and hides the overlay, fading it out when it was active.
    void deactive();

    QLabel *imageView() const { return m_imageView; }
    QPropertyAnimation *anim() const { return m_anim; }

    static constexpr double kFadeInDuration = 1.8;
    static constexpr double kFadeOutDuration = 0.25;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void fade(double from, double to, double seconds);
    void coverParent();
    // Sends the mouse event to the widget that took the click's press.
    void passOn(QMouseEvent *event);

    bool m_isActive = false;
    QLabel *m_imageView = nullptr; // Owned (child).
    QGraphicsOpacityEffect *m_opacity = nullptr; // Owned by the overlay.
    QPointer<QPropertyAnimation> m_anim;
    // The panel's widget a click on the overlay went on to, until its release.
    QPointer<QWidget> m_clickedBelow;
};

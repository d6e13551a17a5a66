#pragma once

#include <QRect>
#include <QVariantAnimation>

class ProgressBar;

// Moves the progress bar to a new frame, fading it out on the way when asked
// (the bar is hidden at the end of a fade and drawn fully opaque again next
// time it is shown). One animation object serves the display; starting it
// again stops the running tween first.
class ProgressAnimation : public QVariantAnimation
{
    Q_OBJECT

public:
    explicit ProgressAnimation(QObject *parent = nullptr);
    ~ProgressAnimation() override;

    // The view animation: the bar (not owned) from where it is now to endFrame.
    void setViewAnimation(ProgressBar *target, const QRect &endFrame, bool fadeOut);
    void setCurrentProgress(qreal progress);

    ProgressBar *target() const { return m_target; }
    QRect endFrame() const { return m_endFrame; }
    bool fadesOut() const { return m_fadeOut; }

protected:
    void updateCurrentValue(const QVariant &value) override;

private:
    ProgressBar *m_target = nullptr; // Not owned.
    QRect m_startFrame;
    QRect m_endFrame;
    bool m_fadeOut = false;
};

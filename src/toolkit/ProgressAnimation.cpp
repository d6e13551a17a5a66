#include "ProgressAnimation.h"

#include "ProgressBar.h"

#include <cmath>

ProgressAnimation::ProgressAnimation(QObject *parent) : QVariantAnimation(parent)
{
    setStartValue(0.0);
    setEndValue(1.0);
    connect(this, &QAbstractAnimation::finished, this, [this] {
        if (m_target && m_fadeOut)
            m_target->hide();
    });
}

ProgressAnimation::~ProgressAnimation() = default;

void ProgressAnimation::setViewAnimation(ProgressBar *target, const QRect &endFrame, bool fadeOut)
{
    m_target = target;
    m_startFrame = target ? target->geometry() : QRect();
    m_endFrame = endFrame;
    m_fadeOut = fadeOut;
}

void ProgressAnimation::setCurrentProgress(qreal progress)
{
    setCurrentTime(int(progress * duration()));
}

void ProgressAnimation::updateCurrentValue(const QVariant &value)
{
    if (!m_target)
        return;
    const qreal t = value.toReal();
    const auto mix = [t](int from, int to) { return int(std::lround(from + (to - from) * t)); };
    m_target->setGeometry(mix(m_startFrame.x(), m_endFrame.x()), mix(m_startFrame.y(), m_endFrame.y()),
                          mix(m_startFrame.width(), m_endFrame.width()),
                          mix(m_startFrame.height(), m_endFrame.height()));
    if (m_fadeOut)
        m_target->setAlphaValue(1.0 - t);
}

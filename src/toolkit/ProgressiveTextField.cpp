#include "ProgressiveTextField.h"

#include "platform/foundation/Log.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QTimer>

ProgressiveTextField::ProgressiveTextField(QWidget *parent) : TextField(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(10);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_step == Step::Fill)
            updateFill();
        else
            updateFill2();
    });
}

ProgressiveTextField::~ProgressiveTextField() = default;

bool ProgressiveTextField::isTimerRunning() const
{
    return m_timer->isActive();
}

void ProgressiveTextField::startTimer(Step step)
{
    m_step = step;
    if (!m_timer->isActive())
        m_timer->start();
}

void ProgressiveTextField::setProgressValue(qint64 value, qint64 resourceFailedCount, qint64 resourceCount)
{
    if (value == 0 && resourceFailedCount == 0 && resourceCount == 0)
        QM_DEBUG(QStringLiteral("start"));
    if (resourceCount != 0) {
        const double percentage = double(value + resourceFailedCount) / double(resourceCount) * 100.0;
        if (percentage < m_target)
            return;
        m_target = percentage;
    } else {
        m_target = 0;
        m_current = 0;
    }
    if (!m_timer->isActive())
        startTimer(Step::Fill);
    // The field fades out over a second and stays faded.
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(this);
        setGraphicsEffect(effect);
    }
    if (m_fadeOut)
        m_fadeOut->stop();
    m_fadeOut = new QPropertyAnimation(effect, "opacity", this);
    m_fadeOut->setObjectName(QStringLiteral("animeFadeOut"));
    m_fadeOut->setDuration(1000);
    m_fadeOut->setStartValue(1.0);
    m_fadeOut->setEndValue(0.0);
    m_fadeOut->start(QAbstractAnimation::DeleteWhenStopped);
}

void ProgressiveTextField::updateFill()
{
    if (m_current <= m_target)
        m_current += (m_target - m_current) * 0.5;
    if (m_current > 99.9) {
        m_current = 100;
        m_step = Step::Decay;
    }
    update();
}

void ProgressiveTextField::updateFill2()
{
    m_current -= m_current * 0.125;
    if (m_current <= 0.01) {
        m_current = 0;
        m_timer->stop();
    }
    update();
}

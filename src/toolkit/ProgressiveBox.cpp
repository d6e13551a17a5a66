#include "ProgressiveBox.h"

#include "ProgressAnimation.h"
#include "ProgressBar.h"

#include <QEasingCurve>
#include <QEvent>

#include <algorithm>

ProgressiveBox::ProgressiveBox(QWidget *parent)
    : QWidget(parent), m_bar(new ProgressBar(this)), m_animation(new ProgressAnimation(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    m_fill2Timer.setSingleShot(true);
    m_fill2Timer.setInterval(600);
    connect(&m_fill2Timer, &QTimer::timeout, this, &ProgressiveBox::updateFill2);
    initBar();
    m_bar->show();
}

ProgressiveBox::~ProgressiveBox() = default;

QRect ProgressiveBox::flipped(const QRectF &frame) const
{
    return QRect(int(frame.x()), int(height() - frame.y() - frame.height()), std::max(0, int(frame.width())),
                 int(frame.height()));
}

void ProgressiveBox::setTextField(QWidget *field)
{
    if (m_textField)
        m_textField->removeEventFilter(this);
    m_textField = field;
    if (!field)
        return;
    field->installEventFilter(this);
    // Laid over the field, the box is as large as it.
    if (parentWidget() == field)
        setGeometry(field->rect());
}

bool ProgressiveBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textField && event->type() == QEvent::Resize && parentWidget() == m_textField)
        setGeometry(m_textField->rect());
    return QWidget::eventFilter(watched, event);
}

void ProgressiveBox::initBar()
{
    m_reached = 0;
    m_finished = false;
    m_animation->stop();
    m_bar->setGeometry(flipped(QRectF(1.0, 4.0, 0, 19.0)));
}

void ProgressiveBox::setProgressValue(qint64 value, qint64 resourceFailedCount, qint64 resourceCount)
{
    if (value == 0 && resourceFailedCount == 0 && resourceCount == 0) {
        initBar();
        m_finished = false;
    }
    if (resourceCount == 0) {
        m_reached = 0;
        return;
    }
    const double percentage = double(value + resourceFailedCount) / double(resourceCount) * 100.0;
    // Within one load the bar never moves back (the total may grow as the
    // page finds more to load).
    if (double(m_reached) > percentage)
        return;
    m_reached = qint64(percentage);
    m_lastPercentage = m_reached;
    m_doneCount = value + resourceFailedCount;
    const qint64 boxWidth = width();
    const qint64 fieldWidth = m_textField ? m_textField->width() : width();
    m_targetWidth = qint64(double(m_reached) * double(fieldWidth) / 100.0);
    m_bar->setValue(m_reached);
    if (m_finished)
        return;
    m_bar->setIsLoading(true);
    m_bar->setAlphaValue(1.0);
    m_bar->show();
    setTweenWidth(m_targetWidth, 1, false);
    if (m_targetWidth == boxWidth) {
        m_bar->setIsLoading(false);
        m_fill2Timer.start();
        m_finished = true;
    }
}

void ProgressiveBox::updateFill2()
{
    m_fill2Timer.stop();
    const qint64 fieldWidth = m_textField ? m_textField->width() : width();
    setTweenWidth(0, qint64(double(fieldWidth) + 1.0), true);
}

void ProgressiveBox::setTweenWidth(qint64 width, qint64 x, bool fadeOut)
{
    m_animation->stop();
    m_animation->setViewAnimation(m_bar, flipped(QRectF(double(x), 3.0, double(width - 2), 20.0)), fadeOut);
    m_animation->setDuration(400);
    m_animation->setEasingCurve(QEasingCurve::InQuad);
    m_animation->start();
}

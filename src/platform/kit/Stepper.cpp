#include "Stepper.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

Stepper::Stepper(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto makeButton = [this, layout](Qt::ArrowType arrow, const QString &name) {
        auto *button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setAutoRaise(true);
        // The stepper itself takes the focus; its arrow keys step.
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(14, 10);
        button->setObjectName(name);
        layout->addWidget(button);
        return button;
    };
    m_up = makeButton(Qt::UpArrow, QStringLiteral("stepUp"));
    m_down = makeButton(Qt::DownArrow, QStringLiteral("stepDown"));
    connect(m_up, &QToolButton::clicked, this, [this] { step(m_increment); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-m_increment); });
}

int Stepper::intValue() const
{
    return int(std::trunc(m_value));
}

void Stepper::setDoubleValue(double value)
{
    m_value = std::clamp(value, m_minValue, m_maxValue);
}

QSize Stepper::sizeHint() const
{
    return QSize(14, 20);
}

void Stepper::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        step(m_increment);
    else if (event->key() == Qt::Key_Down)
        step(-m_increment);
    else
        QWidget::keyPressEvent(event);
}

void Stepper::step(double delta)
{
    if (!isEnabled())
        return;
    setDoubleValue(m_value + delta);
    Q_EMIT stepped();
}

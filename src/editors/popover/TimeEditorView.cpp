#include "TimeEditorView.h"

#include "editors/StepNumberTextField.h"
#include "platform/kit/Stepper.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

TimeEditorView::TimeEditorView(QWidget *parent) : StyleEditorView(QStringLiteral("time"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    auto *row = new QHBoxLayout;
    m_textField = makeNumberField(QStringLiteral("time"), QStringLiteral("Time"), 70, [this] { controlTextDidChange(); },
                                  [](const QString &text) {
                                      const auto typed = numberWithUnit(text);
                                      return typed && (typed->second.isEmpty() || typed->second == u"s" || typed->second == u"ms");
                                  });
    row->addWidget(m_textField);
    m_stepper = new Stepper(this);
    row->addWidget(m_stepper);
    row->addStretch();
    layout->addLayout(row);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setAccessibleName(QStringLiteral("Time"));
    m_slider->setFixedWidth(180);
    layout->addWidget(m_slider);

    connect(m_stepper, &Stepper::stepped, this, &TimeEditorView::stepperChange);
    connect(m_slider, &QSlider::valueChanged, this, [this] { sliderChange(); });
    setFixedSize(sizeHint());
}

void TimeEditorView::setSliderValue(double sec)
{
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(int(std::lround(std::clamp(sec * kSliderScale, -1e9, 1e9))));
}

void TimeEditorView::showSec()
{
    m_textField->setStringValue(QString::number(m_sec, 'f', m_decimals));
}

void TimeEditorView::parseValue()
{
    const QString text = value();
    qsizetype length = 0;
    if (const std::optional<double> number = leadingNumber(text, &length)) {
        m_sec = *number;
        m_decimals = std::max(decimalsOf(text.left(length)), 1);
        // A time is written in the unit it was read in; "0" has none.
        m_unit = text.mid(length).trimmed() == QLatin1String("ms") ? QStringLiteral("ms") : QStringLiteral("s");
    } else {
        m_unit = QStringLiteral("s");
    }
    const bool ms = m_unit == QLatin1String("ms");
    m_stepper->setIncrement(ms ? 10 : 0.1);
    m_stepper->setMaxValue(ms ? 100000 : 100);
    m_slider->setRange(0, (ms ? 10000 : 10) * kSliderScale);
    m_stepper->setDoubleValue(m_sec);
    setSliderValue(m_sec);
    showSec();
}

void TimeEditorView::controlTextDidChange()
{
    // Text that is no time (yet) changes nothing; the field says so when
    // editing ends (#66).
    const QString text = m_textField->text().trimmed();
    const auto typed = numberWithUnit(text);
    if (!typed || !(typed->second.isEmpty() || typed->second == u"s" || typed->second == u"ms"))
        return;
    m_sec = typed->first;
    if (!typed->second.isEmpty())
        m_unit = typed->second;
    m_stepper->setDoubleValue(m_sec);
    setSliderValue(m_sec);
    // The number goes out as typed.
    const QString number = text.left(text.size() - typed->second.size());
    m_decimals = std::max(decimalsOf(number), 1);
    setValue(number + m_unit);
    notifyChange(value());
}

void TimeEditorView::stepperChange()
{
    m_sec = m_stepper->doubleValue();
    setSliderValue(m_sec);
    showSec();
    setValue(m_textField->text() + m_unit);
    notifyChange(value());
}

void TimeEditorView::sliderChange()
{
    m_sec = double(m_slider->value()) / kSliderScale;
    showSec();
    m_stepper->setDoubleValue(m_sec);
    setValue(m_textField->text() + m_unit);
    notifyChange(value());
}

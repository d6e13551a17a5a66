#include "NumberEditor.h"

#include "editors/StepNumberTextField.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/Stepper.h"

#include <QHBoxLayout>
#include <QRegularExpression>

#include <cmath>

NumberEditor::NumberEditor(QWidget *parent) : StyleEditorView(QStringLiteral("number"), parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    m_textField = makeNumberField(QStringLiteral("number"), QStringLiteral("Number"), 70, [this] { controlTextDidChange(); },
                                  [](const QString &text) {
                                      const auto typed = numberWithUnit(text);
                                      return typed && typed->second.isEmpty();
                                  });
    layout->addWidget(m_textField);
    m_stepper = new Stepper(this);
    layout->addWidget(m_stepper);
    m_decimalStepper = new SegmentedControl(this);
    m_decimalStepper->setTrackingMode(SegmentedControl::TrackingMode::Momentary);
    m_decimalStepper->setSegmentCount(2);
    m_decimalStepper->setLabel(QStringLiteral(".0+"), 0);
    m_decimalStepper->setToolTip(QStringLiteral("More decimals"), 0);
    m_decimalStepper->setLabel(QStringLiteral(".0-"), 1);
    m_decimalStepper->setToolTip(QStringLiteral("Fewer decimals"), 1);
    layout->addWidget(m_decimalStepper);

    connect(m_stepper, &Stepper::stepped, this, &NumberEditor::stepperChange);
    connect(m_decimalStepper, &SegmentedControl::activated, this, [this] { decimalStepperChange(m_decimalStepper); });
    setFixedSize(sizeHint());
}

QString NumberEditor::formatted(double number) const
{
    if (m_decimalStepStr == QLatin1String("%g"))
        return QString::number(number, 'g', 6);
    return QString::number(number, 'f', m_decimalStep);
}

void NumberEditor::setDecimals(int decimals)
{
    m_decimalStep = std::clamp(decimals, 0, 10);
    m_decimalStepStr = QStringLiteral("%.%1f").arg(m_decimalStep);
    // A step moves the last decimal shown.
    m_stepper->setIncrement(std::pow(10.0, -m_decimalStep));
}

void NumberEditor::parseValue()
{
    const QString text = value();
    m_sec = leadingNumber(text).value_or(m_sec);
    m_stepper->setDoubleValue(m_sec);
    static const QRegularExpression number(QStringLiteral("^[-]?[0-9]+[.]?[0-9]*"));
    const QString shown = number.match(text).captured();
    const qsizetype point = shown.indexOf(QLatin1Char('.'));
    if (point >= 0 && point + 2 < shown.size()) {
        setDecimals(int(shown.size() - point - 1));
    } else {
        // "%g" shows "0.5" as it is: the decimals control starts from one there.
        m_decimalStep = point >= 0 && point + 1 < shown.size() ? 1 : 0;
        m_decimalStepStr = QStringLiteral("%g");
        m_stepper->setIncrement(std::pow(10.0, -m_decimalStep));
    }
    m_textField->setStringValue(formatted(m_sec));
}

void NumberEditor::controlTextDidChange()
{
    // Text that is no number (yet) changes nothing; the field says so when
    // editing ends (#66).
    const QString text = m_textField->text().trimmed();
    const auto typed = numberWithUnit(text);
    if (!typed || !typed->second.isEmpty())
        return;
    m_sec = typed->first;
    m_stepper->setDoubleValue(m_sec);
    // As typed: "0.35" stays 0.35.
    setValue(text);
    notifyChange(value());
}

void NumberEditor::stepperChange()
{
    m_sec = m_stepper->doubleValue();
    m_textField->setStringValue(formatted(m_sec));
    setValue(m_textField->text());
    notifyChange(value());
}

void NumberEditor::decimalStepperChange(SegmentedControl *sender)
{
    setDecimals(sender->selectedSegment() == 0 ? m_decimalStep + 1 : std::max(m_decimalStep - 1, 0));
    m_textField->setStringValue(formatted(m_sec));
    setValue(m_textField->text());
    notifyChange(value());
}

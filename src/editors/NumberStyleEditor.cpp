#include "NumberStyleEditor.h"

#include "EditorNumber.h"
#include "NumberField.h"
#include "StyleValueMap.h"

#include "platform/kit/Stepper.h"

#include <QHBoxLayout>

#include <cmath>

NumberStyleEditor::NumberStyleEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_valueInput(new NumberField(this))
    , m_stepper(new Stepper(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_valueInput, 1);
    layout->addWidget(m_stepper);
    layout->addStretch(1);
    setIsInteger(false);
    m_stepper->setEnabled(false);
    m_valueInput->setTakesUnits(false);
    connect(m_valueInput, &NumberField::numberEdited, this, &NumberStyleEditor::valueChange);
    connect(m_stepper, &Stepper::stepped, this, &NumberStyleEditor::stepChange);
}

void NumberStyleEditor::setIsInteger(bool integer)
{
    m_isInteger = integer;
    m_stepper->setIncrement(integer ? 1 : 0.1);
    m_stepper->setMinValue(integer ? -100000 : 0);
    m_stepper->setMaxValue(integer ? 100000 : 1);
}

void NumberStyleEditor::readStyle(StyleValueMap &map)
{
    const bool integer = m_isInteger;
    const auto values = map.takeIfHeld({property()}, [integer](const QList<StyleValueMap::Value> &found) {
        const auto scanned = EditorNumber::scanNumber(found.first().text.trimmed());
        if (!scanned || !scanned->rest.isEmpty())
            return false;
        return !integer || (!found.first().text.contains(u'.') && std::trunc(scanned->value) == scanned->value);
    });
    if (!values)
        return;
    setImportant(values->first().important);
    setValue(values->first().text);
}

void NumberStyleEditor::reset()
{
    AttributeEditor::reset();
    m_number.reset();
    showNumber();
}

void NumberStyleEditor::setValue(const std::optional<QString> &text)
{
    m_number.reset();
    if (text) {
        if (const auto scanned = EditorNumber::scanNumber(*text))
            m_number = scanned->value;
    }
    showNumber();
}

void NumberStyleEditor::showNumber()
{
    m_valueInput->setText(m_number ? EditorNumber::cssNumber(*m_number) : QString());
    m_stepper->setEnabled(m_number.has_value());
    if (m_number)
        m_stepper->setDoubleValue(*m_number);
}

std::optional<QString> NumberStyleEditor::value() const
{
    if (!m_number)
        return std::nullopt;
    return EditorNumber::cssNumber(m_isInteger ? std::trunc(*m_number) : *m_number);
}

QWidget *NumberStyleEditor::firstControl() const
{
    return m_valueInput;
}

void NumberStyleEditor::valueChange()
{
    const QString text = m_valueInput->text().trimmed();
    m_number.reset();
    if (const auto scanned = EditorNumber::scanNumber(text))
        m_number = m_isInteger ? std::trunc(scanned->value) : scanned->value;
    showNumber();
    notifyChange();
}

void NumberStyleEditor::stepChange()
{
    m_number = EditorNumber::stepped(m_stepper->doubleValue());
    m_valueInput->setText(EditorNumber::cssNumber(*m_number));
    notifyChange();
}

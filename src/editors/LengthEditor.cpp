#include "LengthEditor.h"

#include "EditorNumber.h"
#include "NumberField.h"
#include "StyleValueMap.h"

#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"

#include <QHBoxLayout>

LengthEditor::LengthEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_valueInput(new NumberField(this))
    , m_stepper(new Stepper(this))
    , m_unitButton(new PopUpButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_valueInput, 1);
    layout->addWidget(m_stepper);
    layout->addWidget(m_unitButton);
    m_valueInput->setKeywords(lengthKeywords());
    m_unitButton->addItemsWithTitles(EditorNumber::lengthUnits());
    m_unitButton->setFixedWidth(54);
    m_unitButton->setTitle(m_unit);
    m_stepper->setEnabled(false);
    connect(m_valueInput, &NumberField::unitTyped, this, [this](const QString &unit) {
        m_unit = unit;
        m_unitButton->setTitle(EditorNumber::unitTitle(unit));
    });
    connect(m_valueInput, &NumberField::numberEdited, this, &LengthEditor::valueChange);
    connect(m_stepper, &Stepper::stepped, this, &LengthEditor::stepChange);
    connect(m_unitButton, &PopUpButton::activatedTitle, this, &LengthEditor::unitChange);
}

void LengthEditor::readStyle(StyleValueMap &map)
{
    const auto values = map.takeIfHeld({property()}, [](const QList<StyleValueMap::Value> &found) {
        return SideValue::fromCSS(found.first().text).has_value();
    });
    if (!values)
        return;
    setImportant(values->first().important);
    setValue(values->first().text);
}

void LengthEditor::reset()
{
    AttributeEditor::reset();
    m_val = {};
    m_unit = QStringLiteral("px");
    showValue();
}

void LengthEditor::setValue(const std::optional<QString> &text)
{
    m_val = {};
    if (text) {
        if (const auto read = SideValue::fromCSS(*text)) {
            m_val = read->value;
            if (read->value.kind == SideValue::Kind::Number)
                m_unit = read->unit;
        }
    }
    showValue();
}

void LengthEditor::showValue()
{
    m_unitButton->setTitle(EditorNumber::unitTitle(m_unit));
    m_valueInput->setText(m_val.fieldText());
    const bool isNumber = m_val.kind == SideValue::Kind::Number;
    m_stepper->setEnabled(isNumber);
    if (isNumber)
        m_stepper->setDoubleValue(m_val.number);
}

std::optional<QString> LengthEditor::value() const
{
    if (!m_val.isSet())
        return std::nullopt;
    return m_val.cssText(m_unit);
}

QWidget *LengthEditor::firstControl() const
{
    return m_valueInput;
}

void LengthEditor::valueChange()
{
    m_val = SideValue::fromField(m_valueInput->text());
    showValue();
    notifyChange();
}

void LengthEditor::stepChange()
{
    m_val = SideValue::ofNumber(EditorNumber::stepped(m_stepper->doubleValue()));
    m_valueInput->setText(m_val.fieldText());
    notifyChange();
}

void LengthEditor::unitChange(const QString &title)
{
    m_unit = EditorNumber::unitFromTitle(title);
    notifyChange();
}

#include "EnumEditor.h"

#include "StyleValueMap.h"

#include "platform/kit/PopUpButton.h"
#include "stylesheet/CSSValueKeywords.h"

#include <QHBoxLayout>

EnumEditor::EnumEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_popupButton(new PopUpButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_popupButton, 1);
    connect(m_popupButton, &PopUpButton::activatedTitle, this, &EnumEditor::valueChanged);
}

void EnumEditor::setProperty(const QString &property)
{
    if (property == this->property())
        return;
    AttributeEditor::setProperty(property);
    m_popupButton->clear();
    QStringList titles{QStringLiteral("-")};
    titles += CSSValueKeywords::getValueKeywords(property);
    titles.removeDuplicates();
    m_popupButton->addItemsWithTitles(titles);
    m_popupButton->setObjectName(property);
}

void EnumEditor::readStyle(StyleValueMap &map)
{
    const auto values = map.takeIfHeld({property()}, nullptr);
    if (!values)
        return;
    setImportant(values->first().important);
    setValue(values->first().text);
}

void EnumEditor::reset()
{
    AttributeEditor::reset();
    m_val.reset();
    m_popupButton->selectItemAtIndex(0);
}

void EnumEditor::setValue(const std::optional<QString> &value)
{
    m_val = value;
    if (!value)
        m_popupButton->selectItemAtIndex(0);
    else
        m_popupButton->setTitle(*value);
}

std::optional<QString> EnumEditor::value() const
{
    if (!m_val || m_val->isEmpty())
        return std::nullopt;
    return m_val;
}

QWidget *EnumEditor::firstControl() const
{
    return m_popupButton;
}

void EnumEditor::valueChanged(const QString &title)
{
    if (title == u"-")
        m_val.reset();
    else
        m_val = title;
    notifyChange();
}

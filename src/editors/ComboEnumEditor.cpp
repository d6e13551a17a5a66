#include "ComboEnumEditor.h"

#include "StyleValueMap.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>

ComboEnumEditor::ComboEnumEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_combo(new QComboBox(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_combo, 1);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setFocusPolicy(Qt::StrongFocus);
    connect(m_combo, &QComboBox::activated, this, &ComboEnumEditor::valueChanged);
    connect(m_combo->lineEdit(), &QLineEdit::editingFinished, this, &ComboEnumEditor::valueChanged);
}

void ComboEnumEditor::setValidValues(const QStringList &values)
{
    if (values == m_validValues)
        return;
    m_validValues = values;
    m_combo->clear();
    m_combo->addItems(values);
}

bool ComboEnumEditor::isValid(const QString &text) const
{
    return m_validValues.isEmpty() || m_validValues.contains(text);
}

void ComboEnumEditor::readStyle(StyleValueMap &map)
{
    const auto values = map.takeIfHeld({property()}, nullptr);
    if (!values)
        return;
    setImportant(values->first().important);
    setValue(values->first().text);
}

void ComboEnumEditor::reset()
{
    AttributeEditor::reset();
    m_val.reset();
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());
}

void ComboEnumEditor::setValue(const std::optional<QString> &value)
{
    m_val = value;
    m_combo->setEditText(value.value_or(QString()));
}

std::optional<QString> ComboEnumEditor::value() const
{
    if (!m_val || m_val->isEmpty())
        return std::nullopt;
    return m_val;
}

QWidget *ComboEnumEditor::firstControl() const
{
    return m_combo;
}

void ComboEnumEditor::valueChanged()
{
    const QString text = m_combo->currentText().trimmed();
    // A value read that the list does not hold stays while its text does.
    if (text == m_val.value_or(QString()))
        return;
    if (isValid(text) && !text.isEmpty())
        m_val = text;
    else
        m_val.reset();
    notifyChange();
}

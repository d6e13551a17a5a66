#include "NoEditor.h"

NoEditor::NoEditor(QWidget *parent)
    : AttributeEditor(parent)
{
}

void NoEditor::reset()
{
    AttributeEditor::reset();
    m_val.reset();
}

std::optional<QString> NoEditor::value() const
{
    return m_val;
}

std::optional<QString> NoEditor::styleRepresentation() const
{
    if (property().isEmpty() && m_val)
        return *m_val + u';';
    return AttributeEditor::styleRepresentation();
}

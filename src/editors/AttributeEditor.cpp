#include "AttributeEditor.h"

#include "platform/foundation/NotificationCenter.h"

AttributeEditor::AttributeEditor(QWidget *parent)
    : QWidget(parent)
{
}

const QStringList &AttributeEditor::lengthKeywords()
{
    static const QStringList keywords = {QStringLiteral("initial"), QStringLiteral("inherit"),
                                         QStringLiteral("auto")};
    return keywords;
}

void AttributeEditor::readStyle(StyleValueMap &)
{
}

void AttributeEditor::reset()
{
    m_important = false;
}

std::optional<QString> AttributeEditor::styleRepresentation() const
{
    const std::optional<QString> text = value();
    if (!text)
        return std::nullopt;
    return declaration(m_property, *text);
}

void AttributeEditor::notifyChange()
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("AttributeEditorValueChanged"), this);
}

QString AttributeEditor::declaration(const QString &name, const QString &value) const
{
    if (m_important)
        return name + u':' + value + QStringLiteral(" !important;");
    return name + u':' + value + u';';
}

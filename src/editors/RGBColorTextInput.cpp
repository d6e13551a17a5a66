#include "RGBColorTextInput.h"

#include "ColorTextEditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cmath>

namespace {

double channel(const QLineEdit *field)
{
    return std::clamp(field->text().trimmed().toDouble(), 0.0, 255.0) / 255.0;
}

} // namespace

RGBColorTextInput::RGBColorTextInput(ColorTextEditor *editor) : QWidget(editor), m_colorTextEditor(editor)
{
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_rTextInput = addField(QStringLiteral("rTextInput"), QStringLiteral("R"));
    m_gTextInput = addField(QStringLiteral("gTextInput"), QStringLiteral("G"));
    m_bTextInput = addField(QStringLiteral("bTextInput"), QStringLiteral("B"));
}

QLineEdit *RGBColorTextInput::addField(const QString &name, const QString &label)
{
    auto *caption = new QLabel(label, this);
    auto *field = new QLineEdit(this);
    field->setObjectName(name);
    field->setAccessibleName(label);
    field->setMaximumWidth(44);
    caption->setBuddy(field);
    m_layout->addWidget(caption);
    m_layout->addWidget(field);
    connect(field, &QLineEdit::textEdited, this, [this] { controlTextDidChange(); });
    connect(field, &QLineEdit::editingFinished, this, [this] { controlTextDidEndEditing(); });
    return field;
}

bool RGBColorTextInput::anyFieldModified() const
{
    const QList<QLineEdit *> fields = findChildren<QLineEdit *>();
    return std::any_of(fields.begin(), fields.end(), [](const QLineEdit *field) { return field->isModified(); });
}

void RGBColorTextInput::displayColor()
{
    const RGBAColor color = m_colorTextEditor->getColor();
    // Channel numbers as the colour texts write them.
    const auto show = [](QLineEdit *field, double component) {
        field->setText(QString::number(int(std::trunc(component * 255.99998474121094))));
        field->setModified(false);
    };
    show(m_rTextInput, color.red);
    show(m_gTextInput, color.green);
    show(m_bTextInput, color.blue);
}

RGBAColor RGBColorTextInput::typedColor() const
{
    return RGBAColor{channel(m_rTextInput), channel(m_gTextInput), channel(m_bTextInput), 1};
}

void RGBColorTextInput::controlTextDidChange()
{
    m_colorTextEditor->commitColor(typedColor(), this);
}

void RGBColorTextInput::controlTextDidEndEditing()
{
    if (anyFieldModified())
        m_colorTextEditor->commitColor(typedColor());
}

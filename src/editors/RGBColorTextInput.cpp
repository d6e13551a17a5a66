#include "RGBColorTextInput.h"

#include "ColorTextEditor.h"
#include "EditorNumber.h"
#include "FieldMark.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cmath>

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
    for (QLineEdit *field : findChildren<QLineEdit *>())
        FieldMark::clear(field);
    show(m_rTextInput, color.red);
    show(m_gTextInput, color.green);
    show(m_bTextInput, color.blue);
}

std::optional<double> RGBColorTextInput::channel(const QLineEdit *field, double fullScale)
{
    const QString text = field->text().trimmed();
    const std::optional<EditorNumber::Scanned> scanned = EditorNumber::scanNumber(text);
    if (!scanned)
        return std::nullopt;
    const QString rest = scanned->rest.trimmed();
    if (rest == u"%")
        return std::clamp(scanned->value / 100, 0.0, 1.0);
    if (!rest.isEmpty())
        return std::nullopt;
    return std::clamp(scanned->value / fullScale, 0.0, 1.0);
}

std::optional<RGBAColor> RGBColorTextInput::typedColor(QLineEdit **unread) const
{
    RGBAColor color;
    for (auto [field, component] : {std::pair{m_rTextInput, &color.red}, std::pair{m_gTextInput, &color.green},
                                    std::pair{m_bTextInput, &color.blue}}) {
        const std::optional<double> read = channel(field, 255);
        if (!read) {
            if (unread)
                *unread = field;
            return std::nullopt;
        }
        *component = *read;
    }
    return color;
}

void RGBColorTextInput::controlTextDidChange()
{
    if (const std::optional<RGBAColor> color = typedColor(nullptr)) {
        for (QLineEdit *field : findChildren<QLineEdit *>())
            FieldMark::clear(field);
        m_colorTextEditor->commitColor(*color, this);
    }
}

void RGBColorTextInput::controlTextDidEndEditing()
{
    if (!anyFieldModified())
        return;
    QLineEdit *unread = nullptr;
    if (const std::optional<RGBAColor> color = typedColor(&unread))
        m_colorTextEditor->commitColor(*color);
    else if (unread)
        FieldMark::setRefused(unread, QStringLiteral("\"%1\" is no number").arg(unread->text().trimmed()));
}

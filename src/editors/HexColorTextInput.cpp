#include "HexColorTextInput.h"

#include "ColorTextEditor.h"

#include "stylesheet/ColorUtil.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

HexColorTextInput::HexColorTextInput(ColorTextEditor *editor) : QWidget(editor), m_colorTextEditor(editor)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("#"), this));
    m_hexTextInput = new QLineEdit(this);
    m_hexTextInput->setObjectName(QStringLiteral("hexTextInput"));
    m_hexTextInput->setAccessibleName(QStringLiteral("Hexadecimal"));
    m_hexTextInput->setMaxLength(7);
    layout->addWidget(m_hexTextInput, 1);
    connect(m_hexTextInput, &QLineEdit::textEdited, this, [this] { controlTextDidChange(); });
    connect(m_hexTextInput, &QLineEdit::editingFinished, this, [this] { controlTextDidEndEditing(); });
}

void HexColorTextInput::displayColor()
{
    m_hexTextInput->setText(ColorUtil::hexadecimalValue(m_colorTextEditor->getColor()));
    m_hexTextInput->setModified(false);
}

void HexColorTextInput::controlTextDidChange()
{
    // A colour only once the digits make one: "f" and "ff" are on the way to "fff".
    static const QRegularExpression complete(QStringLiteral("^#?([0-9a-fA-F]{3}|[0-9a-fA-F]{6})$"));
    const QString text = m_hexTextInput->text().trimmed();
    if (complete.match(text).hasMatch())
        m_colorTextEditor->commitColor(ColorUtil::colorFromHexadecimalValue(text), this);
}

void HexColorTextInput::controlTextDidEndEditing()
{
    if (!m_hexTextInput->isModified())
        return;
    m_colorTextEditor->commitColor(ColorUtil::colorFromHexadecimalValue(m_hexTextInput->text().trimmed()));
}

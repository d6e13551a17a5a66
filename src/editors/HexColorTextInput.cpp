#include "HexColorTextInput.h"

#include "ColorTextEditor.h"
#include "FieldMark.h"

#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/ColorUtil.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

HexColorTextInput::HexColorTextInput(ColorTextEditor *editor) : QWidget(editor), m_colorTextEditor(editor)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("#"), this));
    m_hexTextInput = new QLineEdit(this);
    m_hexTextInput->setObjectName(QStringLiteral("hexTextInput"));
    m_hexTextInput->setAccessibleName(QStringLiteral("Hexadecimal"));
    layout->addWidget(m_hexTextInput, 1);
    connect(m_hexTextInput, &QLineEdit::textEdited, this, [this] { controlTextDidChange(); });
    connect(m_hexTextInput, &QLineEdit::editingFinished, this, [this] { controlTextDidEndEditing(); });
}

void HexColorTextInput::displayColor()
{
    m_hexTextInput->setText(ColorUtil::hexadecimalValue(m_colorTextEditor->getColor()));
    m_hexTextInput->setModified(false);
    FieldMark::clear(m_hexTextInput);
}

namespace {

// Whether more typing could still make another colour name of the text:
// "blue" may be on the way to "blueviolet". Digits commit as they come.
bool isOnTheWay(const ColorTextEditor::TypedColor &typed, const QString &text)
{
    if (typed.text.isEmpty())
        return false;
    static const QStringList names = CSSValueKeywords::getValueKeywords(QStringLiteral("color"));
    const QString lower = text.trimmed().toLower();
    return std::any_of(names.cbegin(), names.cend(),
                       [&lower](const QString &name) { return name.size() > lower.size() && name.startsWith(lower); });
}

} // namespace

bool HexColorTextInput::commitTyped(Typing typing)
{
    const std::optional<ColorTextEditor::TypedColor> typed = ColorTextEditor::readTypedColor(m_hexTextInput->text());
    if (!typed)
        return false;
    if (typing == Typing::Yes && isOnTheWay(*typed, m_hexTextInput->text()))
        return true;
    FieldMark::clear(m_hexTextInput);
    // Digits typed show in their six-digit form once editing ends.
    if (typed->text.isEmpty())
        m_colorTextEditor->commitColor(*typed->color, typing == Typing::Yes ? this : nullptr);
    else
        m_colorTextEditor->commitColorText(typed->text, typed->color, this);
    return true;
}

void HexColorTextInput::controlTextDidChange()
{
    // A colour as the user types once the text makes one; a name that more
    // typing may change into another ("blue", "blueviolet") waits for the
    // end of editing.
    commitTyped(Typing::Yes);
}

void HexColorTextInput::controlTextDidEndEditing()
{
    if (!m_hexTextInput->isModified())
        return;
    if (m_hexTextInput->text().trimmed().isEmpty() || !commitTyped(Typing::No))
        FieldMark::setRefused(m_hexTextInput, QStringLiteral("\"%1\" is no colour").arg(m_hexTextInput->text().trimmed()));
}

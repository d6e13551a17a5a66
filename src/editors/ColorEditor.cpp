#include "ColorEditor.h"

#include "QuickColorPicker.h"
#include "StyleValueMap.h"

#include "stylesheet/ColorUtil.h"

#include <QHBoxLayout>

ColorEditor::ColorEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_colorPicker(new QuickColorPicker(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_colorPicker);
    layout->addStretch(1);
    connect(m_colorPicker, &QuickColorPicker::colorAction, this, &ColorEditor::colorChanged);
}

void ColorEditor::readStyle(StyleValueMap &map)
{
    const auto values = map.takeIfHeld({colorPropertyName()}, [](const QList<StyleValueMap::Value> &found) {
        const QString &text = found.first().text;
        return ColorUtil::createNSColorWithString(text).has_value() || ColorUtil::cssColorWithString(text).has_value();
    });
    if (!values)
        return;
    setImportant(values->first().important);
    // "currentcolor" is held and shown as no colour.
    m_val = ColorUtil::cssColorWithString(values->first().text);
    m_readText = values->first().text;
    m_colorPicker->setColor(m_val);
}

void ColorEditor::reset()
{
    AttributeEditor::reset();
    m_val.reset();
    m_readText.reset();
    m_colorPicker->setColor(std::nullopt);
}

std::optional<QString> ColorEditor::value() const
{
    if (!m_val)
        return std::nullopt;
    if (m_readText)
        return m_readText;
    return ColorUtil::cssColorValue(*m_val);
}

std::optional<QString> ColorEditor::styleRepresentation() const
{
    const std::optional<QString> text = value();
    if (!text)
        return std::nullopt;
    return declaration(colorPropertyName(), *text);
}

QWidget *ColorEditor::firstControl() const
{
    return m_colorPicker;
}

void ColorEditor::colorChanged()
{
    m_val = m_colorPicker->getColor();
    m_readText.reset();
    notifyChange();
}

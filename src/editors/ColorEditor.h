#pragma once

#include "AttributeEditor.h"

#include "stylesheet/RGBAColor.h"

class QuickColorPicker;

// A colour ("color") in a QuickColorPicker. The text read is written back
// unchanged until the user picks a colour, so that "red" or an hsla() text
// stay as written; a text that is no colour (var(), currentcolor) is left
// to the panel.
class ColorEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit ColorEditor(QWidget *parent = nullptr);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    std::optional<QString> value() const override;
    std::optional<QString> styleRepresentation() const override;
    QWidget *firstControl() const override;

    std::optional<RGBAColor> color() const { return m_val; }
    QuickColorPicker *colorPicker() const { return m_colorPicker; }

    // The picker's action.
    void colorChanged();

protected:
    // The declaration's name: the property itself.
    virtual QString colorPropertyName() const { return property(); }

private:
    std::optional<RGBAColor> m_val;
    // The text read, while the colour is the one it gave.
    std::optional<QString> m_readText;
    QuickColorPicker *m_colorPicker = nullptr; // Owned (child).
};

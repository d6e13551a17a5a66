#pragma once

#include "ColorEditor.h"

// The background colour: the panel gives it the property "background", and
// it reads and writes "background-color" only. Other background
// declarations, and a "background" written after the colour, are left to
// the panel.
class BackgroundEditor : public ColorEditor
{
    Q_OBJECT

public:
    explicit BackgroundEditor(QWidget *parent = nullptr);

    std::optional<RGBAColor> bgColor() const { return color(); }
    QuickColorPicker *bgColorPicker() const { return colorPicker(); }
    // The picker's action.
    void bgColorChanged() { colorChanged(); }

protected:
    QString colorPropertyName() const override { return QStringLiteral("background-color"); }
};

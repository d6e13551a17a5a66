#pragma once

#include "ColorTextEditorView.h"

#include "stylesheet/RGBAColor.h"

#include <QWidget>

class ColorTextEditor;
class QHBoxLayout;
class QLineEdit;

// The "rgb" page of a ColorTextEditor: red, green and blue from 0 to 255.
// Each keystroke commits the colour (channels clamped to 0..255, text that
// is no number counts as 0); the end of editing commits again and shows the
// colour in every field.
class RGBColorTextInput : public QWidget, public ColorTextEditorView
{
    Q_OBJECT

public:
    explicit RGBColorTextInput(ColorTextEditor *editor);

    void displayColor() override;
    void controlTextDidChange();
    void controlTextDidEndEditing();

    QLineEdit *rTextInput() const { return m_rTextInput; }
    QLineEdit *gTextInput() const { return m_gTextInput; }
    QLineEdit *bTextInput() const { return m_bTextInput; }

protected:
    // The colour the fields give.
    virtual RGBAColor typedColor() const;
    QLineEdit *addField(const QString &name, const QString &label);
    bool anyFieldModified() const;

    ColorTextEditor *m_colorTextEditor = nullptr; // Not owned (the parent).

private:
    QHBoxLayout *m_layout = nullptr; // Owned (by the widget).
    QLineEdit *m_rTextInput = nullptr; // Owned (child).
    QLineEdit *m_gTextInput = nullptr; // Owned (child).
    QLineEdit *m_bTextInput = nullptr; // Owned (child).
};

#pragma once

#include "ColorTextEditorView.h"

#include <QWidget>

class ColorTextEditor;
class QLineEdit;

// The hexadecimal page of a ColorTextEditor: six digits without "#", or a
// colour as CSS writes it ("antiquewhite", "transparent", "currentcolor").
// A colour is committed as soon as the field holds one, and when editing
// ends; text that is no colour is marked then and committed never.
class HexColorTextInput : public QWidget, public ColorTextEditorView
{
    Q_OBJECT

public:
    explicit HexColorTextInput(ColorTextEditor *editor);

    void displayColor() override;
    void controlTextDidChange();
    void controlTextDidEndEditing();

    QLineEdit *hexTextInput() const { return m_hexTextInput; }

private:
    enum class Typing { No, Yes };
    // Commits the field's colour; false when the text is no colour.
    bool commitTyped(Typing typing);

    ColorTextEditor *m_colorTextEditor = nullptr; // Not owned (the parent).
    QLineEdit *m_hexTextInput = nullptr;          // Owned (child).
};

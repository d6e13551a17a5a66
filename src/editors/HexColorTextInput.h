#pragma once

#include "ColorTextEditorView.h"

#include <QWidget>

class ColorTextEditor;
class QLineEdit;

// The hexadecimal page of a ColorTextEditor: six digits without "#". A
// colour is committed when the field holds three or six hex digits and when
// editing ends (then the field shows the six canonical digits).
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
    ColorTextEditor *m_colorTextEditor = nullptr; // Not owned (the parent).
    QLineEdit *m_hexTextInput = nullptr;          // Owned (child).
};

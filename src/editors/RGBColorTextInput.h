#pragma once

#include "ColorTextEditorView.h"

#include "stylesheet/RGBAColor.h"

#include <QWidget>

#include <optional>

class ColorTextEditor;
class QHBoxLayout;
class QLineEdit;

// The "rgb" page of a ColorTextEditor: red, green and blue from 0 to 255
// (or percentages). Each keystroke that leaves every field a number commits
// the colour (channels clamped to 0..255); the end of editing commits again,
// or, when a field holds no number, marks that field and commits nothing.
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
    // The colour the fields give; nothing, with the field that is no
    // number in unread, when one is not.
    virtual std::optional<RGBAColor> typedColor(QLineEdit **unread) const;
    // A channel's text as a component: a number of the full scale, or a
    // percentage; clamped to 0..1.
    static std::optional<double> channel(const QLineEdit *field, double fullScale);
    QLineEdit *addField(const QString &name, const QString &label);
    bool anyFieldModified() const;

    ColorTextEditor *m_colorTextEditor = nullptr; // Not owned (the parent).

private:
    QHBoxLayout *m_layout = nullptr; // Owned (by the widget).
    QLineEdit *m_rTextInput = nullptr; // Owned (child).
    QLineEdit *m_gTextInput = nullptr; // Owned (child).
    QLineEdit *m_bTextInput = nullptr; // Owned (child).
};

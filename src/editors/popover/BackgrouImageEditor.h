#pragma once

#include "GradientSliderDelegate.h"
#include "StyleEditorView.h"

#include "editors/ColorTextEditorDelegate.h"

class ButtonMatrix;
class ColorTextEditor;
class ColorWell;
class GradientSlider;
class PopUpButton;
class Stepper;
class StepNumberTextField;

// The popover editor of a gradient background image: the kind of gradient,
// its direction words or angle, a radial gradient's shape, size and
// position, and the colour stops on a GradientSlider with the selected
// stop's colour and position. A change rewrites only what it changed: the
// direction part, or a stop's colour (in "#" hex unless its notation says
// otherwise, or as typed) or position; the other stops, the other image
// layers and the blanks between them keep their text. A gradient with stop
// positions in other units than % (or stops the editor cannot pair with its
// text) is shown with its controls disabled and never rewritten.
class BackgrouImageEditor : public StyleEditorView, public GradientSliderDelegate, public ColorTextEditorDelegate
{
    Q_OBJECT

public:
    explicit BackgrouImageEditor(QWidget *parent = nullptr);
    ~BackgrouImageEditor() override;

    void parseValue() override;
    void setValue();

    void backgroundTypeChange();
    void gradientShapeSizeChanged();
    void angleDescribeChange();
    void angleDescribeTypeChange();
    void controlTextDidChange(QWidget *field);
    void angleStepperChange();
    void ratioChanged();
    void updateRatio();
    void colorChange();
    void unitChange(int tag);
    void handleRadioClick(int tag);
    void ratioColorDidChanged(GradientSlider *slider) override;
    void selectionChanged(GradientSlider *slider) override;
    void colorDidChange(const RGBAColor &color) override;
    void colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color) override;

    GradientSlider *gradientSlider() const { return m_gradientSlider; }
    PopUpButton *backgroundType() const { return m_backgroundType; }
    PopUpButton *shapeSelector() const { return m_shapeSelector; }
    PopUpButton *sizeSelector() const { return m_sizeSelector; }
    PopUpButton *hAngleDescribe() const { return m_hAngleDescribe; }
    PopUpButton *vAngleDescribe() const { return m_vAngleDescribe; }
    ButtonMatrix *angleDescribe() const { return m_angleDescribe; }
    StepNumberTextField *degreeInput() const { return m_degreeInput; }
    StepNumberTextField *ratioInput() const { return m_ratioInput; }
    ButtonMatrix *unitMatrix() const { return m_unitMatrix; }
    ButtonMatrix *swatch() const { return m_swatch; }
    ColorTextEditor *colorTextEditor() const { return m_colorTextEditor; }
    // The value holds stop positions this editor cannot write.
    bool isReadOnly() const { return m_readOnly; }

private:
    // The selected stop takes the well's colour; the colour text shows it
    // unless it is the text being typed (#77).
    void stopColorChanged(TypedText typed);
    void setRadialEnabled(bool radial);
    void showStop();
    // The direction, angle, shape, size or position changed.
    void headChanged();
    QString builtHead() const;

    bool m_loading = false;
    bool m_readOnly = false;
    // The value around the gradient's arguments as written: the text before
    // the function's name (other layers), the name, the first argument when
    // it is no stop, and the text after the closing bracket.
    QString m_before;
    QString m_name;
    std::optional<QString> m_head;
    QString m_after;
    bool m_headChanged = false;
    // The blanks a stop added by the user starts with.
    QString m_stopLead = QStringLiteral(" ");

    PopUpButton *m_backgroundType = nullptr;     // Owned (child).
    PopUpButton *m_shapeSelector = nullptr;      // Owned (child).
    PopUpButton *m_sizeSelector = nullptr;       // Owned (child).
    ButtonMatrix *m_angleDescribe = nullptr;     // Owned (child).
    PopUpButton *m_hAngleDescribe = nullptr;     // Owned (child).
    PopUpButton *m_vAngleDescribe = nullptr;     // Owned (child).
    StepNumberTextField *m_degreeInput = nullptr; // Owned (child).
    Stepper *m_degreeStepper = nullptr;          // Owned (child).
    GradientSlider *m_gradientSlider = nullptr;  // Owned (child).
    StepNumberTextField *m_ratioInput = nullptr; // Owned (child).
    Stepper *m_ratioStepper = nullptr;           // Owned (child).
    ColorWell *m_colorWell = nullptr;            // Owned (child).
    ButtonMatrix *m_unitMatrix = nullptr;        // Owned (child).
    ColorTextEditor *m_colorTextEditor = nullptr; // Owned (child).
    ButtonMatrix *m_swatch = nullptr;            // Owned (child).
};

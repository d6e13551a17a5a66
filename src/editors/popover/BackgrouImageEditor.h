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
// stop's colour and position. Every change writes the whole gradient anew,
// unprefixed, stops in "#" hex unless their notation says otherwise. A
// gradient with stop positions in other units than % is shown with its
// controls disabled and never rewritten.
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
    // The value holds stop positions this editor cannot write.
    bool isReadOnly() const { return m_readOnly; }

private:
    void setRadialEnabled(bool radial);
    void showStop();

    bool m_loading = false;
    bool m_readOnly = false;

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

#pragma once

#include "StyleEditorView.h"

class PopUpButton;
class Stepper;
class StepNumberTextField;

// The popover editor of "transform-origin" ("transformOrigin"): x and y
// each a keyword or a number with a unit (the empty unit stands for the
// keyword), z a number with a unit; every change writes the three parts.
// Parts are split at runs of white space; a keyword goes to its own axis
// ("top left" is x left, y top) and a part given alone leaves "center" on
// the other axis, as the page reads it.
class TransformOriginEditorView : public StyleEditorView
{
    Q_OBJECT

public:
    enum Axis { X, Y, Z, AxisCount };

    explicit TransformOriginEditorView(QWidget *parent = nullptr);

    void parseValue() override;
    void xValue();
    void yValue();
    void zValue();
    // A unit pop-up's action: the keyword mode of x or y follows the empty unit.
    void unitChange(Axis axis);
    // A keyword pop-up's action and typing.
    void valueChange() { setValue(); }
    void controlTextDidChange() { setValue(); }
    // The action of a text field (Return) or a stepper: the other control takes its number.
    void controlDidChange(QObject *sender);
    // Writes the three parts and announces them.
    void setValue();

    StepNumberTextField *textField(Axis axis) const { return m_textFields[axis]; }
    Stepper *stepper(Axis axis) const { return m_steppers[axis]; }
    PopUpButton *unitSelector(Axis axis) const { return m_unitSelectors[axis]; }
    PopUpButton *keywordSelector(Axis axis) const { return axis == Z ? nullptr : m_keywordSelectors[axis]; }
    bool isKeywordMode(Axis axis) const;

private:
    // Reads one part into an axis: a number, one of the axis's keywords, or 0px.
    void readPart(Axis axis, const QString &part);
    void setNumber(Axis axis, const QString &number);
    void updateMode(Axis axis);

    // The parts of x, y and z after placing keywords on their axes.
    QStringList m_parts;
    StepNumberTextField *m_textFields[AxisCount] = {}; // Owned (children).
    Stepper *m_steppers[AxisCount] = {};               // Owned (children).
    PopUpButton *m_unitSelectors[AxisCount] = {};      // Owned (children).
    PopUpButton *m_keywordSelectors[2] = {};           // Owned (children).
};

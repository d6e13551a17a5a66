#pragma once

#include "StepNumberTextField.h"

#include <QStringList>

// A text field for numbers: when editing ends it replaces its text by the
// number at its start, in the shortest exact form, unless the text is empty
// or one of its accepted keywords, and then reports numberEdited(). A unit
// of the unit menus typed after the number is reported first (unitTyped());
// any other text after it, or text without a number, is refused: the field
// shows what it had before and is marked (FieldMark), and nothing is
// reported. The arrow keys step its number, each step reported the same way.
class NumberField : public StepNumberTextField
{
    Q_OBJECT

public:
    explicit NumberField(QWidget *parent = nullptr);

    void setKeywords(const QStringList &keywords) { m_keywords = keywords; }
    // A field of plain numbers refuses a unit typed after one.
    void setTakesUnits(bool takes) { m_takesUnits = takes; }

    // Narrow: a few digits, beside a stepper and a unit menu.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void unitTyped(const QString &unit);
    void numberEdited();

private:
    void finishEditing();

    QStringList m_keywords;
    bool m_takesUnits = true;
};

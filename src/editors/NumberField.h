#pragma once

#include "StepNumberTextField.h"

#include <QStringList>

// A text field for numbers: when editing ends it replaces its text by the
// number at its start, in the shortest exact form (trailing characters
// dropped), unless the text is empty or one of its accepted keywords, and
// then reports numberEdited(). The arrow keys step its number, each
// step reported the same way.
class NumberField : public StepNumberTextField
{
    Q_OBJECT

public:
    explicit NumberField(QWidget *parent = nullptr);

    void setKeywords(const QStringList &keywords) { m_keywords = keywords; }

    // Narrow: a few digits, beside a stepper and a unit menu.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void numberEdited();

private:
    void finishEditing();

    QStringList m_keywords;
};

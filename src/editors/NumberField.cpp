#include "NumberField.h"

#include "EditorNumber.h"

NumberField::NumberField(QWidget *parent)
    : StepNumberTextField(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QLineEdit::editingFinished, this, &NumberField::finishEditing);
    connect(this, &StepNumberTextField::stepped, this, &NumberField::finishEditing);
}

void NumberField::finishEditing()
{
    const QString trimmed = text().trimmed();
    if (!trimmed.isEmpty() && !m_keywords.contains(trimmed)) {
        const auto scanned = EditorNumber::scanNumber(trimmed);
        setText(scanned ? EditorNumber::cssNumber(scanned->value) : QString());
    }
    Q_EMIT numberEdited();
}

QSize NumberField::sizeHint() const
{
    return QSize(44, QLineEdit::sizeHint().height());
}

QSize NumberField::minimumSizeHint() const
{
    return QSize(28, QLineEdit::minimumSizeHint().height());
}

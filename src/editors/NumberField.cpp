#include "NumberField.h"

#include "EditorNumber.h"
#include "FieldMark.h"

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
        const QString unit = scanned ? scanned->rest.trimmed().toLower() : QString();
        // Never another value than the one typed (#66).
        if (!scanned || (!unit.isEmpty() && (!m_takesUnits || !EditorNumber::isKnownUnit(unit)))) {
            const QString refused = trimmed;
            setText(textWhenEditingBegan());
            FieldMark::setRefused(this, QStringLiteral("\"%1\" is no number this field takes").arg(refused));
            return;
        }
        setText(EditorNumber::cssNumber(scanned->value));
        if (!unit.isEmpty())
            Q_EMIT unitTyped(unit);
    }
    FieldMark::clear(this);
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

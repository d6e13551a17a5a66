#pragma once

#include "AttributeEditor.h"
#include "TransformValue.h"

#include <array>

class PopUpButton;
class QToolButton;
class StepNumberTextField;

// The panel's transform: number fields for the perspective, the translation
// (with one unit pop-up for its three axes), the rotations, the scale and the
// skew, with a clear button per group. It reads "transform" (or
// "-webkit-transform" when no "transform" is given) into a TransformValue
// and writes "transform", keeping the order and what it has no field for.
class TransformEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit TransformEditor(QWidget *parent = nullptr);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    std::optional<QString> value() const override;
    std::optional<QString> styleRepresentation() const override;
    QWidget *firstControl() const override;

    StepNumberTextField *field(TransformValue::Field field) const { return m_fields[field]; }
    PopUpButton *translateUnit() const { return m_translateUnit; }
    const TransformValue &transform() const { return m_transform; }
    const QMap<QString, QString> &unitMap() const { return m_transform.unitMap(); }
    const QList<TransformValue::Entry> &orderedList() const { return m_transform.orderedList(); }

    void clearTranslate();
    void clearRotate();
    void clearScale();
    void clearSkew();

private:
    void valueChanged();
    void showFields();

    TransformValue m_transform;
    std::array<StepNumberTextField *, TransformValue::FieldCount> m_fields{}; // Owned (children).
    PopUpButton *m_translateUnit = nullptr;                                  // Owned (child).
};

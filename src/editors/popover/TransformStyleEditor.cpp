#include "TransformStyleEditor.h"

#include "editors/StepNumberTextField.h"
#include "platform/kit/Stepper.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

using T = TransformValue;

struct FieldPlace
{
    T::Field field;
    const char *label;
    int row;
    int column;
};

// Rows: perspective; translate; rotate; rotate about the axes; scale; skew.
constexpr FieldPlace kPlaces[] = {
    {T::Perspective, "Perspective", 0, 0},
    {T::X, "X", 1, 0},      {T::Y, "Y", 1, 1},             {T::Z, "Z", 1, 2},
    {T::Rotate, "Angle", 2, 0},
    {T::RotateX, "X", 3, 0}, {T::RotateY, "Y", 3, 1},      {T::RotateZ, "Z", 3, 2},
    {T::ScaleX, "X", 4, 0}, {T::ScaleY, "Y", 4, 1},        {T::ScaleZ, "Z", 4, 2},
    {T::SkewX, "X", 5, 0},  {T::SkewY, "Y", 5, 1},
};

const char *const kRowTitles[] = {"Perspective", "Translate", "Rotate", "Rotate 3D", "Scale", "Skew"};

} // namespace

TransformStyleEditor::TransformStyleEditor(QWidget *parent)
    : StyleEditorView(QStringLiteral("degree"), parent), m_transform(TransformValue::popoverOptions())
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setHorizontalSpacing(4);
    for (int row = 0; row < 6; ++row)
        layout->addWidget(new QLabel(QString::fromLatin1(kRowTitles[row]), this), row, 0);
    for (const FieldPlace &place : kPlaces) {
        auto *cell = new QWidget(this);
        auto *cellLayout = new QHBoxLayout(cell);
        cellLayout->setContentsMargins(0, 0, 0, 0);
        cellLayout->setSpacing(1);
        auto *field = new StepNumberTextField(cell);
        field->setFixedWidth(52);
        field->setAccessibleName(QStringLiteral("%1 %2").arg(QLatin1String(kRowTitles[place.row]), QLatin1String(place.label)));
        field->setPlaceholderText(place.row == 0 ? QString() : QString::fromLatin1(place.label));
        auto *stepper = new Stepper(cell);
        const bool scale = place.field == T::ScaleX || place.field == T::ScaleY || place.field == T::ScaleZ;
        stepper->setIncrement(scale ? 0.1 : 1);
        cellLayout->addWidget(field);
        cellLayout->addWidget(stepper);
        layout->addWidget(cell, place.row, place.column + 1);
        m_textFields[place.field] = field;
        m_steppers[place.field] = stepper;
        const T::Field f = place.field;
        TextFieldDelegate delegate;
        delegate.controlTextDidChange = [this, f](TextField *) { controlTextDidChange(f); };
        delegate.controlTextDidEndEditing = [this](TextField *) { controlTextDidEndEditing(); };
        field->setDelegate(delegate);
        connect(stepper, &Stepper::stepped, this, [this, f] { stepperChange(f); });
    }
    const std::pair<int, void (TransformStyleEditor::*)()> clears[] = {
        {1, &TransformStyleEditor::clearTranslate},
        {3, &TransformStyleEditor::clearRotate},
        {4, &TransformStyleEditor::clearScale},
        {5, &TransformStyleEditor::clearSkew},
    };
    for (const auto &[row, action] : clears) {
        auto *clear = new QPushButton(QStringLiteral("Clear"), this);
        clear->setAccessibleName(QStringLiteral("Clear %1").arg(QLatin1String(kRowTitles[row])));
        layout->addWidget(clear, row, 4);
        connect(clear, &QPushButton::clicked, this, action);
    }
    setFixedSize(sizeHint());
}

void TransformStyleEditor::parseValue()
{
    m_transform.read(value());
    showFields(nullptr);
}

void TransformStyleEditor::showFields(StepNumberTextField *typing)
{
    for (int f = 0; f < TransformValue::FieldCount; ++f) {
        const QString text = m_transform.field(TransformValue::Field(f));
        if (m_textFields[f] != typing && m_textFields[f]->text() != text)
            m_textFields[f]->setStringValue(text);
        if (m_textFields[f] != typing || !text.isEmpty())
            m_steppers[f]->setDoubleValue(leadingNumber(text.trimmed()).value_or(0));
    }
}

void TransformStyleEditor::controlTextDidChange(TransformValue::Field field)
{
    m_transform.setField(field, m_textFields[field]->text().trimmed());
    write(m_textFields[field]);
}

void TransformStyleEditor::stepperChange(TransformValue::Field field)
{
    const QString old = m_textFields[field]->text();
    const int decimals = std::max(decimalsOf(old), m_steppers[field]->increment() < 1 ? 1 : 0);
    m_transform.setField(field, formatNumber(m_steppers[field]->doubleValue(), decimals));
    m_textFields[field]->setStringValue(m_transform.field(field));
    setValue();
}

void TransformStyleEditor::clearTranslate()
{
    m_transform.clearTranslate();
    setValue();
}

void TransformStyleEditor::clearRotate()
{
    m_transform.clearRotate();
    setValue();
}

void TransformStyleEditor::clearScale()
{
    m_transform.clearScale();
    setValue();
}

void TransformStyleEditor::clearSkew()
{
    m_transform.clearSkew();
    setValue();
}

void TransformStyleEditor::setValue()
{
    write(nullptr);
}

void TransformStyleEditor::write(StepNumberTextField *typing)
{
    const QString written = m_transform.write();
    showFields(typing);
    StyleEditorView::setValue(written);
    notifyChange(written);
}

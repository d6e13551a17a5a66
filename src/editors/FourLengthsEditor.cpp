#include "FourLengthsEditor.h"

#include "EditorNumber.h"
#include "NumberField.h"
#include "StyleValueMap.h"

#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QToolButton>

namespace {

// The unit the sides share: the unit of the numbers that have one, where a
// number without unit may only be zero; nothing for mixed units. "" when
// no number has a unit but a non-zero one is unitless; keep when only zeros.
std::optional<std::optional<QString>> sharedUnit(const QList<SideValue::Read> &sides)
{
    std::optional<QString> unit;
    bool unitlessNumber = false;
    for (const SideValue::Read &side : sides) {
        if (side.value.kind != SideValue::Kind::Number)
            continue;
        if (side.unit.isEmpty()) {
            if (side.value.number != 0)
                unitlessNumber = true;
            continue;
        }
        if (unit && *unit != side.unit)
            return std::nullopt;
        unit = side.unit;
    }
    if (unitlessNumber) {
        if (unit)
            return std::nullopt;
        return std::optional<QString>(QString());
    }
    return std::optional<std::optional<QString>>(unit);
}

} // namespace

FourLengthsEditor::FourLengthsEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_lockButton(new QToolButton(this))
    , m_unitButton(new PopUpButton(this))
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(2);
    layout->setVerticalSpacing(2);
    for (int side = 0; side < 4; ++side) {
        auto *field = new NumberField(this);
        field->setKeywords(lengthKeywords());
        auto *stepper = new Stepper(this);
        stepper->setEnabled(false);
        m_valueInputs[side] = field;
        m_steppers[side] = stepper;
        auto *cell = new QHBoxLayout;
        cell->setSpacing(1);
        cell->addWidget(field, 1);
        cell->addWidget(stepper);
        layout->addLayout(cell, side / 2, side % 2);
        // A unit typed with a number is the unit of all sides.
        connect(field, &NumberField::unitTyped, this, [this](const QString &unit) {
            m_unit = unit;
            m_unitButton->setTitle(EditorNumber::unitTitle(unit));
        });
        connect(field, &NumberField::numberEdited, this, [this, side] { valueChangeAt(side); });
        connect(stepper, &Stepper::stepped, this, [this, side] { stepChangeAt(side); });
    }
    m_lockButton->setCheckable(true);
    m_lockButton->setAutoRaise(true);
    m_lockButton->setFocusPolicy(Qt::StrongFocus);
    m_lockButton->setToolTip(QStringLiteral("Same value on all sides"));
    const QIcon locked = QIcon::fromTheme(QStringLiteral("object-locked"));
    if (locked.isNull())
        m_lockButton->setText(QStringLiteral("="));
    else
        m_lockButton->setIcon(locked);
    m_unitButton->addItemsWithTitles(EditorNumber::lengthUnits());
    m_unitButton->setFixedWidth(54);
    m_unitButton->setTitle(m_unit);
    layout->addWidget(m_lockButton, 0, 2);
    layout->addWidget(m_unitButton, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    connect(m_lockButton, &QToolButton::clicked, this, &FourLengthsEditor::lockChange);
    connect(m_unitButton, &PopUpButton::activatedTitle, this, &FourLengthsEditor::unitChange);
    setLocked(true);
}

void FourLengthsEditor::setProperties(const QStringList &properties)
{
    m_properties = properties;
    for (int side = 0; side < 4 && side < properties.size(); ++side) {
        m_valueInputs[side]->setToolTip(properties[side]);
        m_valueInputs[side]->setObjectName(properties[side]);
    }
}

void FourLengthsEditor::readStyle(StyleValueMap &map)
{
    if (m_properties.size() != 4)
        return;
    // The sides the style sets; a longhand alone fills its own side (#77).
    const auto held = map.heldValues(m_properties);
    if (!held)
        return;
    QList<SideValue::Read> sides;
    QStringList taken;
    bool important = false;
    for (int side = 0; side < 4; ++side) {
        const std::optional<StyleValueMap::Value> &value = held->at(side);
        if (!value) {
            sides.append(SideValue::Read{});
            continue;
        }
        const auto read = SideValue::fromCSS(value->text);
        if (!read)
            return;
        sides.append(*read);
        taken.append(m_properties[side]);
        important = value->important;
    }
    const auto unit = sharedUnit(sides);
    if (taken.isEmpty() || !unit)
        return;
    map.take(taken);
    setImportant(important);
    for (int side = 0; side < 4; ++side)
        m_vals[side] = sides[side].value;
    if (*unit)
        m_unit = **unit;
    m_longhandsOnly = taken.size() < 4;
    const bool equal = !m_longhandsOnly && m_vals[1] == m_vals[0] && m_vals[2] == m_vals[0] && m_vals[3] == m_vals[0];
    setLocked(equal);
    showSides();
}

void FourLengthsEditor::reset()
{
    AttributeEditor::reset();
    m_vals = {};
    m_longhandsOnly = false;
    setLocked(true);
    showSides();
}

void FourLengthsEditor::setValue(const std::optional<QString> &text)
{
    m_vals = {};
    if (text) {
        const QStringList parts = text->split(u' ', Qt::SkipEmptyParts);
        QList<SideValue::Read> read;
        for (const QString &part : parts) {
            const auto side = SideValue::fromCSS(part);
            read.append(side ? *side : SideValue::Read{});
        }
        const auto at = [&read](int i) { return read[i].value; };
        switch (read.size()) {
        case 1:
            m_vals = {at(0), m_locked ? at(0) : SideValue(), m_locked ? at(0) : SideValue(),
                      m_locked ? at(0) : SideValue()};
            break;
        case 2:
            m_vals = {at(0), at(1), at(0), at(1)};
            break;
        case 3:
            m_vals = {at(0), at(1), at(2), at(1)};
            break;
        case 4:
            m_vals = {at(0), at(1), at(2), at(3)};
            break;
        default:
            break;
        }
        for (const SideValue::Read &side : std::as_const(read)) {
            if (!side.unit.isEmpty()) {
                m_unit = side.unit;
                break;
            }
        }
    }
    showSides();
}

void FourLengthsEditor::showSides()
{
    m_unitButton->setTitle(EditorNumber::unitTitle(m_unit));
    for (int side = 0; side < 4; ++side) {
        m_valueInputs[side]->setText(m_vals[side].fieldText());
        const bool isNumber = m_vals[side].kind == SideValue::Kind::Number;
        m_steppers[side]->setEnabled(isNumber && (side == 0 || !m_locked));
        if (isNumber)
            m_steppers[side]->setDoubleValue(m_vals[side].number);
    }
}

QString FourLengthsEditor::requiredNumberValue(int side) const
{
    if (!m_vals[side].isSet())
        return QStringLiteral("inherit");
    return m_vals[side].cssText(m_unit);
}

std::optional<QString> FourLengthsEditor::value() const
{
    if (m_locked && m_vals[0].isSet())
        return requiredNumberValue(0);
    int last = 3;
    while (last >= 0 && !m_vals[last].isSet())
        --last;
    if (last < 0)
        return std::nullopt;
    QStringList parts;
    for (int side = 0; side <= last; ++side)
        parts.append(requiredNumberValue(side));
    return parts.join(u' ');
}

std::optional<QString> FourLengthsEditor::styleRepresentation() const
{
    // Sides that the style set one by one stay longhands of their own until
    // all four are set: an unset side is no "inherit" the style never had.
    if (!m_longhandsOnly || (m_vals[0].isSet() && m_vals[1].isSet() && m_vals[2].isSet() && m_vals[3].isSet()))
        return AttributeEditor::styleRepresentation();
    QString text;
    for (int side = 0; side < 4; ++side) {
        if (m_vals[side].isSet())
            text += declaration(m_properties[side], requiredNumberValue(side));
    }
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

QWidget *FourLengthsEditor::firstControl() const
{
    return m_valueInputs[0];
}

void FourLengthsEditor::valueChangeAt(int side)
{
    m_vals[side] = SideValue::fromField(m_valueInputs[side]->text());
    if (side == 0 && m_locked)
        copyFirstSide();
    showSides();
    notifyChange();
}

void FourLengthsEditor::stepChangeAt(int side)
{
    m_vals[side] = SideValue::ofNumber(EditorNumber::stepped(m_steppers[side]->doubleValue()));
    m_valueInputs[side]->setText(m_vals[side].fieldText());
    notifyChange();
}

void FourLengthsEditor::unitChange(const QString &title)
{
    m_unit = EditorNumber::unitFromTitle(title);
    notifyChange();
}

void FourLengthsEditor::lockChange()
{
    setLocked(m_lockButton->isChecked());
    if (m_locked)
        copyFirstSide();
    showSides();
    notifyChange();
}

void FourLengthsEditor::copyFirstSide()
{
    m_vals[1] = m_vals[0];
    m_vals[2] = m_vals[0];
    m_vals[3] = m_vals[0];
}

void FourLengthsEditor::setLocked(bool locked)
{
    m_locked = locked;
    m_lockButton->setChecked(locked);
    for (int side = 1; side < 4; ++side) {
        m_valueInputs[side]->setEnabled(!locked);
        m_steppers[side]->setEnabled(!locked && m_vals[side].kind == SideValue::Kind::Number);
    }
}

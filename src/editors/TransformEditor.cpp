#include "TransformEditor.h"

#include "StepNumberTextField.h"
#include "StyleValueMap.h"

#include "platform/kit/PopUpButton.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>

namespace {

const QStringList &translateUnits()
{
    static const QStringList units{QStringLiteral("px"), QStringLiteral("em"), QStringLiteral("rem"),
                                   QStringLiteral("%"),  QStringLiteral("vw"), QStringLiteral("vh")};
    return units;
}

} // namespace

TransformEditor::TransformEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_translateUnit(new PopUpButton(this))
{
    using T = TransformValue;
    static const std::array<const char *, T::FieldCount> names{
        "Perspective", "Translate X", "Translate Y", "Translate Z", "Rotate", "Rotate X", "Rotate Y",
        "Rotate Z",    "Scale X",     "Scale Y",     "Scale Z",     "Skew X", "Skew Y"};
    for (int f = 0; f < T::FieldCount; ++f) {
        auto *field = new StepNumberTextField(this);
        field->setAccessibleName(QString::fromLatin1(names[f]));
        field->setPlaceholderText(QStringLiteral("-"));
        field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + 12);
        TextFieldDelegate delegate;
        delegate.controlTextDidEndEditing = [this](TextField *) { valueChanged(); };
        field->setDelegate(delegate);
        // Return and the arrow keys' steps.
        connect(field, &TextField::activated, this, &TransformEditor::valueChanged);
        m_fields[f] = field;
    }
    m_translateUnit->addItemsWithTitles(translateUnits());
    m_translateUnit->setAccessibleName(QStringLiteral("Translate unit"));
    connect(m_translateUnit, &PopUpButton::activatedTitle, this, [this](const QString &unit) {
        m_transform.setTranslateUnit(unit);
        valueChanged();
    });

    const auto clearButton = [this](const QString &what, void (TransformEditor::*clear)()) {
        auto *button = new QToolButton(this);
        button->setIcon(QIcon::fromTheme(QStringLiteral("edit-clear")));
        button->setToolTip(QStringLiteral("Clear %1").arg(what));
        button->setAccessibleName(button->toolTip());
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::StrongFocus);
        connect(button, &QToolButton::clicked, this, clear);
        return button;
    };

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    const auto row = [this, grid](int r, const QString &title, std::initializer_list<T::Field> fields, QWidget *unit,
                                  QWidget *clear) {
        grid->addWidget(new QLabel(title, this), r, 0);
        int column = 1;
        for (T::Field f : fields)
            grid->addWidget(m_fields[f], r, column++);
        if (unit)
            grid->addWidget(unit, r, 4);
        if (clear)
            grid->addWidget(clear, r, 5);
    };
    row(0, QStringLiteral("Perspective"), {T::Perspective}, nullptr, nullptr);
    row(1, QStringLiteral("Translate"), {T::X, T::Y, T::Z}, m_translateUnit,
        clearButton(QStringLiteral("translation"), &TransformEditor::clearTranslate));
    row(2, QStringLiteral("Rotate"), {T::Rotate}, nullptr, nullptr);
    row(3, QStringLiteral("Rotate 3D"), {T::RotateX, T::RotateY, T::RotateZ}, nullptr,
        clearButton(QStringLiteral("rotations"), &TransformEditor::clearRotate));
    row(4, QStringLiteral("Scale"), {T::ScaleX, T::ScaleY, T::ScaleZ}, nullptr,
        clearButton(QStringLiteral("scale"), &TransformEditor::clearScale));
    row(5, QStringLiteral("Skew"), {T::SkewX, T::SkewY}, nullptr,
        clearButton(QStringLiteral("skew"), &TransformEditor::clearSkew));
    grid->setColumnStretch(6, 1);
    showFields();
}

void TransformEditor::readStyle(StyleValueMap &map)
{
    const auto accept = [](const QList<StyleValueMap::Value> &) { return true; };
    auto values = map.takeIfHeld({QStringLiteral("transform")}, accept);
    if (!values && map.lookup(QStringLiteral("transform")).state == StyleValueMap::State::Absent)
        values = map.takeIfHeld({QStringLiteral("-webkit-transform")}, accept);
    if (!values)
        return;
    setImportant(values->first().important);
    m_transform.read(values->first().text);
    showFields();
}

void TransformEditor::reset()
{
    AttributeEditor::reset();
    // A new object starts from the default units and order too.
    m_transform = TransformValue();
    showFields();
}

std::optional<QString> TransformEditor::value() const
{
    TransformValue written = m_transform;
    const QString text = written.write();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> TransformEditor::styleRepresentation() const
{
    const std::optional<QString> text = value();
    if (!text)
        return std::nullopt;
    return declaration(QStringLiteral("transform"), *text);
}

QWidget *TransformEditor::firstControl() const
{
    return m_fields[TransformValue::Perspective];
}

void TransformEditor::clearTranslate()
{
    m_transform.clearTranslate();
    showFields();
    notifyChange();
}

void TransformEditor::clearRotate()
{
    m_transform.clearRotate();
    showFields();
    notifyChange();
}

void TransformEditor::clearScale()
{
    m_transform.clearScale();
    showFields();
    notifyChange();
}

void TransformEditor::clearSkew()
{
    m_transform.clearSkew();
    showFields();
    notifyChange();
}

void TransformEditor::valueChanged()
{
    for (int f = 0; f < TransformValue::FieldCount; ++f)
        m_transform.setField(TransformValue::Field(f), m_fields[f]->text().trimmed());
    // The user sees the fields completed as they are written.
    m_transform.write();
    showFields();
    notifyChange();
}

void TransformEditor::showFields()
{
    for (int f = 0; f < TransformValue::FieldCount; ++f) {
        if (m_fields[f]->text() != m_transform.field(TransformValue::Field(f)))
            m_fields[f]->setText(m_transform.field(TransformValue::Field(f)));
    }
    m_translateUnit->setTitle(m_transform.translateUnit());
}

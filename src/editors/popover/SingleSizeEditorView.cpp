#include "SingleSizeEditorView.h"

#include "editors/StepNumberTextField.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/Stepper.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The unit cells by position, each with the tag that sets its unit again.
struct UnitCell
{
    const char *unit;
    int tag;
};
constexpr UnitCell kUnitCells[] = {{"px", 0}, {"em", 1}, {"rem", 3}, {"%", 2}};

QString unitOfTag(int tag)
{
    for (const UnitCell &cell : kUnitCells) {
        if (cell.tag == tag)
            return QString::fromLatin1(cell.unit);
    }
    return {};
}

// A size as the field takes it: a number, with or without a length unit.
std::optional<std::pair<double, QString>> typedSize(const QString &text)
{
    const auto typed = StyleEditorView::numberWithUnit(text);
    if (!typed || (!typed->second.isEmpty() && !StyleEditorView::isLengthUnit(typed->second)))
        return std::nullopt;
    return typed;
}

} // namespace

SingleSizeEditorView::SingleSizeEditorView(QWidget *parent) : StyleEditorView(QStringLiteral("singleSize"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    auto *row = new QHBoxLayout;
    m_textField = makeNumberField(QStringLiteral("size"), QStringLiteral("Size"), 70, [this] { controlTextDidChange(); },
                                  [](const QString &text) { return typedSize(text).has_value(); });
    row->addWidget(m_textField);
    m_stepper = new Stepper(this);
    row->addWidget(m_stepper);
    row->addStretch();
    layout->addLayout(row);
    m_radioGroup = new ButtonMatrix(this);
    m_radioGroup->setObjectName(QStringLiteral("units"));
    int column = 0;
    for (const UnitCell &cell : kUnitCells)
        m_radioGroup->addCell(new QRadioButton(QString::fromLatin1(cell.unit)), cell.tag, 0, column++);
    layout->addWidget(m_radioGroup);

    connect(m_stepper, &Stepper::stepped, this, &SingleSizeEditorView::stepperChange);
    connect(m_radioGroup, &ButtonMatrix::cellClicked, this, &SingleSizeEditorView::unitChange);
    setFixedSize(sizeHint());
}

void SingleSizeEditorView::parseValue()
{
    const QString text = value();
    qsizetype length = 0;
    if (const std::optional<double> number = leadingNumber(text, &length)) {
        m_size = *number;
        m_decimals = decimalsOf(text.left(length));
        m_unit = text.mid(length);
    } else {
        m_unit = QStringLiteral("px");
    }
    const QStringList positions = {QStringLiteral("px"), QStringLiteral("em"), QStringLiteral("rem"), QStringLiteral("%")};
    if (const qsizetype position = positions.indexOf(m_unit); position >= 0) {
        m_radioGroup->selectCellAtPosition(int(position));
        m_stepper->setIncrement(position == 0 ? 1.0 : 0.1);
    }
    m_stepper->setDoubleValue(m_size);
    m_textField->setStringValue(QString::number(m_size, 'f', std::max(m_decimals, 1)));
}

int SingleSizeEditorView::shownDecimals() const
{
    return std::max({m_decimals, m_stepper->increment() < 1 ? 1 : 0});
}

void SingleSizeEditorView::controlTextDidChange()
{
    // Text that is no size (yet) changes nothing; the field says so when
    // editing ends (#66).
    const QString text = m_textField->text().trimmed();
    const auto typed = typedSize(text);
    if (!typed)
        return;
    m_size = typed->first;
    const QString number = text.left(text.size() - typed->second.size());
    m_decimals = decimalsOf(number);
    m_stepper->setDoubleValue(m_size);
    // A unit typed with the number is the editor's unit from now on.
    if (!typed->second.isEmpty()) {
        m_unit = typed->second.toLower();
        for (const UnitCell &cell : kUnitCells) {
            if (m_unit == QLatin1String(cell.unit))
                m_radioGroup->selectCellWithTag(cell.tag);
        }
    }
    // The number goes out as typed.
    setValue(number + m_unit);
    notifyChange(value());
}

void SingleSizeEditorView::stepperChange()
{
    m_size = m_stepper->doubleValue();
    const int decimals = shownDecimals();
    m_textField->setStringValue(QString::number(m_size, 'f', std::max(decimals, 1)));
    setValue(formatNumber(m_size, decimals) + m_unit);
    notifyChange(value());
}

void SingleSizeEditorView::unitChange(int tag)
{
    const QString unit = unitOfTag(tag);
    if (!unit.isEmpty()) {
        m_unit = unit;
        m_stepper->setIncrement(tag == 0 ? 1.0 : 0.1);
    }
    setValue(m_textField->text() + m_unit);
    notifyChange(value());
}

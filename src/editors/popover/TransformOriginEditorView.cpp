#include "TransformOriginEditorView.h"

#include "editors/StepNumberTextField.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"

#include <QGridLayout>
#include <QLabel>
#include <QRegularExpression>

namespace {

const QStringList &keywords(TransformOriginEditorView::Axis axis)
{
    static const QStringList x = {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")};
    static const QStringList y = {QStringLiteral("top"), QStringLiteral("center"), QStringLiteral("bottom")};
    return axis == TransformOriginEditorView::X ? x : y;
}

// The percentage behind a keyword: 0, 50 or 100.
QString keywordNumber(TransformOriginEditorView::Axis axis, const QString &keyword)
{
    return QString::number(keywords(axis).indexOf(keyword) * 50);
}

bool isXOnly(const QString &part)
{
    return part == QLatin1String("left") || part == QLatin1String("right");
}

bool isYOnly(const QString &part)
{
    return part == QLatin1String("top") || part == QLatin1String("bottom");
}

bool isKeyword(const QString &part)
{
    return isXOnly(part) || isYOnly(part) || part == QLatin1String("center");
}

} // namespace

TransformOriginEditorView::TransformOriginEditorView(QWidget *parent)
    : StyleEditorView(QStringLiteral("transformOrigin"), parent)
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    const char *labels[AxisCount] = {"X", "Y", "Z"};
    for (int a = 0; a < AxisCount; ++a) {
        const auto axis = Axis(a);
        auto *label = new QLabel(QString::fromLatin1(labels[a]), this);
        layout->addWidget(label, a, 0);
        auto *field = new StepNumberTextField(this);
        field->setAccessibleName(QString::fromLatin1(labels[a]));
        field->setFixedWidth(60);
        label->setBuddy(field);
        m_textFields[a] = field;
        layout->addWidget(field, a, 1);
        m_steppers[a] = new Stepper(this);
        layout->addWidget(m_steppers[a], a, 2);
        if (axis != Z) {
            m_keywordSelectors[a] = new PopUpButton(this);
            m_keywordSelectors[a]->addItemsWithTitles(keywords(axis));
            m_keywordSelectors[a]->setAccessibleName(QStringLiteral("%1 keyword").arg(QLatin1String(labels[a])));
            layout->addWidget(m_keywordSelectors[a], a, 1, 1, 2);
            connect(m_keywordSelectors[a], &PopUpButton::activatedTitle, this, [this] { valueChange(); });
        }
        m_unitSelectors[a] = new PopUpButton(this);
        QStringList units = {QStringLiteral("px"), QStringLiteral("%"), QStringLiteral("em"), QStringLiteral("rem")};
        units.prepend(QString());
        m_unitSelectors[a]->addItemsWithTitles(units);
        m_unitSelectors[a]->setAccessibleName(QStringLiteral("%1 unit").arg(QLatin1String(labels[a])));
        layout->addWidget(m_unitSelectors[a], a, 3);
        connect(m_unitSelectors[a], &PopUpButton::activatedTitle, this, [this, axis] { unitChange(axis); });

        TextFieldDelegate delegate;
        delegate.controlTextDidChange = [this](TextField *) { controlTextDidChange(); };
        field->setDelegate(delegate);
        connect(field, &TextField::activated, this, [this, field] { controlDidChange(field); });
        connect(m_steppers[a], &Stepper::stepped, this, [this, axis] { controlDidChange(m_steppers[axis]); });
    }
    setFixedSize(sizeHint());
}

void TransformOriginEditorView::parseValue()
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList parts = value().split(blanks, Qt::SkipEmptyParts);
    if (parts.size() == 1 && (isKeyword(parts.at(0)) || StyleEditorView::leadingNumber(parts.at(0)))) {
        // One part: the other axis is centred ("top" is "center top").
        if (isYOnly(parts.at(0)))
            parts.prepend(QStringLiteral("center"));
        else
            parts.append(QStringLiteral("center"));
    } else if (parts.size() >= 2 && isKeyword(parts.at(0)) && isKeyword(parts.at(1))
               && (isYOnly(parts.at(0)) || isXOnly(parts.at(1)))) {
        parts.swapItemsAt(0, 1);
    }
    m_parts = parts;
    xValue();
    yValue();
    zValue();
}

void TransformOriginEditorView::setNumber(Axis axis, const QString &number)
{
    m_textFields[axis]->setStringValue(number);
    m_steppers[axis]->setDoubleValue(number.toDouble());
}

void TransformOriginEditorView::readPart(Axis axis, const QString &part)
{
    setNumber(axis, QStringLiteral("0"));
    m_unitSelectors[axis]->setTitle(QString());
    if (axis != Z)
        m_keywordSelectors[axis]->setTitle(keywords(axis).first());
    qsizetype length = 0;
    if (leadingNumber(part, &length)) {
        setNumber(axis, part.left(length));
        m_unitSelectors[axis]->setTitle(part.mid(length));
    } else if (axis != Z && keywords(axis).contains(part)) {
        setNumber(axis, keywordNumber(axis, part));
        m_keywordSelectors[axis]->setTitle(part);
    } else {
        m_unitSelectors[axis]->setTitle(QStringLiteral("px"));
    }
    updateMode(axis);
}

void TransformOriginEditorView::xValue()
{
    readPart(X, m_parts.value(0));
}

void TransformOriginEditorView::yValue()
{
    readPart(Y, m_parts.value(1));
}

void TransformOriginEditorView::zValue()
{
    readPart(Z, m_parts.value(2));
}

bool TransformOriginEditorView::isKeywordMode(Axis axis) const
{
    return axis != Z && m_unitSelectors[axis]->titleOfSelectedItem().isEmpty();
}

void TransformOriginEditorView::updateMode(Axis axis)
{
    if (axis == Z)
        return;
    const bool keyword = isKeywordMode(axis);
    m_keywordSelectors[axis]->setVisible(keyword);
    m_textFields[axis]->setVisible(!keyword);
    m_steppers[axis]->setVisible(!keyword);
}

void TransformOriginEditorView::unitChange(Axis axis)
{
    updateMode(axis);
    setValue();
}

void TransformOriginEditorView::controlDidChange(QObject *sender)
{
    for (int a = 0; a < AxisCount; ++a) {
        if (sender == m_textFields[a]) {
            m_steppers[a]->setDoubleValue(leadingNumber(m_textFields[a]->text().trimmed()).value_or(0));
        } else if (sender == m_steppers[a]) {
            m_textFields[a]->setStringValue(formatNumber(m_steppers[a]->doubleValue(), 6));
        }
    }
    setValue();
}

void TransformOriginEditorView::setValue()
{
    QStringList parts;
    for (int a = 0; a < AxisCount; ++a) {
        const auto axis = Axis(a);
        if (isKeywordMode(axis))
            parts.append(m_keywordSelectors[a]->titleOfSelectedItem());
        else
            parts.append(m_textFields[a]->text().trimmed() + m_unitSelectors[a]->titleOfSelectedItem());
    }
    StyleEditorView::setValue(parts.join(QLatin1Char(' ')));
    notifyChange(value());
}

#include "StyleEditorView.h"

#include "editors/FieldMark.h"
#include "editors/StepNumberTextField.h"
#include "platform/foundation/NotificationCenter.h"

#include <QRegularExpression>

#include <cmath>

StyleEditorView::StyleEditorView(const QString &type, QWidget *parent) : QWidget(parent)
{
    setObjectName(type);
}

void StyleEditorView::initialize(const QString &propName, const QString &value)
{
    m_propName = propName;
    m_isImportant = value.contains(QLatin1String("!important"));
    if (m_isImportant) {
        QString stripped = value;
        stripped.remove(QLatin1String("!important"));
        // Only spaces and tabs are trimmed, at both ends.
        qsizetype begin = 0;
        qsizetype end = stripped.size();
        while (begin < end && (stripped.at(begin) == QLatin1Char(' ') || stripped.at(begin) == QLatin1Char('\t')))
            ++begin;
        while (end > begin && (stripped.at(end - 1) == QLatin1Char(' ') || stripped.at(end - 1) == QLatin1Char('\t')))
            --end;
        m_value = stripped.mid(begin, end - begin);
    } else {
        m_value = value;
    }
    m_writtenValue = m_value.trimmed();
    m_value = m_value.toLower();
    parseValue();
}

void StyleEditorView::notifyChange(const QString &text)
{
    post(QStringLiteral("cssValueChanged"), text);
}

void StyleEditorView::notifyCommit(const QString &text)
{
    post(QStringLiteral("cssValueCommit"), text);
}

void StyleEditorView::post(const QString &name, const QString &text)
{
    const QString sent = m_isImportant ? text + QStringLiteral(" !important") : text;
    NotificationCenter::defaultCenter().postNotificationName(name, this, {{QStringLiteral("value"), sent}});
}

std::optional<double> StyleEditorView::leadingNumber(const QString &text, qsizetype *length)
{
    static const QRegularExpression number(QStringLiteral("^[-+]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][-+]?[0-9]+)?"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double read = match.captured().toDouble(&ok);
    if (!ok || !std::isfinite(read))
        return std::nullopt;
    if (length)
        *length = match.capturedLength();
    return read;
}

int StyleEditorView::decimalsOf(const QString &number)
{
    const qsizetype point = number.indexOf(QLatin1Char('.'));
    if (point < 0)
        return 0;
    int count = 0;
    for (qsizetype i = point + 1; i < number.size() && number.at(i).isDigit(); ++i)
        ++count;
    return count;
}

QString StyleEditorView::formatNumber(double number, int maxDecimals)
{
    QString text = QString::number(number, 'f', std::clamp(maxDecimals, 0, 10));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

std::optional<std::pair<double, QString>> StyleEditorView::numberWithUnit(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype length = 0;
    const std::optional<double> number = leadingNumber(trimmed, &length);
    if (!number)
        return std::nullopt;
    const QString unit = trimmed.mid(length);
    static const QRegularExpression unitText(QStringLiteral("^([a-zA-Z]+|%)?$"));
    if (!unitText.match(unit).hasMatch())
        return std::nullopt;
    return std::pair{*number, unit};
}

bool StyleEditorView::isLengthUnit(const QString &unit)
{
    static const QStringList units = {QStringLiteral("px"), QStringLiteral("em"),   QStringLiteral("rem"),
                                      QStringLiteral("%"),  QStringLiteral("pt"),   QStringLiteral("pc"),
                                      QStringLiteral("cm"), QStringLiteral("mm"),   QStringLiteral("in"),
                                      QStringLiteral("q"),  QStringLiteral("ex"),   QStringLiteral("ch"),
                                      QStringLiteral("vw"), QStringLiteral("vh"),   QStringLiteral("vmin"),
                                      QStringLiteral("vmax")};
    return units.contains(unit.toLower());
}

StepNumberTextField *StyleEditorView::makeNumberField(const QString &name, const QString &accessibleName, int width,
                                                      std::function<void()> textChanged,
                                                      std::function<bool(const QString &)> reads)
{
    auto *field = new StepNumberTextField(this);
    field->setObjectName(name);
    field->setAccessibleName(accessibleName);
    field->setFixedWidth(width);
    TextFieldDelegate delegate;
    delegate.controlTextDidChange = [reads, changed = std::move(textChanged)](TextField *field) {
        if (!reads || reads(field->text()))
            FieldMark::clear(field);
        changed();
    };
    if (reads) {
        delegate.controlTextDidEndEditing = [reads](TextField *field) {
            if (!reads(field->text()))
                FieldMark::setRefused(field, QStringLiteral("\"%1\" is no number this field takes").arg(field->text().trimmed()));
        };
    }
    field->setDelegate(delegate);
    return field;
}

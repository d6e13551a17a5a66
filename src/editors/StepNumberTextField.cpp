#include "StepNumberTextField.h"

#include "platform/foundation/NotificationCenter.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpression>

#include <cmath>

namespace {

// The number a text begins with, as written: sign, digits and one point.
const QRegularExpression &leadingNumber()
{
    static const QRegularExpression re(QStringLiteral("^\\s*([-+]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+))"));
    return re;
}

QString formatNumber(double value, qint64 preDigit)
{
    QString text;
    if (preDigit < 0) {
        text = QString::number(value, 'f', int(-preDigit));
    } else {
        // Whole steps of a whole number: no exponent form for large values.
        text = QString::number(value, 'f', 0);
        if (std::fabs(value - std::round(value)) > 1e-9)
            text = QString::number(value, 'g', 12);
    }
    // A step onto zero from below must not read "-0.0".
    if (text.startsWith(u'-') && text.mid(1).toDouble() == 0)
        text.remove(0, 1);
    return text;
}

} // namespace

StepNumberTextField::StepNumberTextField(QWidget *parent)
    : TextField(parent)
{
}

StepNumberTextField::~StepNumberTextField() = default;

bool StepNumberTextField::isSingleNumberText(const QString &text)
{
    static const QRegularExpression important(QStringLiteral("[\\s]?!important"));
    static const QRegularExpression number(QStringLiteral("-?[0-9.]+[a-z%]*"));
    const QString plain = QString(text).remove(important);
    if (plain.isEmpty())
        return false;
    const QRegularExpressionMatch match = number.match(plain);
    return match.hasMatch() && match.capturedStart() == 0 && match.capturedLength() == plain.size();
}

bool StepNumberTextField::isSingleNumber() const
{
    return isSingleNumberText(text());
}

qint64 StepNumberTextField::numberDigits(const QString &text)
{
    const QRegularExpressionMatch match = leadingNumber().match(text);
    if (!match.hasMatch())
        return 0;
    const QString number = match.captured(1);
    const qsizetype point = number.indexOf(u'.');
    if (point < 0)
        return 0;
    return -qint64(number.size() - point - 1);
}

QString StepNumberTextField::steppedText(const QString &text, double step, qint64 preDigit)
{
    const QRegularExpressionMatch match = leadingNumber().match(text);
    if (!match.hasMatch())
        return formatNumber(step, std::min<qint64>(preDigit, 0));
    bool ok = false;
    const double number = match.captured(1).toDouble(&ok);
    if (!ok)
        return formatNumber(step, std::min<qint64>(preDigit, 0));
    return formatNumber(number + step, preDigit) + text.mid(match.capturedEnd(1));
}

void StepNumberTextField::stepNumberValue(float step)
{
    stepText(double(step));
}

void StepNumberTextField::stepText(double step)
{
    setText(steppedText(text(), step, m_preDigit));
    // As if the user had typed the new text and pressed Return.
    if (delegate().controlTextDidChange)
        delegate().controlTextDidChange(this);
    Q_EMIT activated();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("closeRefviewByStepChange"), this);
}

void StepNumberTextField::becomeFirstResponder(Qt::FocusReason reason)
{
    TextField::becomeFirstResponder(reason);
    if (m_keyEvent)
        return;
    // The monitor is a filter on the field itself, so it sees keys only
    // while the field has the focus.
    installEventFilter(this);
    m_keyEvent = true;
}

void StepNumberTextField::textDidEndEditing()
{
    // After Return the field keeps its focus and stepping goes on.
    if (!m_returnPressed)
        removeMonitor();
    TextField::textDidEndEditing();
}

void StepNumberTextField::focusOutEvent(QFocusEvent *event)
{
    TextField::focusOutEvent(event);
    // Editing may have ended with Return before: leaving the field ends the
    // monitor in any case.
    if (event->reason() != Qt::PopupFocusReason)
        removeMonitor();
}

void StepNumberTextField::removeMonitor()
{
    if (!m_keyEvent)
        return;
    removeEventFilter(this);
    m_keyEvent = false;
}

bool StepNumberTextField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this || event->type() != QEvent::KeyPress)
        return TextField::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    m_returnPressed = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down)
        return false;
    if (!isSingleNumber() && !text().isEmpty())
        return false;
    m_preDigit = numberDigits(text());
    double step = std::pow(10.0, double(m_preDigit));
    if (key->modifiers() & Qt::ShiftModifier)
        step *= 10;
    stepText(key->key() == Qt::Key_Up ? step : -step);
    // Consumed, so that a scroll view around the field does not scroll too.
    return true;
}

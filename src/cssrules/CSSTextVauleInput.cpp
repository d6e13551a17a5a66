#include "CSSTextVauleInput.h"

#include "platform/foundation/NotificationCenter.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpression>

CSSTextVauleInput::CSSTextVauleInput(QWidget *parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("valueNameDisplay"));
    setFrame(false);
    setAccessibleName(QStringLiteral("Value"));
    connect(this, &QLineEdit::textEdited, this, [this] { controlTextDidChange(); });
}

CSSTextVauleInput::~CSSTextVauleInput() = default;

void CSSTextVauleInput::post(const char *name, const QVariantMap &userInfo)
{
    NotificationCenter::defaultCenter().postNotificationName(QString::fromLatin1(name), this, userInfo);
}

void CSSTextVauleInput::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    m_isInEditMode = true;
    post("valueInputHasFocus", {{QStringLiteral("textField"), QVariant::fromValue(static_cast<QObject *>(this))}});
}

void CSSTextVauleInput::controlTextDidChange()
{
    post("valueInputDidEdit", {{QStringLiteral("text"), text()}});
    post("cssValueChanged", {{QStringLiteral("value"), text()}});
}

bool CSSTextVauleInput::isSingleNumberText(const QString &text)
{
    static const QRegularExpression important(QStringLiteral("[\\s]?!important"));
    static const QRegularExpression number(QStringLiteral("-?[0-9.]+[a-z%]*"));
    const QString plain = QString(text).remove(important);
    const QRegularExpressionMatch match = number.match(plain);
    return match.hasMatch() && match.capturedStart() == 0 && match.capturedLength() == plain.size() && !plain.isEmpty();
}

bool CSSTextVauleInput::isSingleNumber() const
{
    return isSingleNumberText(text());
}

std::optional<QString> CSSTextVauleInput::steppedText(const QString &text, float step)
{
    static const QRegularExpression leading(QStringLiteral("^\\s*([-+]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][-+]?[0-9]+)?)"));
    const QRegularExpressionMatch match = leading.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const float number = match.captured(1).toFloat(&ok);
    if (!ok)
        return std::nullopt;
    const float stepped = number + step;
    // "%g" in the C locale: a German desktop must never write "0,5em".
    return QString::asprintf("%g", double(stepped)) + text.mid(match.capturedEnd(1));
}

void CSSTextVauleInput::stepNumberValue(float step)
{
    const std::optional<QString> stepped = steppedText(text(), step);
    if (!stepped)
        return;
    setText(*stepped);
    controlTextDidChange();
    post("closeRefviewByStepChange");
}

void CSSTextVauleInput::endEditing(bool commit, bool close)
{
    if (m_ended)
        return;
    m_ended = true;
    m_isInEditMode = false;
    post("valueInputDidEndEdit");
    if (commit && m_action)
        m_action(this);
    else if (!commit && m_abandon)
        m_abandon(this);
    if (close && m_close)
        m_close(this);
}

void CSSTextVauleInput::filterOwnEvents()
{
    // The filter installed last sees the events first.
    removeEventFilter(this);
    installEventFilter(this);
}

bool CSSTextVauleInput::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this)
        return QLineEdit::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        // A menu or another window taking the focus for a while is no end.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            endEditing(false, false);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        endEditing(true, true);
        return true;
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        endEditing(false, true);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool up = key->key() == Qt::Key_Up;
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        float step = 0;
        if (isSingleNumber()) {
            if (modifiers & Qt::ControlModifier)
                step = 0.1f;
            else if (modifiers & Qt::AltModifier)
                step = 1;
            else if (modifiers & Qt::ShiftModifier)
                step = 10;
        }
        if (step != 0)
            stepNumberValue(up ? step : -step);
        else
            post(up ? "valueInputKeyUp" : "valueInputKeyDown",
                 {{QStringLiteral("textField"), QVariant::fromValue(static_cast<QObject *>(this))}});
        return true;
    }
    default:
        return false;
    }
}

#include "TextField.h"

#include <QFocusEvent>
#include <QKeyEvent>

TextField::TextField(QWidget *parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { userEdited(); });
    // A text the program puts into a field the user is not typing in shows
    // its start, as a text longer than the field reads from there.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!hasFocus() && !m_editing)
            setCursorPosition(0);
    });
}

TextField::~TextField() = default;

void TextField::setStringValue(const QString &value)
{
    if (value != text())
        setText(value);
}

void TextField::setRefusesFirstResponder(bool refuses)
{
    setFocusPolicy(refuses ? Qt::NoFocus : Qt::StrongFocus);
}

void TextField::userEdited()
{
    if (!m_editing) {
        m_editing = true;
        textDidBeginEditing();
    }
    textDidChange();
}

void TextField::endEditing()
{
    if (!m_editing)
        return;
    m_editing = false;
    textDidEndEditing();
}

void TextField::becomeFirstResponder(Qt::FocusReason) {}

void TextField::textDidBeginEditing()
{
    if (m_delegate.controlTextDidBeginEditing)
        m_delegate.controlTextDidBeginEditing(this);
}

void TextField::textDidChange()
{
    if (m_delegate.controlTextDidChange)
        m_delegate.controlTextDidChange(this);
}

void TextField::textDidEndEditing()
{
    if (m_delegate.controlTextDidEndEditing)
        m_delegate.controlTextDidEndEditing(this);
}

void TextField::focusInEvent(QFocusEvent *event)
{
    if (!m_editing)
        m_textBeforeEditing = text();
    QLineEdit::focusInEvent(event);
    becomeFirstResponder(event->reason());
}

void TextField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A menu or completion list taking the focus for a moment does not end
    // editing.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    endEditing();
    // The field left shows its text from the start again; one only put aside
    // while another window is used stays as it was.
    if (event->reason() != Qt::ActiveWindowFocusReason)
        setCursorPosition(0);
}

void TextField::inputMethodEvent(QInputMethodEvent *event)
{
    if (!m_editing)
        m_textBeforeEditing = text();
    QLineEdit::inputMethodEvent(event);
}

void TextField::keyPressEvent(QKeyEvent *event)
{
    if (!m_editing)
        m_textBeforeEditing = text();
    const TextCommand command = KeyCodes::commandForKeyEvent(event);
    if (command != TextCommand::None && m_delegate.doCommandBySelector
        && m_delegate.doCommandBySelector(this, command)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    if (command == TextCommand::InsertNewline) {
        Q_EMIT activated();
        endEditing();
    }
}

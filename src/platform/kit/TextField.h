#pragma once

#include "KeyCodes.h"

#include <QLineEdit>

#include <functional>

class TextField;
struct Notification;

// The optional hooks of a text field's delegate; an empty function is a
// message the delegate does not answer.
struct TextFieldDelegate
{
    std::function<void(TextField *)> controlTextDidBeginEditing;
    std::function<void(TextField *)> controlTextDidChange;
    std::function<void(TextField *)> controlTextDidEndEditing;
    // A command derived from a key, before the field acts on it; answering
    // true means the delegate handled it.
    std::function<bool(TextField *, TextCommand)> doCommandBySelector;
    // Told by the fields that announce their focus (FocusTextField,
    // FinderViewTextField).
    std::function<void(const Notification &)> controlDidBecomeFirstResponder;
};

// A one-line text field of the kit. Editing begins with the user's first
// change and ends with Return or when the focus leaves; changes made by the
// program are not edits. Return sends the field's action (activated()).
// Outside editing the field shows the start of a text too long for it.
class TextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit TextField(QWidget *parent = nullptr);
    ~TextField() override;

    void setDelegate(TextFieldDelegate delegate) { m_delegate = std::move(delegate); }
    const TextFieldDelegate &delegate() const { return m_delegate; }

    QString stringValue() const { return text(); }
    // The program's text for the field. The same text again changes
    // nothing: the field keeps showing it as it did, from its start when
    // the user is not typing in it.
    void setStringValue(const QString &value);

    bool refusesFirstResponder() const { return focusPolicy() == Qt::NoFocus; }
    void setRefusesFirstResponder(bool refuses);

    bool isEditing() const { return m_editing; }
    // The text as it was before the edit in progress (or the last one) began.
    QString textWhenEditingBegan() const { return m_textBeforeEditing; }
    // Ends editing as leaving the field would.
    void endEditing();

Q_SIGNALS:
    // The field's action.
    void activated();

protected:
    // For subclasses; each runs after the kit's own handling.
    virtual void becomeFirstResponder(Qt::FocusReason reason);
    virtual void textDidBeginEditing();
    virtual void textDidChange();
    virtual void textDidEndEditing();

    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    void userEdited();

    TextFieldDelegate m_delegate;
    bool m_editing = false;
    QString m_textBeforeEditing;
};

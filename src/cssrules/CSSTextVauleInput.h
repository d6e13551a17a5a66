#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>

// The field in which the value of a declaration row is typed. Every change
// of its text is announced at once ("valueInputDidEdit", then
// "cssValueChanged" with the text), so that the page follows each keystroke;
// Return ends editing and sends the action (the panel commits); Escape and
// the loss of the focus end it without one. With Ctrl, Alt or Shift the Up
// and Down keys step a lone number by 0.1, 1 or 10, keeping its unit and any
// "!important"; plain Up and Down are announced for the value list.
// It talks to the rest of the program through notifications, with itself
// as their object.
class CSSTextVauleInput : public QLineEdit
{
    Q_OBJECT

public:
    explicit CSSTextVauleInput(QWidget *parent = nullptr);
    ~CSSTextVauleInput() override;

    // Return: after "valueInputDidEndEdit" is posted.
    void setAction(std::function<void(CSSTextVauleInput *)> action) { m_action = std::move(action); }
    // Editing ended without Return (Escape, Tab, the focus went elsewhere).
    void setAbandonHandler(std::function<void(CSSTextVauleInput *)> handler) { m_abandon = std::move(handler); }
    // Told when the field has finished and wants to be closed.
    void setCloseHandler(std::function<void(CSSTextVauleInput *)> handler) { m_close = std::move(handler); }

    bool isInEditMode() const { return m_isInEditMode; }
    // Whether the text is one number with an optional lower-case unit.
    bool isSingleNumber() const;
    // Adds the step to that number; nothing when no number leads the text.
    void stepNumberValue(float step);
    // The text a step gives: "%g" of the number, then the rest as it was.
    static std::optional<QString> steppedText(const QString &text, float step);
    static bool isSingleNumberText(const QString &text);

    // Keys reach the field before the view that edits it: the field filters
    // its own events, installed after the view's filter.
    void filterOwnEvents();
    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    void controlTextDidChange();
    // close: the field asks to be closed (the view closes it when the focus goes).
    void endEditing(bool commit, bool close);
    void post(const char *name, const QVariantMap &userInfo = {});

    std::function<void(CSSTextVauleInput *)> m_action;
    std::function<void(CSSTextVauleInput *)> m_abandon;
    std::function<void(CSSTextVauleInput *)> m_close;
    bool m_isInEditMode = false;
    bool m_ended = false;
};

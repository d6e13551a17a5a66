#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QPlainTextEdit;

// Block editing for a plain text view: Tab and Shift+Tab indent and outdent
// the selected lines, Alt+Up and Alt+Down move them past the line above or
// below. It watches the view's keys; each command is one step of the view's
// own undo. A read-only view is left as it is.
class CodeViewController : public QObject
{
    Q_OBJECT

public:
    // The editing commands the controller is asked about.
    enum class Command {
        InsertTab,
        InsertBacktab,
        MoveToBeginningOfParagraph,
        MoveToEndOfParagraph,
        MoveForward,
        MoveBackward,
        Other,
    };

    // The text view is not owned; the controller is its child.
    explicit CodeViewController(QPlainTextEdit *textView);

    QPlainTextEdit *textView() const { return m_textView; }

    // Sets the view up: no wrapping, so long lines stay whole.
    void awakeFromNib();
    // Carries out a command; answers whether it was handled here (false
    // leaves it to the view).
    bool textViewDoCommandBySelector(Command command);
    // The command of a key press.
    static Command commandForKey(const QKeyEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QPlainTextEdit> m_textView;
};

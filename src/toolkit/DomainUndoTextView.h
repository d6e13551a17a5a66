#pragma once

#include <QPlainTextEdit>

// A text view with an undo history of its own: its edits are undone by its
// document, never by the application's shared undo manager, and the shared
// history's Undo never touches them. Typed text stays as typed (no dash or
// quote substitution, no text replacement).
class DomainUndoTextView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit DomainUndoTextView(QWidget *parent = nullptr);

    // Undo and redo on the view's own history; ignored when there is nothing to do.
    void undo();
    void redo();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

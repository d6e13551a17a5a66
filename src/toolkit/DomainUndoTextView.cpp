#include "DomainUndoTextView.h"

#include <QKeyEvent>
#include <QTextDocument>

DomainUndoTextView::DomainUndoTextView(QWidget *parent) : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(true);
}

void DomainUndoTextView::undo()
{
    if (document()->isUndoAvailable())
        QPlainTextEdit::undo();
}

void DomainUndoTextView::redo()
{
    if (document()->isRedoAvailable())
        QPlainTextEdit::redo();
}

static bool isUndoOrRedoKey(const QKeyEvent *event)
{
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
}

bool DomainUndoTextView::event(QEvent *event)
{
    // Claim the undo keys before any application shortcut sees them, even when
    // there is nothing to undo here, so they never reach the shared history.
    if (event->type() == QEvent::ShortcutOverride && isUndoOrRedoKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void DomainUndoTextView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo)) {
        undo();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Redo)) {
        redo();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

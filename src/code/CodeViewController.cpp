#include "CodeViewController.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

// The whole lines covering a selection, line breaks included: its start and
// end positions in the document and its blocks.
struct LineBlock
{
    int start = 0;
    int end = 0;
    QTextBlock first;
    QTextBlock last;
};

LineBlock lineBlockOf(QTextDocument *doc, int start, int end)
{
    LineBlock block;
    block.first = doc->findBlock(start);
    // A selection that ends just after a line break covers no more of the
    // line after it.
    block.last = doc->findBlock(end > start ? end - 1 : end);
    if (block.last.blockNumber() < block.first.blockNumber())
        block.last = block.first;
    const int textLength = doc->characterCount() - 1;
    block.start = block.first.position();
    block.end = std::min(block.last.position() + block.last.length(), textLength);
    return block;
}

QString textOf(QTextDocument *doc, int start, int end)
{
    QTextCursor cursor(doc);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    return cursor.selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

void select(QPlainTextEdit *view, int start, int end)
{
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
}

// Selects the whole lines covering [start, start + length).
void selectLines(QPlainTextEdit *view, int start, int length)
{
    const LineBlock block = lineBlockOf(view->document(), start, start + length);
    select(view, block.start, block.end);
}

} // namespace

CodeViewController::CodeViewController(QPlainTextEdit *textView)
    : QObject(textView)
    , m_textView(textView)
{
    textView->installEventFilter(this);
    awakeFromNib();
}

void CodeViewController::awakeFromNib()
{
    if (!m_textView)
        return;
    m_textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_textView->setWordWrapMode(QTextOption::NoWrap);
}

CodeViewController::Command CodeViewController::commandForKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Tab && modifiers == Qt::NoModifier)
        return Command::InsertTab;
    if (event->key() == Qt::Key_Backtab || (event->key() == Qt::Key_Tab && modifiers == Qt::ShiftModifier))
        return Command::InsertBacktab;
    if (modifiers == Qt::AltModifier && event->key() == Qt::Key_Up)
        return Command::MoveToBeginningOfParagraph;
    if (modifiers == Qt::AltModifier && event->key() == Qt::Key_Down)
        return Command::MoveToEndOfParagraph;
    return Command::Other;
}

bool CodeViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textView && event->type() == QEvent::KeyPress) {
        const Command command = commandForKey(static_cast<QKeyEvent *>(event));
        if (command != Command::Other && textViewDoCommandBySelector(command))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

bool CodeViewController::textViewDoCommandBySelector(Command command)
{
    QPlainTextEdit *view = m_textView;
    if (!view || view->isReadOnly())
        return false;
    QTextDocument *doc = view->document();
    const QTextCursor selection = view->textCursor();
    const int selStart = selection.selectionStart();
    const int selEnd = selection.selectionEnd();
    const LineBlock block = lineBlockOf(doc, selStart, selEnd);
    const int textLength = doc->characterCount() - 1;

    QTextCursor cursor(doc);
    switch (command) {
    case Command::InsertTab: {
        if (selStart == selEnd)
            return false;
        // From the last line to the first, so the earlier positions hold.
        cursor.beginEditBlock();
        int inserted = 0;
        for (QTextBlock line = block.last; line.isValid(); line = line.previous()) {
            cursor.setPosition(line.position());
            cursor.insertText(QStringLiteral("\t"));
            ++inserted;
            if (line == block.first)
                break;
        }
        cursor.endEditBlock();
        selectLines(view, block.start, block.end - block.start + inserted);
        return true;
    }
    case Command::InsertBacktab: {
        cursor.beginEditBlock();
        int length = block.end - block.start;
        for (QTextBlock line = block.last; line.isValid(); line = line.previous()) {
            if (line.text().startsWith(u'\t')) {
                cursor.setPosition(line.position());
                cursor.setPosition(line.position() + 1, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                --length;
            }
            if (line == block.first)
                break;
        }
        cursor.endEditBlock();
        if (selStart != selEnd)
            selectLines(view, block.start, length);
        return true;
    }
    case Command::MoveToBeginningOfParagraph: {
        if (block.start == 0)
            return true;
        QString moved = textOf(doc, block.start, block.end);
        const QTextBlock above = block.first.previous();
        const int target = above.position();
        cursor.beginEditBlock();
        if (!moved.endsWith(u'\n')) {
            // The last line has no break of its own: it takes the one
            // before it along.
            moved += u'\n';
            cursor.setPosition(block.start - 1);
        } else {
            cursor.setPosition(block.start);
        }
        cursor.setPosition(block.end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        cursor.setPosition(target);
        cursor.insertText(moved);
        cursor.endEditBlock();
        select(view, target, target + int(moved.size()));
        return true;
    }
    case Command::MoveToEndOfParagraph: {
        if (block.end >= textLength)
            return true;
        QString moved = textOf(doc, block.start, block.end);
        cursor.beginEditBlock();
        cursor.setPosition(block.start);
        cursor.setPosition(block.end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        const QTextBlock below = doc->findBlock(block.start);
        int target = below.position() + below.length();
        if (target > doc->characterCount() - 1) {
            // The line below was the last: the moved lines follow it after a
            // break of their own.
            target = doc->characterCount() - 1;
            moved.chop(1);
            moved.prepend(u'\n');
        }
        cursor.setPosition(target);
        cursor.insertText(moved);
        cursor.endEditBlock();
        const int start = moved.startsWith(u'\n') ? target + 1 : target;
        select(view, start, target + int(moved.size()));
        return true;
    }
    case Command::MoveForward:
    case Command::MoveBackward:
        return true;
    case Command::Other:
        break;
    }
    return false;
}

// CodeView's keys: the code assist keys, indentation, the script files'
// Return and the closing tag of a completed element.

#include "CodeView.h"

#include "CodeAssistContext.h"
#include "ReferenceView.h"

#include "platform/foundation/Log.h"
#include "platform/kit/KeyCodes.h"
#include "toolkit/RBLPopover.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>

namespace {

bool isPlainKey(quint64 flags)
{
    return !(flags & (KeyCodes::CommandKeyMask | KeyCodes::AlternateKeyMask | KeyCodes::ControlKeyMask));
}

bool isModifierKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
        return true;
    default:
        return false;
    }
}

int leadingTabs(const QString &line)
{
    int count = 0;
    while (count < line.size() && line.at(count) == u'\t')
        ++count;
    return count;
}

} // namespace

bool CodeView::isScriptFile() const
{
    return m_file && m_file->path().endsWith(QLatin1String("js"));
}

bool CodeView::hasMarkedText() const
{
    const QTextBlock block = textCursor().block();
    return block.isValid() && block.layout() && !block.layout()->preeditAreaText().isEmpty();
}

bool CodeView::claimsShortcut(const QKeyEvent *event) const
{
    const int code = KeyCodes::keyCode(event);
    const quint64 flags = KeyCodes::modifierFlags(event);
    const bool command = flags & KeyCodes::CommandKeyMask;
    if (command && (code == KeyCodes::Backslash || code == KeyCodes::RightBracket))
        return true;
    if (isScriptFile())
        return false;
    if ((flags & KeyCodes::ShiftKeyMask) && code == KeyCodes::Space)
        return true;
    if (command && (code == KeyCodes::DownArrow || code == KeyCodes::UpArrow))
        return true;
    // Escape closes the list first; without it, a find bar's Escape comes first.
    return isPopupShownHere()
           && (code == KeyCodes::Return || code == KeyCodes::Escape || code == KeyCodes::DownArrow
               || code == KeyCodes::UpArrow);
}

void CodeView::keyDown(QKeyEvent *event)
{
    const int code = KeyCodes::keyCode(event);
    const quint64 flags = KeyCodes::modifierFlags(event);
    const bool command = flags & KeyCodes::CommandKeyMask;

    if (isScriptFile()) {
        if (hasMarkedText()) {
            platformKeyPress(event);
            return;
        }
        if (command && shiftLinesForKey(code))
            return;
        if (code == KeyCodes::Return && isPlainKey(flags)) {
            appendTabWhenRetunKeyDown();
            return;
        }
        platformKeyPress(event);
        return;
    }

    // A modifier pressed alone changes nothing of the assist.
    if (isModifierKey(event)) {
        platformKeyPress(event);
        return;
    }

    CodeAssistContext &c = CodeAssistContext::shared();
    const bool hasList = m_popup && m_popup->assistType() == 1;
    if (isPopupShownHere()) {
        if (event->text() == QLatin1String(";")) {
            c.keepAssisting = false;
            closePopup();
            if (m_popup && m_popup->assistType() != 0)
                writeCode();
            // A value written with its ";" takes the typed one's place.
            const int caret = caretLocation();
            if (caret < string().size() && string().at(caret) == u';') {
                setCaretLocation(caret + 1);
                return;
            }
            platformKeyPress(event);
            return;
        }
        if (code == KeyCodes::Delete || code == KeyCodes::Quote)
            closePopup();
    }
    c.caretLocation = caretLocation();

    if (code == KeyCodes::Return) {
        if (hasMarkedText() || !isPopupShownHere()) {
            platformKeyPress(event);
            return;
        }
        if (m_popup && m_popup->assistType() == 2) {
            if (m_popup->colorWell()->isChecked())
                hidePopupNow();
            return;
        }
        if (command)
            doSaveAndRefresh();
        else
            hidePopupNow();
        writeCode();
        return;
    }

    if (code == KeyCodes::Escape) {
        detectCode();
        if (!isPopupShownHere())
            popupReferenceWindow();
        else
            hidePopupNow();
        return;
    }
    if ((flags & KeyCodes::ShiftKeyMask) && code == KeyCodes::Space && !command) {
        detectCode();
        popupReferenceWindow();
        return;
    }
    const bool vertical = code == KeyCodes::DownArrow || code == KeyCodes::UpArrow;
    if (!isPopupShownHere()) {
        if (command && vertical) {
            detectCode();
            popupReferenceWindow();
            return;
        }
    } else if (vertical) {
        if (hasList)
            moveListSelection(code == KeyCodes::DownArrow, command);
        return;
    } else {
        c.listNavigation = false;
        if (code == KeyCodes::LeftArrow || code == KeyCodes::RightArrow) {
            c.popupShown = false;
            if (m_popover)
                m_popover->close();
        }
    }

    if (command && shiftLinesForKey(code))
        return;
    platformKeyPress(event);
    // The tag list opens on a typed "<", on any keyboard layout. Without
    // the list, nothing else of the classification is used: a plain key in
    // a large text costs no scan.
    if (event->text() == QLatin1String("<")) {
        detectCode();
        if (c.codeType == CodeAssistContext::TagNames)
            popupReferenceWindow();
    }
    if (!isPopupShownHere())
        return;
    if (code == KeyCodes::Return || code == KeyCodes::Escape || code == KeyCodes::LeftArrow
        || code == KeyCodes::RightArrow || code == KeyCodes::DownArrow || code == KeyCodes::UpArrow) {
        c.keepAssisting = false;
        return;
    }
    // The list follows what is typed; with nothing left to offer it goes.
    c.keepAssisting = true;
    detectCode();
    if (c.codeType < 0) {
        hidePopupNow();
        return;
    }
    popupReferenceWindow();
}

// --- Indentation --------------------------------------------------------------------

void CodeView::appendTabWhenRetunKeyDown()
{
    QTextCursor cursor = textCursor();
    const int caret = cursor.selectionStart();
    const int textLength = document()->characterCount() - 1;
    // The caret's whole line, with a line break when one ends it: the
    // slices of a long line are one line.
    const QString &text = string();
    const qsizetype at = stringIndexOf(caret);
    qsizetype start = at;
    while (start > 0 && !CodeViewText::isDocumentBreak(text.at(start - 1)))
        --start;
    qsizetype end = at;
    while (end < text.size() && !CodeViewText::isDocumentBreak(text.at(end)))
        ++end;
    QString line = text.mid(start, end - start);
    if (end < text.size())
        line += u'\n';
    const QChar next = caret + 1 < textLength ? document()->characterAt(caret) : QChar();

    int count = leadingTabs(line);
    if (!line.isEmpty() && next == u'\t')
        --count;
    if (textLength > 0 && line.trimmed().endsWith(u'{'))
        ++count;
    cursor.insertText(QStringLiteral("\n") + QString(std::max(0, count), u'\t'));
    setTextCursor(cursor);
}

bool CodeView::shiftLinesForKey(int keyCode)
{
    if (keyCode == KeyCodes::Backslash)
        insertTabs();
    else if (keyCode == KeyCodes::RightBracket)
        deleteTabs();
    else
        return false;
    return true;
}

void CodeView::insertTabs()
{
    shiftLines(Shift::In);
}

void CodeView::deleteTabs()
{
    shiftLines(Shift::Out);
}

void CodeView::shiftLines(Shift shift)
{
    QTextDocument *doc = document();
    const QTextCursor selection = textCursor();
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    QTextBlock first = doc->findBlock(start);
    // A selection that ends with a line break leaves the next line alone.
    QTextBlock last = doc->findBlock(end);
    if (end > start && CodeViewText::isDocumentBreak(doc->characterAt(end - 1)) && !isContinuation(last))
        last = doc->findBlock(end - 1);
    if (!first.isValid() || !last.isValid())
        return;
    if (last.blockNumber() < first.blockNumber())
        last = first;
    // The slices of a long line are one line.
    while (first.previous().isValid() && isContinuation(first))
        first = first.previous();
    while (last.next().isValid() && isContinuation(last.next()))
        last = last.next();

    const int textLength = doc->characterCount() - 1;
    const int blockStart = first.position();
    const int blockEnd = std::min(last.position() + last.length(), textLength);
    if (blockEnd <= blockStart)
        return;

    // Where tabs go in or come out, as places of the file's text.
    QList<int> changed;
    QString replaced;
    for (QTextBlock block = first;; block = block.next()) {
        QString line = block.text();
        if (!isContinuation(block)) {
            if (block != first)
                replaced += u'\n';
            if (shift == Shift::In) {
                line.prepend(u'\t');
                changed << stringIndexOf(block.position());
            } else {
                QM_DEBUG(QStringLiteral("line = %1").arg(line));
                if (line.startsWith(u'\t')) {
                    line.remove(0, 1);
                    changed << stringIndexOf(block.position());
                }
            }
        }
        replaced += line;
        if (block == last)
            break;
    }
    if (last.position() + last.length() <= textLength)
        replaced += u'\n';
    if (changed.isEmpty())
        return;

    // The selection's ends follow the text: a tab put in at or before an end
    // moves it on, a tab taken out before it moves it back.
    int newStart = stringIndexOf(start);
    int newEnd = stringIndexOf(end);
    const int oldStart = newStart;
    const int oldEnd = newEnd;
    for (int position : std::as_const(changed)) {
        if (shift == Shift::In) {
            newStart += position <= oldStart ? 1 : 0;
            newEnd += position <= oldEnd ? 1 : 0;
        } else {
            newStart -= position < oldStart ? 1 : 0;
            newEnd -= position < oldEnd ? 1 : 0;
        }
    }
    QTextCursor cursor(doc);
    cursor.setPosition(blockStart);
    cursor.setPosition(blockEnd, QTextCursor::KeepAnchor);
    cursor.insertText(replaced);
    cursor.setPosition(documentPositionOf(newStart));
    cursor.setPosition(documentPositionOf(newEnd), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

QString CodeView::getCloseTag(QChar next, const QString &tagName)
{
    if (next == u'\t' || next == u' ' || next == u'\r' || next == u'\n' || next == u'<'
        || CodeViewText::isDocumentBreak(next)) {
        return QStringLiteral("></") + tagName + u'>';
    }
    return {};
}

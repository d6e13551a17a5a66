#include "CodeView.h"

#include "CodeAssistContext.h"
#include "CodeEditing_p.h"
#include "ReferenceView.h"
#include "SyntaxColoring.h"
#include "TextFinder.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/FontRBLFallbackAdditions.h"
#include "workspace/File.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// The lengths of the common start of two texts and of their common end in
// what is left, neither splitting a "\r\n".
std::pair<qsizetype, qsizetype> commonEnds(const QString &a, const QString &b)
{
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype prefix = 0;
    while (prefix < shorter && a.at(prefix) == b.at(prefix))
        ++prefix;
    if (prefix > 0 && a.at(prefix - 1) == u'\r')
        --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && a.at(a.size() - 1 - suffix) == b.at(b.size() - 1 - suffix))
        ++suffix;
    if (suffix > 0 && a.at(a.size() - suffix) == u'\n')
        --suffix;
    return {prefix, suffix};
}

} // namespace

CodeView::CodeView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("codeView"));
    // The shared undo manager keeps the steps, with the File's content.
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setFont(menloFont(11.0));
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabStopDistance(36.0);
    setCenterOnScroll(false);
    setAcceptDrops(true);

    connect(document(), &QTextDocument::contentsChange, this, &CodeView::documentEdited);
    m_recutTimer.setSingleShot(true);
    connect(&m_recutTimer, &QTimer::timeout, this, &CodeView::recutLongLines);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (std::exchange(m_edited, false)) {
            didChangeText();
            Q_EMIT textEdited();
        }
    });
    connect(this, &QPlainTextEdit::selectionChanged, this, &CodeView::selectionDidChange);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &CodeView::keepCaretOffSliceEnd);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &CodeView::selectionDidChange);

    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("reloadContent"), nullptr, [this](const Notification &notification) {
        if (m_file && notification.object == m_file.data())
            reloadContent();
    });
    center.addObserver(this, QStringLiteral("fileSaved"), nullptr,
                       [this](const Notification &notification) { fileSaved(notification); });
    center.addObserver(this, QStringLiteral("forceClose"), nullptr, [this](const Notification &) { forceClose(); });
    center.addObserver(this, QStringLiteral("outlineClicked"), nullptr,
                       [this](const Notification &) { outlineClicked(); });
    // A scroll of the focused view leaves the popup behind the caret: it goes.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (hasFocus() && isPopupShownHere())
            hidePopupNow();
    });
}

CodeView::~CodeView()
{
    // The document outlives this part of the view: nothing it says may reach it.
    disconnect(m_delegateConnection);
    document()->disconnect(this);
    NotificationCenter::defaultCenter().removeObserver(this);
    QM_DEBUG(QStringLiteral("codeView deallocated"));
}

QPalette CodeView::textPalette() const
{
    QPalette colors = palette();
    colors.setColor(QPalette::Window, colors.color(QPalette::Base));
    return colors;
}

QFont CodeView::menloFont(qreal pointSize)
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QFont font = FontRBLFallbackAdditions::rbl_fontWithName(QStringLiteral("Menlo"), pointSize, {fixed.family()})
                     .value_or(fixed);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(pointSize);
    return font;
}

void CodeView::setPageShowsFile(std::function<bool(File *)> test)
{
    CodeEditing::pageShowsFile() = std::move(test);
}

TextFinder *CodeView::textFinder() const
{
    return m_textFinder;
}

void CodeView::setTextFinder(TextFinder *finder)
{
    m_textFinder = finder;
}

SyntaxColoring *CodeView::textStorageDelegate() const
{
    return m_textStorageDelegate;
}

void CodeView::setTextStorageDelegate(SyntaxColoring *colorer)
{
    disconnect(m_delegateConnection);
    m_textStorageDelegate = colorer;
    if (colorer) {
        m_delegateConnection = connect(document(), &QTextDocument::contentsChange, colorer,
                                       [this, colorer](int position, int removed, int added) {
                                           // A line cut in slices keeps its text and its colours.
                                           if (!m_slicing)
                                               colorer->textStorageDidProcessEditing(this, position, removed, added);
                                       });
    }
}

// --- The text ----------------------------------------------------------------------

void CodeView::setString(const std::optional<QString> &text)
{
    if (!text)
        return;
    const QScopedValueRollback<bool> guard(m_settingText, true);
    const QString &old = m_text.string();
    // A text still being laid in is replaced whole.
    const bool fresh = old.isEmpty() || document()->isEmpty() || isLoadingText();
    m_pendingFrom = -1;
    if (fresh && text->size() > kSliceLength) {
        m_text.setString(*text);
        m_sliceLength = kSliceLength;
        m_loadingLines = int(text->count(u'\n')) + 1;
        const int end = sliceEnd(*text, 0, m_sliceLength);
        setPlainText(m_text.documentText(0, end));
        m_pendingFrom = end;
        QMetaObject::invokeMethod(this, &CodeView::loadNextSlice, Qt::QueuedConnection);
    } else if (fresh) {
        m_text.setString(*text);
        setPlainText(m_text.documentText(0, text->size()));
    } else {
        // Only the part that differs is replaced: the rest of the document
        // keeps its lines laid out, its colours and the view its place.
        const auto [prefix, suffix] = commonEnds(old, *text);
        if (prefix + suffix < std::max(old.size(), text->size())) {
            const int from = m_text.documentPositionOf(int(prefix));
            const int to = m_text.documentPositionOf(int(old.size() - suffix));
            const QString middle = text->mid(prefix, text->size() - prefix - suffix);
            QTextCursor cursor(document());
            cursor.setPosition(from);
            cursor.setPosition(to, QTextCursor::KeepAnchor);
            cursor.insertText(middle);
            m_text.replaceRange(from, to, middle);
            sliceLongLines(from, cursor.position());
        }
    }
    if (fresh)
        m_cutWidth = -1;
    scheduleRecut();
    selectionDidChange();
    // The text was taken from the file again: so was what it says about it.
    Q_EMIT noticeChanged(textNotice());
}

int CodeView::expectedLineCount() const
{
    const int lines = document()->blockCount() - m_text.softBreakCount();
    return isLoadingText() ? std::max(m_loadingLines, lines) : lines;
}

int CodeView::sliceEnd(const QString &text, int from, int length)
{
    if (text.size() - from <= length)
        return int(text.size());
    // After a line feed, so no slice splits a "\r\n"; a text without one
    // for long is cut anywhere but inside a "\r\n" or a surrogate pair.
    const int at = from + length;
    const qsizetype feed = text.indexOf(u'\n', at);
    if (feed >= 0 && feed - at < length)
        return int(feed + 1);
    return text.at(at - 1) == u'\r' || text.at(at - 1).isHighSurrogate() ? at - 1 : at;
}

void CodeView::loadFileText(std::function<void()> arrived)
{
    if (!m_file)
        return;
    m_awaitingText = true;
    // A text read at once is shown as setString() shows it, without a textLoaded().
    auto later = std::make_shared<bool>(false);
    m_file->loadContentInBackground(this, [this, later, arrived = std::move(arrived)](const std::optional<QString> &text) {
        takeArrivedText(text, *later ? Arrival::Later : Arrival::AtOnce);
        if (arrived)
            arrived();
    });
    *later = true;
}

void CodeView::takeArrivedText(const std::optional<QString> &text, Arrival arrival)
{
    if (!std::exchange(m_awaitingText, false))
        return;
    const QString typed = m_text.string();
    // A file without text (unreadable, not there, in no known encoding)
    // shows none and takes no keys: nothing here could be saved over it (#85).
    setReadOnly(!text);
    if (!text) {
        setString(QString());
    } else if (typed.isEmpty()) {
        setString(text);
    } else {
        // The document holds what was typed; the file's text follows it in
        // slices, and the whole becomes the file's content as one edit.
        const QScopedValueRollback<bool> guard(m_settingText, true);
        m_text.setString(typed + *text, typed.size());
        m_sliceLength = kSliceLength;
        m_loadingLines = int(m_text.string().count(u'\n')) + 1;
        m_pendingFrom = int(typed.size());
        QMetaObject::invokeMethod(this, &CodeView::loadNextSlice, Qt::QueuedConnection);
    }
    if (!typed.isEmpty() && text)
        didChangeText();
    if (arrival == Arrival::Later && !isLoadingText())
        Q_EMIT textLoaded();
}

void CodeView::loadNextSlice()
{
    if (m_pendingFrom < 0)
        return;
    QElapsedTimer clock;
    clock.start();
    const QScopedValueRollback<bool> guard(m_settingText, true);
    const QString &text = m_text.string();
    const int end = sliceEnd(text, m_pendingFrom, m_sliceLength);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_text.documentText(m_pendingFrom, end));
    m_pendingFrom = end < text.size() ? end : -1;
    // Slices of about 20 ms keep the window answering between them.
    const qint64 took = std::max<qint64>(1, clock.elapsed());
    m_sliceLength = int(std::clamp<qint64>(qint64(m_sliceLength) * 20 / took, 64 * 1024, 8 * kSliceLength));
    if (m_pendingFrom >= 0) {
        QMetaObject::invokeMethod(this, &CodeView::loadNextSlice, Qt::QueuedConnection);
        return;
    }
    scheduleRecut();
    Q_EMIT textLoaded();
}

void CodeView::documentEdited(int position, int removed, int added)
{
    if (m_settingText)
        return;
    // Qt may count the document's closing mark in an edit at its end (a
    // Return in an empty text reports one removed, two added): only the
    // text's own characters count.
    const int length = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::min(position, length));
    cursor.setPosition(std::min(position + added, length), QTextCursor::KeepAnchor);
    const qsizetype before = m_text.string().size();
    if (m_text.applyDocumentEdit(position, removed, cursor.selectedText())) {
        m_edited = true;
        // The part not laid in yet comes after every place the user can reach.
        if (m_pendingFrom >= 0)
            m_pendingFrom += int(m_text.string().size() - before);
    }
    // A line the edit made too long is cut once the edit is done.
    for (QTextBlock block = document()->findBlock(position); block.isValid() && block.position() <= position + added;
         block = block.next()) {
        if (block.length() - 1 > CodeViewText::kLongestLine) {
            const bool queued = m_longFrom >= 0;
            m_longFrom = queued ? std::min(m_longFrom, position) : position;
            m_longTo = queued ? std::max(m_longTo, position + added) : position + added;
            if (!queued) {
                QMetaObject::invokeMethod(this, [this] {
                    const int length = document()->characterCount() - 1;
                    sliceLongLines(std::min(std::exchange(m_longFrom, -1), length), std::min(m_longTo, length));
                }, Qt::QueuedConnection);
            }
            break;
        }
    }
}

void CodeView::sliceLongLines(int from, int to)
{
    if (from < 0)
        return;
    const QScopedValueRollback<bool> guard(m_settingText, true);
    const QScopedValueRollback<bool> slicing(m_slicing, true);
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
        const int start = block.position();
        const int length = block.length() - 1;
        if (length <= CodeViewText::kLongestLine)
            continue;
        const qsizetype from = m_text.stringIndexOf(start);
        const int cut = start + int(rowCut(from, from + length) - from);
        // The colours laid on the line go with its two parts.
        const QList<QTextLayout::FormatRange> formats = block.layout() ? block.layout()->formats() : QList<QTextLayout::FormatRange>();
        QTextCursor cursor(document());
        cursor.setPosition(cut);
        cursor.insertBlock();
        m_text.addSoftBreak(cut);
        ++to;
        block = document()->findBlock(start);
        const int at = cut - start;
        QList<QTextLayout::FormatRange> before;
        QList<QTextLayout::FormatRange> after;
        for (QTextLayout::FormatRange range : formats) {
            const int end = range.start + range.length;
            if (range.start < at) {
                QTextLayout::FormatRange head = range;
                head.length = std::min(end, at) - range.start;
                before.append(head);
            }
            if (end > at) {
                range.start = std::max(range.start, at) - at;
                range.length = end - at - range.start;
                after.append(range);
            }
        }
        if (block.layout())
            block.layout()->setFormats(before);
        if (block.next().isValid() && block.next().layout())
            block.next().layout()->setFormats(after);
        // The second part is looked at next: it may be long still.
    }
}

qreal CodeView::rowWidth() const
{
    // The width the document lays a line out to, as the view gives it.
    return isVisible() ? viewport()->width() - 2 * document()->documentMargin() : 0;
}

qsizetype CodeView::rowCut(qsizetype from, qsizetype to) const
{
    // The line laid out from the slice's start, as the document lays out a
    // line: a slice that starts a row of the whole line wraps as it would.
    const qreal width = rowWidth();
    if (width > 0 && lineWrapMode() != QPlainTextEdit::NoWrap) {
        const qsizetype chunk = std::min(to - from, qsizetype(CodeViewText::kSliceLength + CodeViewText::kSliceLength / 2));
        QTextLayout rows(m_text.string().mid(from, chunk), document()->defaultFont());
        rows.setTextOption(document()->defaultTextOption());
        rows.beginLayout();
        qsizetype cut = -1;
        for (QTextLine line = rows.createLine(); line.isValid(); line = rows.createLine()) {
            line.setLineWidth(width);
            // A row that starts in the slice's second half; the last row of
            // the part laid out may end where the part does, not the line.
            const qsizetype start = line.textStart();
            if (start > CodeViewText::kSliceLength / 2 && start <= CodeViewText::kSliceLength
                && start + line.textLength() < chunk)
                cut = from + start;
        }
        rows.endLayout();
        if (cut > from && !m_text.string().at(cut - 1).isHighSurrogate())
            return cut;
    }
    return CodeViewText::sliceCut(m_text.string(), from, to);
}

void CodeView::scheduleRecut()
{
    if (m_text.softBreakCount() == 0)
        return;
    // At once the first time; after a resize, once it has stopped.
    m_recutTimer.start(m_cutWidth < 0 ? 0 : 150);
}

void CodeView::recutLongLines()
{
    const qreal width = rowWidth();
    if (width <= 0 || width == m_cutWidth || m_text.softBreakCount() == 0)
        return;
    if (isLoadingText()) {
        scheduleRecut();
        return;
    }
    m_cutWidth = width;
    const QScopedValueRollback<bool> guard(m_settingText, true);
    const QScopedValueRollback<bool> slicing(m_slicing, true);
    // The caret and the first line in view stay where they are in the text.
    const QTextCursor kept = textCursor();
    const int anchor = stringIndexOf(kept.anchor());
    const int position = stringIndexOf(kept.position());
    const int top = stringIndexOf(firstVisibleBlock().position());
    bool recut = false;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (!block.next().isValid() || !isContinuation(block.next()) || isContinuation(block))
            continue;
        QTextBlock last = block;
        while (last.next().isValid() && isContinuation(last.next()))
            last = last.next();
        const int from = block.position();
        const int to = last.position() + last.length() - 1;
        const qsizetype lineFrom = stringIndexOf(from);
        const qsizetype lineTo = stringIndexOf(to);
        std::vector<qsizetype> cuts;
        for (qsizetype start = lineFrom; lineTo - start > CodeViewText::kLongestLine;) {
            start = rowCut(start, lineTo);
            cuts.push_back(start);
        }
        if (cuts == m_text.softBreaksIn(from, to)) {
            block = last;
            continue;
        }
        m_text.replaceSoftBreaks(from, to, cuts);
        QTextCursor edit(document());
        edit.setPosition(from);
        edit.setPosition(to, QTextCursor::KeepAnchor);
        edit.insertText(m_text.documentText(lineFrom, lineTo));
        block = document()->findBlock(edit.position());
        recut = true;
    }
    if (!recut)
        return;
    QTextCursor cursor(document());
    cursor.setPosition(documentPositionOf(anchor));
    cursor.setPosition(documentPositionOf(position), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(document()->findBlock(documentPositionOf(top)).firstLineNumber());
    // The lines cut anew take their colours again.
    if (m_textStorageDelegate)
        m_textStorageDelegate->applySyntaxColor(this);
}

void CodeView::didChangeText()
{
    // Until the file's text arrives, what is typed stays in the view.
    if (!m_file || m_awaitingText)
        return;
    CodeEditing::storeEdit(m_file, this, [this] { return m_file->setContent(m_text.string()); });
}

QString CodeView::textNotice() const
{
    return m_file ? m_file->textNotice() : QString();
}

void CodeView::reloadContent()
{
    // The text on its way is the file's latest.
    if (!m_file || m_awaitingText)
        return;
    const std::optional<QString> text = m_file->currentContent();
    // A text that did not change keeps the view as it is, but not its notice.
    Q_EMIT noticeChanged(m_file->textNotice());
    setReadOnly(!text);
    if (!text) {
        setString(QString());
        return;
    }
    // The view's own typing comes back after its first key: nothing to do.
    if (*text == m_text.string())
        return;
    const QString before = m_text.string();
    const int caret = stringIndexOf(textCursor().position());
    const int scroll = verticalScrollBar()->value();
    setString(text);
    // The caret stays where the text before it is the same; otherwise, or
    // at the end, it keeps its distance from the end, and past the end goes
    // to the end.
    const int length = int(text->size());
    int kept = caret;
    if (caret >= before.size() || caret > length || QStringView(*text).first(caret) != QStringView(before).first(caret))
        kept = std::clamp(caret + length - int(before.size()), 0, length);
    QTextCursor cursor = textCursor();
    cursor.setPosition(documentPositionOf(kept));
    setTextCursor(cursor);
    verticalScrollBar()->setValue(scroll);
    updateSyntaxColor();
}

void CodeView::fileSaved(const Notification &notification)
{
    if (m_popup && m_popup->tv() == this) {
        CodeAssistContext::shared().keepAssisting = false;
        closePopup();
    }
    File *saved = notification.userInfo.value(QStringLiteral("file")).value<File *>();
    if (!saved || !m_file || saved->path() != m_file->path() || m_awaitingText)
        return;
    // The view that saved (or any with the focus of its window) already shows it.
    if (window()->focusWidget() == this)
        return;
    setString(notification.userInfo.value(QStringLiteral("content")).toString());
    updateSyntaxColor();
}

void CodeView::keepCaretOffSliceEnd()
{
    if (m_settingText || m_text.softBreakCount() == 0)
        return;
    QTextCursor cursor = textCursor();
    const int position = cursor.position();
    if (!m_text.isSoftBreak(position))
        return;
    // Both places are one of the file: the move goes on to the next character.
    const int target = m_movingBack && position > 0 ? position - 1 : position + 1;
    cursor.setPosition(target, cursor.anchor() == position ? QTextCursor::MoveAnchor : QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void CodeView::platformKeyPress(QKeyEvent *event)
{
    QTextCursor cursor = textCursor();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (m_text.softBreakCount() > 0 && !cursor.hasSelection() && plain) {
        // A slice's end is no character: the key takes the one beyond it.
        const int position = cursor.position();
        if (event->key() == Qt::Key_Backspace && position > 0 && m_text.isSoftBreak(position - 1)) {
            cursor.setPosition(position - 1);
            cursor.deletePreviousChar();
            cursor.setPosition(cursor.position() + 1);
            setTextCursor(cursor);
            ensureCursorVisible();
            return;
        }
        if (event->key() == Qt::Key_Delete && m_text.isSoftBreak(position)) {
            QTextCursor after(document());
            after.setPosition(position + 1);
            after.deleteChar();
            return;
        }
    }
    const QScopedValueRollback<bool> back(m_movingBack,
                                          m_text.softBreakCount() > 0
                                              && (event->matches(QKeySequence::MoveToPreviousChar)
                                                  || event->matches(QKeySequence::SelectPreviousChar)
                                                  || event->matches(QKeySequence::MoveToPreviousWord)
                                                  || event->matches(QKeySequence::SelectPreviousWord)));
    QPlainTextEdit::keyPressEvent(event);
}

QMimeData *CodeView::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    // A slice's end inside the selection is no line break of the text.
    if (m_text.softBreaksBefore(to) == m_text.softBreaksBefore(from))
        return QPlainTextEdit::createMimeDataFromSelection();
    auto *data = new QMimeData;
    data->setText(m_text.plainText(from, to));
    return data;
}

void CodeView::selectionDidChange()
{
    if (!m_file || m_settingText)
        return;
    const QTextCursor cursor = textCursor();
    const int start = stringIndexOf(cursor.selectionStart());
    const int end = stringIndexOf(cursor.selectionEnd());
    m_file->setCodeViewLastSelectionRange(Range{start, end - start});
    // Writing a completion falls back on where the caret stood before.
    if (start != m_lastCaretLocation) {
        m_previousCaretLocation = m_lastCaretLocation;
        CodeAssistContext::shared().previousCaretLocation = m_previousCaretLocation;
        m_lastCaretLocation = start;
    }
}

void CodeView::updateSyntaxColor()
{
    if (m_textStorageDelegate)
        m_textStorageDelegate->doColor(this);
}

// --- Saving -------------------------------------------------------------------------

bool CodeView::storeText()
{
    // What was typed before the file's text arrived is not the file's text.
    if (!m_file || m_awaitingText)
        return false;
    // A file without text has none from the view either: its save says why.
    const std::optional<QString> held = m_file->content();
    if (held && *held != m_text.string())
        m_file->setContent(m_text.string());
    return true;
}

bool CodeView::writeFile()
{
    return CodeEditing::writeFile(m_file, window());
}

bool CodeView::save(Qt::KeyboardModifiers modifiers)
{
    if (!storeText() || !writeFile())
        return false;
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("fileSavedByCommandS"), this);
    if (modifiers & Qt::ShiftModifier)
        doSaveAndRefresh();
    return true;
}

bool CodeView::saveCurrentFile()
{
    if (!m_file || m_file->isWebframeFile())
        return false;
    storeText();
    return m_file->save();
}

bool CodeView::doSaveAndRefresh()
{
    if (!m_file || m_file->isWebframeFile())
        return false;
    if (!storeText() || !writeFile())
        return false;
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("saveAndRefresh"), this);
    updateSyntaxColor();
    return true;
}

// --- Keys, focus and geometry -------------------------------------------------------------

bool CodeView::event(QEvent *event)
{
    // Undo and Redo belong to the shared history: leave their keys to the
    // menu rather than take them as editing keys.
    if (event->type() == QEvent::ShortcutOverride && CodeEditing::isHistoryKey(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return true;
    }
    // Indentation and the code assist keys are the view's while it has the
    // focus, whatever the menus bind to them.
    if (event->type() == QEvent::ShortcutOverride && claimsShortcut(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void CodeView::keyPressEvent(QKeyEvent *event)
{
    if (CodeEditing::runViewKey(event, [this](Qt::KeyboardModifiers modifiers) { save(modifiers); }))
        return;
    // Another view's edit still waiting for its write goes into the text
    // first: the key applies to the text with it.
    File::runPendingWrites();
    keyDown(event);
}

void CodeView::mousePressEvent(QMouseEvent *event)
{
    if (m_popup && m_popup->tv() == this)
        closePopup();
    const bool triple = event->button() == Qt::LeftButton && m_doubleClick.isValid()
                        && m_doubleClick.elapsed() < QApplication::doubleClickInterval();
    QPlainTextEdit::mousePressEvent(event);
    // A triple click selects a line of the document: a long line's slices are one.
    QTextCursor cursor = textCursor();
    if (!triple || !cursor.hasSelection() || m_text.softBreakCount() == 0)
        return;
    QTextBlock first = document()->findBlock(cursor.selectionStart());
    QTextBlock last = document()->findBlock(std::max(cursor.selectionStart(), cursor.selectionEnd() - 1));
    while (first.previous().isValid() && isContinuation(first))
        first = first.previous();
    while (last.next().isValid() && isContinuation(last.next()))
        last = last.next();
    const int end = last.next().isValid() ? last.next().position() : document()->characterCount() - 1;
    cursor.setPosition(first.position());
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void CodeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    m_doubleClick.start();
}

void CodeView::focusOutEvent(QFocusEvent *event)
{
    // The list goes with the focus; a menu opened over the view leaves it,
    // and so does the colour panel the colour well opens.
    if (event->reason() != Qt::PopupFocusReason && isPopupShownHere() && m_popup->assistType() != 2) {
        hidePopupNow();
    }
    QPlainTextEdit::focusOutEvent(event);
}

void CodeView::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    CodeEditing::announceFocus(this, m_file.data());
}

void CodeView::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    // Colours are chosen for the palette: a light or dark one needs its own.
    if (event->type() == QEvent::PaletteChange && m_textStorageDelegate)
        m_textStorageDelegate->applySyntaxColor(this);
}

QRectF CodeView::textBlockGeometry(const QTextBlock &block) const
{
    return blockBoundingGeometry(block).translated(contentOffset());
}

std::pair<int, int> CodeView::visibleBlockNumbers() const
{
    QTextBlock block = firstVisibleBlock();
    const int first = block.isValid() ? block.blockNumber() : 0;
    int last = first;
    const qreal bottom = viewport()->height();
    for (; block.isValid(); block = block.next()) {
        if (textBlockGeometry(block).top() > bottom)
            break;
        last = block.blockNumber();
    }
    return {first, last};
}

void CodeView::setRulerView(QWidget *ruler)
{
    m_rulerView = ruler;
    placeRuler();
}

void CodeView::setRulerThickness(int thickness)
{
    m_rulerThickness = std::max(0, thickness);
    setViewportMargins(m_rulerThickness, 0, 0, 0);
    placeRuler();
}

void CodeView::placeRuler()
{
    if (!m_rulerView)
        return;
    const QRect area = contentsRect();
    m_rulerView->setGeometry(area.left(), area.top(), m_rulerThickness, area.height());
    m_rulerView->setVisible(m_rulerThickness > 0);
}

void CodeView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    placeRuler();
    if (event->size().width() != event->oldSize().width())
        scheduleRecut();
}

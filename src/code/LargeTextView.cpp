#include "LargeTextView.h"

#include "CodeEditing_p.h"
#include "CodeView.h"
#include "SyntaxColoring.h"

#include "foundation/StringUtils.h"
#include "platform/foundation/NotificationCenter.h"
#include "workspace/File.h"

#include <QApplication>
#include <QClipboard>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

namespace {

// The space between the line numbers and the text.
constexpr int kTextMargin = 4;

// Each line break of the text ("\r\n", "\r", "\n", U+2029) as `lineEnding`;
// U+2028 stays, as the code view keeps it.
QString withLineEnding(const QString &text, const QString &lineEnding)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator)
            result.append(lineEnding);
        else
            result.append(c);
    }
    return result;
}

} // namespace

LargeTextView::LargeTextView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_gutterFont(CodeView::menloFont(10.0))
{
    setObjectName(QStringLiteral("largeTextView"));
    setFrameShape(QFrame::NoFrame);
    setFont(CodeView::menloFont(11.0));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("reloadContent"), nullptr, [this](const Notification &notification) {
            if (m_file && notification.object == m_file.data())
                reloadContent(notification.userInfo);
        });
}

LargeTextView::~LargeTextView()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

bool LargeTextView::suits(const File *file)
{
    if (!file || !file->isLocalFile())
        return false;
    const QFileInfo info(file->path());
    return info.isFile() && info.size() > kMinimumBytes;
}

void LargeTextView::setColorer(SyntaxColoring *colorer)
{
    m_colorer = colorer;
    m_colorTo = -1;
    m_formats.clear();
    viewport()->update();
}

QString LargeTextView::textNotice() const
{
    return m_file ? m_file->textNotice() : QString();
}

// --- The text and its rows --------------------------------------------------------------

void LargeTextView::setString(const std::optional<QString> &text)
{
    if (text)
        takeText(std::make_shared<const PieceText>(*text));
}

void LargeTextView::takeText(std::shared_ptr<const PieceText> text, std::optional<RowIndex> rows)
{
    m_text = std::move(text);
    // New line breaks take the first line end of the text.
    const qsizetype firstBreak = m_text->indexOfLineBreak(0, m_text->size());
    m_lineEnding = firstBreak < 0 ? QStringLiteral("\n") : StringUtils::firstLineEnding(m_text->mid(firstBreak, 2));
    if (rows) {
        m_hasCarriageReturn = rows->carriageReturns;
        m_rowStarts = std::move(rows->starts);
        m_continuedRows = std::move(rows->continued);
        m_longestRow = rows->longest;
        m_shiftFrom = 0;
        m_shift = 0;
    } else {
        // Edits put in carriage returns only where the text had them.
        m_hasCarriageReturn = m_text->original().contains(u'\r');
        indexRows();
    }
    m_anchor = std::min(m_anchor, int(m_text->size()));
    m_caret = std::min(m_caret, int(m_text->size()));
    m_colorTo = -1;
    updateScrollBars();
    viewport()->update();
    Q_EMIT noticeChanged(textNotice());
}

void LargeTextView::indexRows()
{
    m_rowStarts.clear();
    m_shiftFrom = 0;
    m_shift = 0;
    m_continuedRows.clear();
    m_longestRow = 0;
    scanRows(0, m_text->size(), 0, m_rowStarts, m_continuedRows);
    reserveRows(m_rowStarts);
}

void LargeTextView::reserveRows(std::vector<int> &starts)
{
    // Room for the rows keys add, without the vector doubling on the first.
    std::vector<int> kept;
    kept.reserve(starts.size() + starts.size() / 32 + 256);
    kept.assign(starts.cbegin(), starts.cend());
    starts = std::move(kept);
}

LargeTextView::RowIndex LargeTextView::rowsOf(const PieceText &text)
{
    RowIndex rows;
    rows.carriageReturns = text.original().contains(u'\r');
    scanRowsOf(text, rows.carriageReturns, 0, text.size(), 0, rows.starts, rows.continued, rows.longest);
    reserveRows(rows.starts);
    return rows;
}

void LargeTextView::scanRows(qsizetype from, qsizetype to, int firstRow, std::vector<int> &starts,
                             std::vector<int> &continued)
{
    scanRowsOf(*m_text, m_hasCarriageReturn, from, to, firstRow, starts, continued, m_longestRow);
}

void LargeTextView::scanRowsOf(const PieceText &text, bool carriageReturns, qsizetype from, qsizetype to, int firstRow,
                               std::vector<int> &starts, std::vector<int> &continued, int &longest)
{
    const qsizetype size = text.size();
    int pushed = 0;
    const auto push = [&](qsizetype start, bool isContinued) {
        if (isContinued)
            continued.push_back(firstRow + pushed);
        starts.push_back(int(start));
        ++pushed;
    };
    for (qsizetype start = from;;) {
        // A text without carriage returns is searched for line feeds alone,
        // which is quick even through 50 MB.
        qsizetype lineBreak = -1;
        if (!carriageReturns)
            lineBreak = text.indexOfLineFeed(start, to);
        else
            lineBreak = text.indexOfLineBreak(start, to);
        const qsizetype contentEnd = lineBreak < 0 ? to : lineBreak;
        push(start, false);
        qsizetype row = start;
        while (contentEnd - row > kRowLength) {
            qsizetype next = row + kRowLength;
            if (text.at(next - 1).isHighSurrogate())
                --next;
            push(next, true);
            row = next;
        }
        longest = std::max(longest, int(std::min<qsizetype>(contentEnd - start, kRowLength)));
        if (lineBreak < 0)
            break;
        qsizetype next = lineBreak + 1;
        if (text.at(lineBreak) == u'\r' && next < size && text.at(next) == u'\n')
            ++next;
        // The row at `to` is the caller's, but for the empty line after a
        // text's last line break.
        if (next >= to && to < size)
            break;
        start = next;
    }
}

void LargeTextView::updateRows(int start, int removed, int added)
{
    // From the line before the edit (a "\r" there may now end a "\r\n") to
    // the end of the line where the edit ended, in the old places.
    int firstRow = rowAt(start);
    if (firstRow > 0)
        --firstRow;
    while (firstRow > 0 && isContinued(firstRow))
        --firstRow;
    int lastRow = rowAt(start + removed) + 1;
    while (lastRow < rowCount() && isContinued(lastRow))
        ++lastRow;
    const int delta = added - removed;
    const qsizetype regionEnd = lastRow < rowCount() ? rowStart(lastRow) + delta : m_text->size();
    std::vector<int> starts;
    std::vector<int> continued;
    scanRows(rowStart(firstRow), regionEnd, firstRow, starts, continued);

    const int rowDelta = int(starts.size()) - (lastRow - firstRow);
    // The rows after the edit move by delta. The move is owed, not made: the
    // rows from m_shiftFrom on are m_shift further on than stored, and only
    // those between the last edit and this one are brought up to date.
    for (int row = m_shiftFrom; row < lastRow; ++row)
        m_rowStarts[size_t(row)] += m_shift;
    for (int row = lastRow; row < m_shiftFrom && row < rowCount(); ++row)
        m_rowStarts[size_t(row)] -= m_shift;
    m_shift += delta;
    if (rowDelta == 0) {
        std::copy(starts.cbegin(), starts.cend(), m_rowStarts.begin() + firstRow);
    } else {
        const auto at = m_rowStarts.erase(m_rowStarts.begin() + firstRow, m_rowStarts.begin() + lastRow);
        m_rowStarts.insert(at, starts.cbegin(), starts.cend());
    }
    m_shiftFrom = lastRow + rowDelta;

    const auto first = std::lower_bound(m_continuedRows.begin(), m_continuedRows.end(), firstRow);
    const auto last = std::lower_bound(first, m_continuedRows.end(), lastRow);
    for (auto it = last; it != m_continuedRows.end(); ++it)
        *it += rowDelta;
    const auto place = m_continuedRows.erase(first, last);
    m_continuedRows.insert(place, continued.cbegin(), continued.cend());
}

int LargeTextView::rowAt(int position) const
{
    // The rows that start at or before the position, as they stand.
    int low = 0;
    int high = rowCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (rowStart(middle) <= position)
            low = middle + 1;
        else
            high = middle;
    }
    return std::max(0, low - 1);
}

int LargeTextView::rowContentEnd(int row) const
{
    if (row + 1 >= rowCount())
        return int(m_text->size());
    int end = rowStart(row + 1);
    if (isContinued(row + 1))
        return end;
    const int start = rowStart(row);
    if (end > start && m_text->at(end - 1) == u'\n')
        --end;
    if (end > start && m_text->at(end - 1) == u'\r')
        --end;
    return end;
}

bool LargeTextView::isContinued(int row) const
{
    return std::binary_search(m_continuedRows.cbegin(), m_continuedRows.cend(), row);
}

int LargeTextView::lineOfRow(int row) const
{
    const auto upTo = std::upper_bound(m_continuedRows.cbegin(), m_continuedRows.cend(), row);
    return row - int(upTo - m_continuedRows.cbegin());
}

QString LargeTextView::rowText(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_text->mid(rowStart(row), rowContentEnd(row) - rowStart(row));
}

// --- The file's text ---------------------------------------------------------------------

void LargeTextView::loadFileText(std::function<void()> arrived)
{
    if (!m_file)
        return;
    m_awaitingText = true;
    auto later = std::make_shared<bool>(false);
    m_file->loadContentInBackground(this, [this, later, arrived = std::move(arrived)](const std::optional<QString> &text) {
        const auto taken = [this, later, arrived](const std::optional<QString> &text, std::optional<RowIndex> rows) {
            takeArrivedText(text, std::move(rows));
            if (*later)
                Q_EMIT textLoaded();
            if (arrived)
                arrived();
        };
        if (!text || text->size() < kIndexAtOnceLength) {
            taken(text, std::nullopt);
            return;
        }
        // The rows of a long text are found on a worker thread: the window
        // goes on meanwhile, and what is typed is kept as before.
        auto *watcher = new QFutureWatcher<RowIndex>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [watcher, text, taken] {
            watcher->deleteLater();
            taken(text, watcher->result());
        });
        watcher->setFuture(QtConcurrent::run([pieces = PieceText(*text)] { return rowsOf(pieces); }));
    });
    *later = true;
}

void LargeTextView::takeArrivedText(const std::optional<QString> &text, std::optional<RowIndex> rows)
{
    if (!std::exchange(m_awaitingText, false))
        return;
    const QString typed = m_text->toString();
    if (!text || typed.isEmpty()) {
        if (text && rows)
            takeText(std::make_shared<const PieceText>(*text), std::move(rows));
        else
            setString(text);
        return;
    }
    // What was typed stays ahead of the file's text, and the whole becomes
    // the file's content as one edit.
    setString(typed + *text);
    CodeEditing::storeEdit(m_file, this,
                           [this, after = text->size()] { return m_file->setContent(m_text->toString(), {0, after}); });
}

void LargeTextView::reloadContent(const QVariantMap &edit)
{
    // The text on its way is the file's latest; the view's own edit is in place.
    if (!m_file || m_awaitingText || m_textLent)
        return;
    Q_EMIT noticeChanged(m_file->textNotice());
    // A text the File keeps in pieces (an undo of a key) is read in them;
    // when they are the view's and say where they changed, only the rows
    // there move.
    std::shared_ptr<const PieceText> pieces = m_file->textPieces();
    if (pieces && pieces == m_text && edit.contains(QStringLiteral("editStart"))) {
        const int start = edit.value(QStringLiteral("editStart")).toInt();
        const int removed = edit.value(QStringLiteral("editRemoved")).toInt();
        const int added = edit.value(QStringLiteral("editAdded")).toInt();
        updateRows(start, removed, added);
        m_colorTo = -1;
        updateScrollBars();
        const auto follow = [&](int place) { return place <= start ? place : std::max(start, place + added - removed); };
        m_anchor = std::clamp(follow(m_anchor), 0, int(m_text->size()));
        m_caret = std::clamp(follow(m_caret), 0, int(m_text->size()));
        viewport()->update();
        return;
    }
    if (!pieces) {
        const std::optional<QString> text = m_file->currentContent();
        if (!text || m_text->equals(*text))
            return;
        pieces = std::make_shared<const PieceText>(*text);
    }
    const int fromEnd = int(m_text->size()) - m_caret;
    const int scroll = verticalScrollBar()->value();
    takeText(std::move(pieces));
    m_caret = m_anchor = std::max(0, int(m_text->size()) - fromEnd);
    verticalScrollBar()->setValue(scroll);
}

// --- Edits and saving ----------------------------------------------------------------------

void LargeTextView::insertText(const QString &text)
{
    replaceRange(selectionStart(), selectionEnd(), withLineEnding(text, m_lineEnding));
}

void LargeTextView::replaceAll(const QString &text)
{
    if (m_text->equals(text))
        return;
    const int anchor = m_anchor;
    const int caret = m_caret;
    const int scroll = verticalScrollBar()->value();
    // Only the part that differs is replaced: the undo step holds that alone.
    const QString now = m_text->toString();
    const auto [prefix, suffix] = StringUtils::commonEnds(now, text);
    replaceRange(int(prefix), int(now.size() - suffix), text.mid(prefix, text.size() - prefix - suffix));
    if (std::max(anchor, caret) <= m_text->size())
        select(anchor, caret);
    verticalScrollBar()->setValue(scroll);
}

void LargeTextView::replaceRange(int start, int end, const QString &text)
{
    start = std::clamp(start, 0, int(m_text->size()));
    end = std::clamp(end, start, int(m_text->size()));
    if (start == end && text.isEmpty())
        return;
    if (!editText(start, end - start, text))
        return;
    updateRows(start, end - start, int(text.size()));
    m_colorTo = -1;
    updateScrollBars();
    moveCaret(start + int(text.size()), false);
    Q_EMIT textEdited();
}

bool LargeTextView::editText(int start, int removed, const QString &text)
{
    if (text.contains(u'\r'))
        m_hasCarriageReturn = true;
    const auto editOwn = [&] {
        auto own = std::make_shared<PieceText>(*m_text);
        own->replace(start, removed, text);
        m_text = std::move(own);
    };
    // Until the file's text arrives, what is typed stays in the view.
    if (!m_file || m_awaitingText) {
        editOwn();
        return true;
    }
    // A file without text takes no keys: nothing could be saved over it (#85).
    if (!m_file->textPieces() && !m_file->content())
        return false;
    // The view shows the File's text: the pieces the File edits, or the
    // text it holds whole, shared.
    const std::shared_ptr<const PieceText> held = m_file->textPieces();
    bool isFiles = held == m_text;
    if (!held && !isFiles) {
        const std::optional<QString> whole = m_file->content();
        isFiles = whole && m_text->pieceCount() <= 1 && m_text->size() == whole->size()
                  && (whole->isEmpty() || m_text->original().isSharedWith(*whole));
    }
    if (!isFiles) {
        // A text not the File's own (set from elsewhere) becomes its content whole.
        editOwn();
        if (CodeEditing::storeEdit(m_file, this, [this] { return m_file->setContent(m_text->toString()); }))
            return true;
        // Refused (the file's encoding cannot hold it): the view shows the File's text again.
        setString(m_file->content());
        return false;
    }
    // The File edits its text in pieces, which the view reads: a key costs
    // what it changes, and no copy of the text is made. Its announcements
    // meanwhile are the view's own edit.
    const bool edited = CodeEditing::storeEdit(m_file, this, [&] {
        const QScopedValueRollback<bool> lent(m_textLent, true);
        return m_file->editContentInPieces(start, removed, text);
    });
    if (std::shared_ptr<const PieceText> pieces = m_file->textPieces())
        m_text = std::move(pieces);
    else if (edited)
        m_text = std::make_shared<const PieceText>(m_file->content().value_or(QString()));
    return edited;
}

bool LargeTextView::storeText()
{
    // What was typed before the file's text arrived is not the file's text.
    if (!m_file || m_awaitingText)
        return false;
    if (m_file->textPieces() != m_text) {
        // A file without text has none from the view either: its save says why.
        const std::optional<QString> held = m_file->content();
        if (held && !m_text->equals(*held))
            m_file->setContent(m_text->toString());
    }
    return true;
}

bool LargeTextView::save(Qt::KeyboardModifiers modifiers)
{
    if (!storeText() || !CodeEditing::writeFile(m_file, window()))
        return false;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("fileSavedByCommandS"), this);
    if (modifiers & Qt::ShiftModifier)
        center.postNotificationName(QStringLiteral("saveAndRefresh"), this);
    return true;
}

// --- Caret and selection ---------------------------------------------------------------------

QString LargeTextView::selectedText() const
{
    return m_text->mid(selectionStart(), selectionEnd() - selectionStart());
}

void LargeTextView::select(int anchor, int caret)
{
    m_anchor = std::clamp(anchor, 0, int(m_text->size()));
    moveCaret(std::clamp(caret, 0, int(m_text->size())), true);
}

int LargeTextView::previousPosition(int position) const
{
    if (position <= 0)
        return 0;
    int before = position - 1;
    if (before > 0 && ((m_text->at(before) == u'\n' && m_text->at(before - 1) == u'\r') || m_text->at(before).isLowSurrogate()))
        --before;
    return before;
}

int LargeTextView::wordBoundary(int position, Direction direction) const
{
    // Over the blanks and punctuation to a word, then to its other end.
    const auto isWord = [this](int at) { return m_text->at(at).isLetterOrNumber() || m_text->at(at) == u'_'; };
    const int size = int(m_text->size());
    if (direction == Direction::Forward) {
        while (position < size && !isWord(position))
            ++position;
        while (position < size && isWord(position))
            ++position;
        return position;
    }
    while (position > 0 && !isWord(position - 1))
        --position;
    while (position > 0 && isWord(position - 1))
        --position;
    return position;
}

int LargeTextView::nextPosition(int position) const
{
    const int size = int(m_text->size());
    if (position >= size)
        return size;
    int after = position + 1;
    if (after < size && ((m_text->at(position) == u'\r' && m_text->at(after) == u'\n') || m_text->at(after).isLowSurrogate()))
        ++after;
    return after;
}

void LargeTextView::moveCaret(int position, bool keepAnchor)
{
    m_caret = position;
    if (!keepAnchor)
        m_anchor = position;
    if (m_file)
        m_file->setCodeViewLastSelectionRange(Range{selectionStart(), selectionEnd() - selectionStart()});
    ensureCaretVisible();
    viewport()->update();
}

bool LargeTextView::moveKey(QKeyEvent *event)
{
    const int row = rowAt(m_caret);
    // The same column in another row, within its text.
    const auto inRow = [this, row](int target) {
        target = std::clamp(target, 0, rowCount() - 1);
        int position = std::min(rowStart(target) + m_caret - rowStart(row), rowContentEnd(target));
        if (position < m_text->size() && m_text->at(position).isLowSurrogate())
            --position;
        return position;
    };
    const struct
    {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        std::function<int()> target;
    } keys[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, [&] { return nextPosition(m_caret); }},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, [&] { return previousPosition(m_caret); }},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, [&] { return wordBoundary(m_caret, Direction::Forward); }},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
         [&] { return wordBoundary(m_caret, Direction::Backward); }},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, [&] { return inRow(row + 1); }},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, [&] { return inRow(row - 1); }},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, [&] { return inRow(row + rowsInView()); }},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, [&] { return inRow(row - rowsInView()); }},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, [&] { return rowStart(row); }},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, [&] { return rowContentEnd(row); }},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, [] { return 0; }},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, [&] { return int(m_text->size()); }},
    };
    for (const auto &key : keys) {
        if (event->matches(key.move) || event->matches(key.select)) {
            moveCaret(key.target(), event->matches(key.select));
            return true;
        }
    }
    return false;
}

void LargeTextView::copy() const
{
    if (selectionStart() == selectionEnd())
        return;
    QApplication::clipboard()->setText(withLineEnding(selectedText(), QStringLiteral("\n")));
}

// --- Events ------------------------------------------------------------------------------------

bool LargeTextView::event(QEvent *event)
{
    // Tab is typed, not a move of the focus.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ControlModifier)) {
            keyPressEvent(key);
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Undo and Redo belong to the shared history: the menu's.
        if (CodeEditing::isHistoryKey(key)) {
            event->ignore();
            return true;
        }
        // Editing keys are the view's, whatever the menus bind to them.
        const bool typed = !key->text().isEmpty() && !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
        if (typed || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)
            || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void LargeTextView::keyPressEvent(QKeyEvent *event)
{
    if (CodeEditing::runViewKey(event, [this](Qt::KeyboardModifiers modifiers) { save(modifiers); }) || moveKey(event))
        return;
    // Another view's edit still waiting for its write goes into the text first.
    File::runPendingWrites();
    const bool hasSelection = selectionStart() != selectionEnd();
    if (event->matches(QKeySequence::SelectAll)) {
        select(0, int(m_text->size()));
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Cut)) {
        copy();
        replaceRange(selectionStart(), selectionEnd(), {});
    } else if (event->matches(QKeySequence::Paste)) {
        const QString pasted = QApplication::clipboard()->text();
        if (!pasted.isEmpty())
            insertText(pasted);
    } else if (event->key() == Qt::Key_Backspace) {
        replaceRange(hasSelection ? selectionStart() : previousPosition(m_caret), selectionEnd(), {});
    } else if (event->key() == Qt::Key_Delete) {
        replaceRange(selectionStart(), hasSelection ? selectionEnd() : nextPosition(m_caret), {});
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        insertText(m_lineEnding);
    } else if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ControlModifier)) {
        insertText(QStringLiteral("\t"));
    } else if (const QString text = event->text();
               !text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        insertText(text);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void LargeTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    moveCaret(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void LargeTextView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        moveCaret(positionAt(event->position().toPoint()), true);
}

void LargeTextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    CodeEditing::announceFocus(this, m_file.data());
}

void LargeTextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void LargeTextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    // Colours are chosen for the palette, rows measured in the font.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        m_formats.clear();
        updateScrollBars();
        viewport()->update();
    }
}

void LargeTextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LargeTextView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// --- Geometry and drawing ----------------------------------------------------------------------

int LargeTextView::rowHeight() const
{
    return std::max(1, fontMetrics().height());
}

int LargeTextView::gutterWidth() const
{
    const int digits = int(QString::number(lineCount()).size());
    return QFontMetrics(m_gutterFont).horizontalAdvance(u'9') * std::max(digits, 3) + 12;
}

int LargeTextView::rowsInView() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

std::pair<int, int> LargeTextView::visibleRows() const
{
    const int first = std::clamp(verticalScrollBar()->value(), 0, rowCount() - 1);
    return {first, std::min(rowCount() - 1, first + rowsInView())};
}

void LargeTextView::updateScrollBars()
{
    const int rows = rowsInView();
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - rows));
    verticalScrollBar()->setPageStep(rows);
    const int textWidth = viewport()->width() - gutterWidth() - kTextMargin;
    const int widest = m_longestRow * fontMetrics().horizontalAdvance(u'M') + kTextMargin;
    horizontalScrollBar()->setRange(0, std::max(0, widest - textWidth));
    horizontalScrollBar()->setPageStep(std::max(1, textWidth));
}

void LargeTextView::ensureCaretVisible()
{
    const int row = rowAt(m_caret);
    QScrollBar *vertical = verticalScrollBar();
    if (row < vertical->value())
        vertical->setValue(row);
    else if (row >= vertical->value() + rowsInView())
        vertical->setValue(row - rowsInView() + 1);
    QTextLayout layout;
    layRow(layout, row);
    const int x = int(layout.lineAt(0).cursorToX(m_caret - rowStart(row)));
    QScrollBar *horizontal = horizontalScrollBar();
    const int textWidth = viewport()->width() - gutterWidth() - kTextMargin;
    if (x < horizontal->value())
        horizontal->setValue(x);
    else if (x > horizontal->value() + textWidth - 2)
        horizontal->setValue(x - textWidth + 2);
}

int LargeTextView::positionAt(const QPoint &point) const
{
    const int row = std::min(rowCount() - 1, verticalScrollBar()->value() + std::max(0, point.y()) / rowHeight());
    QTextLayout layout;
    layRow(layout, row);
    const qreal x = point.x() - gutterWidth() - kTextMargin + horizontalScrollBar()->value();
    return rowStart(row) + layout.lineAt(0).xToCursor(x);
}

void LargeTextView::layRow(QTextLayout &layout, int row) const
{
    const int start = rowStart(row);
    const int end = rowContentEnd(row);
    layout.setText(m_text->mid(start, end - start));
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(36.0);
    layout.setTextOption(option);
    layout.setFormats(colorsOf(start, end));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
}

QList<QTextLayout::FormatRange> LargeTextView::colorsOf(int start, int end) const
{
    QList<QTextLayout::FormatRange> ranges;
    if (!m_colorer || m_colorTo < 0 || start < m_colorFrom || end > m_colorTo)
        return ranges;
    QPalette colors = palette();
    colors.setColor(QPalette::Window, colors.color(QPalette::Base));
    const int from = start - m_colorFrom;
    const int to = end - m_colorFrom;
    const auto first = std::partition_point(m_spans.cbegin(), m_spans.cend(),
                                            [from](const SyntaxSpan &span) { return span.end() <= from; });
    for (auto span = first; span != m_spans.cend() && span->start < to; ++span) {
        if (span->style <= 0)
            continue;
        auto format = m_formats.find(span->style);
        if (format == m_formats.end())
            format = m_formats.insert(span->style, m_colorer->style(span->style).format(colors));
        QTextLayout::FormatRange range;
        range.start = std::max(span->start, from) - from;
        range.length = std::min(span->end(), to) - from - range.start;
        range.format = *format;
        if (range.length > 0)
            ranges.append(range);
    }
    return ranges;
}

QList<QTextLayout::FormatRange> LargeTextView::rowColors(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return colorsOf(rowStart(row), rowContentEnd(row));
}

void LargeTextView::colorRowsInView()
{
    // What is typed before the file's text arrives is coloured with it.
    if (!m_colorer || m_awaitingText)
        return;
    const auto [first, last] = visibleRows();
    if (m_colorTo >= 0 && rowStart(first) >= m_colorFrom && rowContentEnd(last) <= m_colorTo)
        return;
    // A construct that began a little before the rows in view (a comment,
    // a block) is seen whole by starting some rows earlier, at a line's start.
    int firstRow = std::max(0, first - kContextRows);
    while (firstRow > 0 && isContinued(firstRow))
        --firstRow;
    const int lastRow = std::min(rowCount() - 1, last + kContextRows);
    m_colorFrom = rowStart(firstRow);
    m_colorTo = lastRow + 1 < rowCount() ? rowStart(lastRow + 1) : int(m_text->size());
    m_spans = m_colorer->colorSpans(m_text->mid(m_colorFrom, m_colorTo - m_colorFrom));
    Q_EMIT colored();
}

void LargeTextView::paintEvent(QPaintEvent *)
{
    if (m_textLent)
        return;
    colorRowsInView();
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const int height = rowHeight();
    const int gutter = gutterWidth();
    const auto [first, last] = visibleRows();
    const QPointF origin(gutter + kTextMargin - horizontalScrollBar()->value(), 0);
    const int from = selectionStart();
    const int to = selectionEnd();

    painter.save();
    painter.setClipRect(QRect(gutter, 0, area.width() - gutter, area.height()));
    for (int row = first; row <= last; ++row) {
        QTextLayout layout;
        layRow(layout, row);
        const int start = rowStart(row);
        const QPointF at = origin + QPointF(0, (row - first) * height);
        QList<QTextLayout::FormatRange> selections;
        if (from < to && from <= rowContentEnd(row) && to > start) {
            QTextLayout::FormatRange selected;
            selected.start = std::max(from, start) - start;
            selected.length = std::min(to, rowContentEnd(row)) - start - selected.start;
            selected.format.setBackground(palette().brush(QPalette::Highlight));
            selected.format.setForeground(palette().brush(QPalette::HighlightedText));
            selections.append(selected);
        }
        layout.draw(&painter, at, selections);
        if (hasFocus() && rowAt(m_caret) == row)
            layout.drawCursor(&painter, at, m_caret - start, 1);
    }
    painter.restore();

    // The line numbers, beside the first row of each line.
    const QColor base = palette().color(QPalette::Base);
    painter.fillRect(QRect(0, 0, gutter, area.height()), base.lightness() > 128 ? base.darker(103) : base.lighter(115));
    painter.setFont(m_gutterFont);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    for (int row = first; row <= last; ++row) {
        if (!isContinued(row)) {
            painter.drawText(QRect(0, (row - first) * height, gutter - 6, height), Qt::AlignRight | Qt::AlignVCenter,
                             QString::number(lineOfRow(row) + 1));
        }
    }
}

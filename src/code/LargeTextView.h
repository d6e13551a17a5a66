#pragma once

#include "SyntaxColoring.h"
#include "SyntaxSpan.h"

#include "foundation/PieceText.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <QTextLayout>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class File;

// The code view of a text too large for a text document (a local file of
// more than kMinimumBytes), which would take several times the text's size
// in blocks and fragments. It shares the File's text, with its own
// characters and line ends, and keeps an index of where each row starts;
// only the rows in view are laid out and drawn, unwrapped, with their line
// numbers in a margin, and coloured by the colourer's passes over them and
// kContextRows rows on either side (a comment or block that began further
// up is not seen). Places are indexes of string().
//
// Edits (typing, Return, Tab, delete, cut and paste) take the code view's
// road: each is made in the File's text at once, in its pieces
// (File::editContentInPieces(), which the view reads: a key costs what it
// changes), under the undo action "type", one step of the shared undo
// manager per turn of the event loop; new line breaks take the file's first
// line end. The view follows the File's text
// when it is set from elsewhere ("reloadContent": undo, a reload from disk).
// What is typed before the file's text arrives stays, ahead of it, and the
// whole becomes the file's content as one edit.
class LargeTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    // Files larger than this are shown here rather than in a CodeView.
    static constexpr qint64 kMinimumBytes = 8 * 1024 * 1024;
    // A line longer than this shows as rows of this many characters.
    static constexpr int kRowLength = 4096;
    // The rows coloured beyond those in view, before and after them.
    static constexpr int kContextRows = 500;
    // A text arrived of this length or more has its rows found on a worker thread.
    static constexpr qsizetype kIndexAtOnceLength = 1024 * 1024;

    explicit LargeTextView(QWidget *parent = nullptr);
    ~LargeTextView() override;

    // Whether the file is shown in this view rather than a CodeView.
    static bool suits(const File *file);

    File *file() const { return m_file; }
    void setFile(File *file) { m_file = file; }
    // The colourer whose passes colour the rows, or null for plain text; not owned.
    SyntaxColoring *colorer() const { return m_colorer; }
    void setColorer(SyntaxColoring *colorer);
    // What the user should know about the file's text as read.
    QString textNotice() const;

    // The text, read in its pieces; and whole (a copy).
    const PieceText &text() const { return *m_text; }
    QString string() const { return m_text->toString(); }
    // Replaces the text, no edit of the user's; nullopt is ignored.
    void setString(const std::optional<QString> &text);
    // Shows the file's text once a worker thread has read it, then calls `arrived`.
    void loadFileText(std::function<void()> arrived = {});
    bool isLoadingText() const { return m_awaitingText; }
    // Shows the File's current text; the caret keeps its distance from the end.
    // An edit of the File's pieces that says where it was made ("editStart",
    // "editRemoved", "editAdded") moves only the rows it touched.
    void reloadContent(const QVariantMap &edit = {});

    int lineCount() const { return rowCount() - int(m_continuedRows.size()); }
    int rowCount() const { return int(m_rowStarts.size()); }
    // The first and the last row in view.
    std::pair<int, int> visibleRows() const;
    // The row's text without its line end.
    QString rowText(int row) const;
    // The colours laid on the row when it was last drawn (places in the row).
    QList<QTextLayout::FormatRange> rowColors(int row) const;

    // The selection, [selectionStart(), selectionEnd()); the caret is at
    // caretPosition(), one of its ends.
    int caretPosition() const { return m_caret; }
    int selectionStart() const { return std::min(m_anchor, m_caret); }
    int selectionEnd() const { return std::max(m_anchor, m_caret); }
    QString selectedText() const;
    // Selects [anchor, caret) either way round and scrolls the caret into view.
    void select(int anchor, int caret);
    // The user's edit: the selection becomes the text, line breaks in the file's line end.
    void insertText(const QString &text);
    // The whole text becomes `text` as it stands, as one edit (a snapshot
    // taken back); the selection and the scroll stay where they still fit.
    void replaceAll(const QString &text);

    // Save (Ctrl+S): the text into the File, the File to disk; a failure is
    // named in an alert. Posts "fileSavedByCommandS", with Shift also
    // "saveAndRefresh". Answers whether it was written.
    bool save(Qt::KeyboardModifiers modifiers = Qt::NoModifier);

Q_SIGNALS:
    // The user changed the text (after the edit road ran).
    void textEdited();
    void noticeChanged(const QString &notice);
    // The file's text arrived after loadFileText() returned.
    void textLoaded();
    // The rows in view were drawn with colours from a new run of the passes.
    void colored();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // The rows of a text: where each starts, those that go on a line, the
    // longest, and whether the text has carriage returns.
    struct RowIndex
    {
        std::vector<int> starts;
        std::vector<int> continued;
        int longest = 0;
        bool carriageReturns = false;
    };
    static RowIndex rowsOf(const PieceText &text);
    static void reserveRows(std::vector<int> &starts);
    static void scanRowsOf(const PieceText &text, bool carriageReturns, qsizetype from, qsizetype to, int firstRow,
                           std::vector<int> &starts, std::vector<int> &continued, int &longest);
    // A text arrived is shown with its rows when they were found already.
    void takeArrivedText(const std::optional<QString> &text, std::optional<RowIndex> rows);
    void takeText(std::shared_ptr<const PieceText> text, std::optional<RowIndex> rows = std::nullopt);
    // Indexes the rows of the whole text.
    void indexRows();
    // The rows of [from, to) of the text, `from` a line's start: starts in
    // `starts`, the rows that go on a line in `continued` (numbered from `firstRow`).
    void scanRows(qsizetype from, qsizetype to, int firstRow, std::vector<int> &starts,
                  std::vector<int> &continued);
    // The text's [start, start + removed) became `added` characters.
    void updateRows(int start, int removed, int added);
    int rowAt(int position) const;
    int rowStart(int row) const { return m_rowStarts[size_t(row)] + (row >= m_shiftFrom ? m_shift : 0); }
    // Where the row's text ends, before its line end.
    int rowContentEnd(int row) const;
    bool isContinued(int row) const;
    int lineOfRow(int row) const;

    // [start, end) becomes the text, through the edit road.
    void replaceRange(int start, int end, const QString &text);
    // Makes the edit in the text; false when the File refused it.
    bool editText(int start, int removed, const QString &text);
    bool storeText();
    // The character boundary before or after the position ("\r\n" and a
    // surrogate pair are one).
    int previousPosition(int position) const;
    int nextPosition(int position) const;
    // The end of the word after the position, or the start of the one before.
    enum class Direction { Forward, Backward };
    int wordBoundary(int position, Direction direction) const;
    void moveCaret(int position, bool keepAnchor);
    bool moveKey(QKeyEvent *event);
    void copy() const;

    // Geometry: rows of the same height, the gutter in the viewport's left part.
    int rowHeight() const;
    int gutterWidth() const;
    int rowsInView() const;
    void updateScrollBars();
    void ensureCaretVisible();
    int positionAt(const QPoint &point) const;
    // The row laid out as drawn: its colours and tab stops.
    void layRow(QTextLayout &layout, int row) const;
    // The colours of the last run over [start, end) of the text, places from start.
    QList<QTextLayout::FormatRange> colorsOf(int start, int end) const;
    // Runs the passes over the rows about those in view, unless the last run covers them.
    void colorRowsInView();

    QPointer<File> m_file;
    QPointer<SyntaxColoring> m_colorer;
    // The File's text while it shows it: the pieces the File edits in place,
    // or its whole text shared.
    std::shared_ptr<const PieceText> m_text = std::make_shared<const PieceText>();
    QString m_lineEnding = QStringLiteral("\n");
    bool m_hasCarriageReturn = false;
    // Where each row starts, and the rows that go on a line (sorted).
    std::vector<int> m_rowStarts{0};
    // The rows from m_shiftFrom on start m_shift further on than stored.
    int m_shiftFrom = 0;
    int m_shift = 0;
    std::vector<int> m_continuedRows;
    int m_longestRow = 0;
    int m_anchor = 0;
    int m_caret = 0;
    bool m_awaitingText = false;
    // Set while the File edits its text, which the view then does not hold.
    bool m_textLent = false;
    // The spans of the last run over [m_colorFrom, m_colorTo), places from m_colorFrom.
    SyntaxSpans m_spans;
    int m_colorFrom = 0;
    int m_colorTo = -1;
    // The format of each style number, made on first use for the palette.
    mutable QHash<int, QTextCharFormat> m_formats;
    QFont m_gutterFont;
};

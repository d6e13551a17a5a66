#pragma once

#include "CodeViewText.h"

#include "workspace/File.h"

#include <QPlainTextEdit>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QTextBlock>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class FileViewControllerInterface;
class QMimeData;
class RBLPopover;
class ReferenceView;
class SyntaxColoring;
class TextFinder;
struct Notification;

// The code editor of one text file, made by the file viewer and shown in a
// LineNumberScrollView. Its text is the File's content: every edit the user
// makes (typing, paste, drop) is stored in the File at once, under the undo
// action "type", one step of the shared undo manager per turn of the event
// loop (the view's own undo is off). The view follows when the File's text
// is set from elsewhere ("reloadContent") or saved from another view
// ("fileSaved"). Setting the text from the program, reloading it and
// colouring it are no edits: they never reach the File or the undo manager.
//
// Drops (CodeViewDrag.cpp): element names and snippets from the element
// palette ("DomNodeDragCopy") and plain text land where the pointer is.
class CodeView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CodeView(QWidget *parent = nullptr);
    ~CodeView() override;

    File *file() const { return m_file; }
    void setFile(File *file) { m_file = file; }
    // What the user should know about the file's text as read (File::textNotice()).
    QString textNotice() const;
    // The file viewer that made the view; not owned.
    FileViewControllerInterface *fileviewController() const { return m_fileviewController; }
    void setFileviewController(FileViewControllerInterface *controller) { m_fileviewController = controller; }
    // The find bar's controller; not owned.
    TextFinder *textFinder() const;
    void setTextFinder(TextFinder *finder);
    // The colourer of the view's text, or null for plain text; not owned.
    // It hears of every change of the text.
    SyntaxColoring *textStorageDelegate() const;
    void setTextStorageDelegate(SyntaxColoring *colorer);

    // The text as the File holds it: its own line ends and characters.
    const QString &string() const { return m_text.string(); }
    // Replaces the text, no edit of the user's; nullopt is ignored. A long
    // text put into an empty view goes in slices, one per turn of the event
    // loop, so the window stays responsive: string() holds all of it at
    // once, the document the part laid in so far. Edits meanwhile are kept.
    void setString(const std::optional<QString> &text);
    // Shows the file's text once a worker thread has read it, so that a
    // large file holds the window no longer than a slice does; then calls
    // `arrived`. What is typed meanwhile stays, before the file's text.
    void loadFileText(std::function<void()> arrived = {});
    // Whether the document does not yet hold all of string(), or the file's
    // text has not arrived yet.
    bool isLoadingText() const { return m_pendingFrom >= 0 || m_awaitingText; }
    // The lines the document holds, or about as many as it will hold once
    // it has all of string(): what the ruler makes room for, so that its
    // width, and with it the width every line is laid out to, stays put.
    int expectedLineCount() const;
    // The characters of string() laid into the document in one slice, at first.
    static constexpr int kSliceLength = 512 * 1024;

    // The edit road, after every change the user makes: the text becomes the
    // File's content under the undo action "type", the open undo group
    // closes at the end of the turn, and "refreshFileContent" tells the rest.
    void didChangeText();
    // Shows the File's current text; the caret moves by the change in length.
    void reloadContent();
    // Another view saved the same file: shown here unless this view has the
    // focus of its window.
    void fileSaved(const Notification &notification);

    // Save (Ctrl+S): the text into the File, the File to disk. Written, it
    // posts "fileSavedByCommandS" and, with Shift held, saves and refreshes
    // the preview. A failed save names the file and the reason in an alert;
    // the text and its modified state stay. Answers whether it was written.
    bool save(Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The text into the File and the File to disk, announcing nothing; a
    // document of the preview's frames is never written.
    bool saveCurrentFile();
    // Saves, then posts "saveAndRefresh" so the preview reloads; a document
    // of the preview's frames is neither saved nor refreshed.
    bool doSaveAndRefresh();
    // Colours the text again now, through the text's colourer.
    void updateSyntaxColor();

    // Drops: the text at the character under the point (viewport
    // coordinates), through the edit road.
    void insertTextAtMousePoint(const QString &text, const QPoint &point);
    // The character under the point; the end of the text below or after it.
    int charIndexForDraggingLoc(const QPoint &point) const;
    // Inserts the first usable type of the drag; answers true always.
    bool performDragOperation(const QMimeData *mime, const QPoint &point);

    // Places between the document (the view's positions) and string().
    int stringIndexOf(int documentPosition) const { return m_text.stringIndexOf(documentPosition); }
    int documentPositionOf(int stringIndex) const { return m_text.documentPositionOf(stringIndex); }
    // A long line is laid out in slices, each a block of the document: a
    // block that goes on the line of the one before it, and how many such
    // breaks stand before a document position.
    bool isContinuation(const QTextBlock &block) const
    {
        // Asked for every line the ruler counts: a text without slices
        // does not look for the block's place.
        return m_text.softBreakCount() > 0 && block.position() > 0 && m_text.isSoftBreak(block.position() - 1);
    }
    int softBreaksBefore(int documentPosition) const { return m_text.softBreaksBefore(documentPosition); }

    // What the ruler and the colourers draw from.
    QTextBlock firstVisibleTextBlock() const { return firstVisibleBlock(); }
    QRectF textBlockGeometry(const QTextBlock &block) const;
    // The numbers of the first and the last line that show.
    std::pair<int, int> visibleBlockNumbers() const;
    // A ruler in the viewport's left margin, as wide as the thickness (0
    // hides it); not owned (a child of the view).
    void setRulerView(QWidget *ruler);
    void setRulerThickness(int thickness);
    int rulerThickness() const { return m_rulerThickness; }

    // The view's palette as its text is shown: the background behind the
    // text (Base) stands as the window colour, the one that tells a light
    // palette from a dark one.
    QPalette textPalette() const;

    // The editor font: "Menlo" at that size, else the desktop's fixed font.
    static QFont menloFont(qreal pointSize);
    // What the shell tells of the page shown: whether it is made of the
    // file. Typing stays in Undo while the page shows its file.
    static void setPageShowsFile(std::function<bool(File *)> test);

    // Keys (CodeViewKeys.cpp), told by the kit's key codes with Command as
    // Ctrl. Script files indent after Return and take no code assist.
    void keyDown(QKeyEvent *event);
    // A file whose path ends in "js".
    bool isScriptFile() const;
    // Whether an input method is composing text at the caret (its preedit).
    bool hasMarkedText() const;
    // Return in a script: a line break and the line's tabs, one more after
    // "{", one fewer when a tab follows the caret; one edit.
    void appendTabWhenRetunKeyDown();
    // A tab in front of each selected line (Ctrl+\), or one taken from the
    // front of each (Ctrl+]); one edit each. A selection ending at a line's
    // start leaves that line out; an empty block changes nothing.
    void insertTabs();
    void deleteTabs();
    // The closing text for a completed tag name: "></tag>" when the
    // character after the caret is a blank, tab, line break or "<", else
    // empty.
    static QString getCloseTag(QChar next, const QString &tagName);

    // Code assist (CodeViewAssist.cpp), over the one CodeAssistContext. The
    // popup and the popover that shows it are shared by every code view;
    // neither is owned. Positions are indexes of string().
    ReferenceView *popup() const;
    void setPopup(ReferenceView *popup);
    RBLPopover *popover() const;
    void setPopover(RBLPopover *popover);
    // Classifies the text at the caret into the context.
    void detectCode();
    QString getHeadForInsertionPoint() const;
    QString getParent(int caret) const;
    // The partial words before the caret (CodeAssistScanner).
    QString getSuggetion() const;
    QString getSuggetionForCodeType4() const;
    QString getSuggetion2() const;
    // Asks the popup for the list the context calls for and shows it under
    // the caret.
    void popupReferenceWindow();
    // Hides the popup; while assisting, looks again shortly instead.
    void closePopup();
    // Hides the popup at once, whatever the assisting state.
    void hidePopupNow();
    void research();
    // Writes the chosen row (or the colour well's colour) in place of the
    // partial word, with its punctuation; through the edit road.
    void writeCode();
    // A colour chosen while the popup shows the colour well: written as six
    // hex digits over the word.
    void changeColor(const QColor &color);
    // Posted by the popup: hide it, and write its choice in the front view.
    void forceClose();
    void outlineClicked();
    // The start of the first selected range, as an index of string().
    int caretLocation() const;
    // Whether the popup is shown, for this view.
    bool isPopupShownHere() const;

Q_SIGNALS:
    // The user changed the text (after the edit road ran).
    void textEdited();
    // The file's text was taken again; its notice may have changed.
    void noticeChanged(const QString &notice);
    // The last slice of a long text is in the document.
    void textLoaded();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The keys the view takes before the menus do.
    bool claimsShortcut(const QKeyEvent *event) const;
    // Indents or outdents the selected lines.
    enum class Shift { In, Out };
    void shiftLines(Shift shift);
    // Ctrl+\ indents, Ctrl+] outdents; answers whether the key was one of them.
    bool shiftLinesForKey(int keyCode);
    // Replaces [start, end) of string() with text, through the edit road;
    // the caret ends after the text.
    void replaceStringRange(int start, int end, const QString &text);
    void setCaretLocation(int location);
    // Whether this view is the one the popup serves and in front (the file
    // viewer's main file, when there is a file viewer).
    bool isFrontView() const;
    // The arrow keys while the popup shows a list.
    void moveListSelection(bool down, bool command);
    void doSaveAndRefreshAfterDelay();

    void documentEdited(int position, int removed, int added);
    // Cuts the lines of [from, to) that are too long into slices.
    void sliceLongLines(int from, int to);
    // Where a slice of a long line that starts at `from` of string(), which
    // runs on to `to`, is best cut: at the start of a row of the line as the
    // view lays it out whole, so that the slices wrap as the line would.
    qsizetype rowCut(qsizetype from, qsizetype to) const;
    // The width of a row of the document's lines; 0 while the view is hidden.
    qreal rowWidth() const;
    // Cuts the long lines again for the view's width, soon.
    void scheduleRecut();
    void recutLongLines();
    // The keys the document handles, but for Backspace and Delete next to
    // a slice's end, which reach the character beyond it.
    void platformKeyPress(QKeyEvent *event);
    // A caret before a slice's end goes to the next slice's start, or to
    // the character before it when it was moving back.
    void keepCaretOffSliceEnd();
    // Lays the next slice of string() into the document.
    void loadNextSlice();
    enum class Arrival { AtOnce, Later };
    void takeArrivedText(const std::optional<QString> &text, Arrival arrival);
    // Where a slice from `from` ends: after a line end about `length` on.
    static int sliceEnd(const QString &text, int from, int length);
    void selectionDidChange();
    // The text into the File when it differs; answers whether the File is set.
    bool storeText();
    // Saves the File; a failure is named in an alert.
    bool writeFile();
    void placeRuler();

    QPointer<File> m_file;
    FileViewControllerInterface *m_fileviewController = nullptr; // Not owned.
    QPointer<TextFinder> m_textFinder;
    QPointer<SyntaxColoring> m_textStorageDelegate;
    QMetaObject::Connection m_delegateConnection;
    QPointer<ReferenceView> m_popup;
    QPointer<RBLPopover> m_popover;
    // The caret now and before the last selection change, in this view (the
    // context's previous location may be another view's).
    int m_lastCaretLocation = 0;
    int m_previousCaretLocation = 0;
    QPointer<QWidget> m_rulerView;
    int m_rulerThickness = 0;
    CodeViewText m_text;
    // Set while the program replaces the text: not the user's edit.
    bool m_settingText = false;
    // Set while lines are cut into slices, and while a key moves the caret back.
    bool m_slicing = false;
    bool m_movingBack = false;
    // The width the long lines were last cut for (-1: none yet).
    qreal m_cutWidth = -1;
    QTimer m_recutTimer;
    // Since the last double click: a press soon after it is a triple click.
    QElapsedTimer m_doubleClick;
    // The range of the document whose long lines are to be cut (-1: none).
    int m_longFrom = -1;
    int m_longTo = -1;
    // The user edited since the edit road last ran.
    bool m_edited = false;
    // The index in string() of the first character the document does not
    // hold yet; -1 once it holds them all.
    int m_pendingFrom = -1;
    // Set from loadFileText() until the file's text has arrived.
    bool m_awaitingText = false;
    // The lines of string() while the document takes them in.
    int m_loadingLines = 0;
    // The length of the next slice, fitted to the time slices take.
    int m_sliceLength = kSliceLength;
};

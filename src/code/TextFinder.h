#pragma once

#include "LargeTextView.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <utility>

class LineNumberScrollView;
class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTextCursor;
class QToolButton;
class QWidget;

// The find bar of a code view and its search. Ctrl+F shows the bar above the
// view, Ctrl+G and Ctrl+Shift+G (F3, Shift+F3) find the next and the previous
// match, Return and Shift+Return in the bar too, and Escape hides it and
// gives the keyboard back to the view. Searching is incremental: every change
// of the search text selects the first match from where the search began.
// Matches ignore case and wrap around the text; the bar tells which match of
// how many is selected. The bar is the container's; the finder is the
// view's, a child of the container.
class TextFinder : public QObject
{
    Q_OBJECT

public:
    enum Action { ShowFindInterface = 1, NextMatch = 2, PreviousMatch = 3, HideFindInterface = 11 };

    explicit TextFinder(QObject *parent = nullptr);
    ~TextFinder() override;

    // The text searched; not owned.
    QPlainTextEdit *client() const { return m_client; }
    void setClient(QPlainTextEdit *client);
    // A large text's view searched instead; not owned.
    LargeTextView *largeClient() const { return m_largeClient; }
    void setLargeClient(LargeTextView *client);
    // Where the bar shows; it gets the bar and the keys.
    LineNumberScrollView *findBarContainer() const;
    void setFindBarContainer(LineNumberScrollView *container);

    bool isIncrementalSearchingEnabled() const { return m_incremental; }
    void setIncrementalSearchingEnabled(bool enabled) { m_incremental = enabled; }

    void performAction(Action action);

    QString searchString() const;
    void setSearchString(const QString &text);
    // "3 of 12", "Not found", or nothing without a search text.
    QString statusText() const;

private:
    void buildBar();
    void searchStringDidChange();
    // Selects the match at or after `from` (before it, going back), wrapping.
    bool findMatch(int from, bool backwards);
    // The same in a large text's view, whose places are its string's.
    bool findLargeMatch(int from, bool backwards);
    // Where the text is in all at or after from (before it, going back),
    // wrapping round; -1 when it is nowhere.
    static qsizetype findIn(const QString &all, const QString &text, int from, bool backwards);
    // The status for the match starting at `matchStart` (-1: none) among
    // the matches, which start where given.
    void showStatus(const QList<qsizetype> &matches, int matchStart, bool hasMatch);
    // Where the text is found in all, each match after the one before.
    static QList<qsizetype> matchesIn(const QString &all, const QString &text);
    bool hasClient() const { return m_client || m_largeClient; }
    // The client's selection, as [start, end).
    std::pair<int, int> clientSelection() const;

    QPointer<QPlainTextEdit> m_client;
    QPointer<LargeTextView> m_largeClient;
    QPointer<LineNumberScrollView> m_container;
    bool m_incremental = false;
    // Where the incremental search starts: the selection when the bar opened.
    int m_searchStart = 0;
    QWidget *m_bar = nullptr; // Owned by the container once set.
    QLineEdit *m_field = nullptr;
    QLabel *m_status = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_done = nullptr;
    QPointer<QAction> m_escape;
};

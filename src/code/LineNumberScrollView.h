#pragma once

#include "CodeView.h"
#include "LargeTextView.h"
#include "NoodleLineNumberView.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QVBoxLayout;

// The frame of a code view: the view (which scrolls itself) fills it, with
// the line-number ruler in the view's left margin once
// setLineNumberVisible(true) installed it, and the find bar above the view
// while it shows. Element and text drags are accepted by the view.
class LineNumberScrollView : public QWidget
{
    Q_OBJECT

public:
    explicit LineNumberScrollView(QWidget *parent = nullptr);
    ~LineNumberScrollView() override;

    CodeView *documentView() const { return m_documentView; }
    // The view shown; the frame takes ownership.
    void setDocumentView(CodeView *view);
    // A large text's view, with its own line numbers, shown instead of a
    // code view; the frame takes ownership.
    LargeTextView *largeTextView() const { return m_largeTextView; }
    void setLargeTextView(LargeTextView *view);

    NoodleLineNumberView *lineNumberView() const { return m_lineNumberView; }
    NoodleLineNumberView *rulerView() const { return m_lineNumberView; }
    // True installs a new ruler; false does nothing.
    void setLineNumberVisible(bool visible);
    // A new ruler, replacing any earlier one: a faint grey bar with the
    // numbers in "Menlo" at 10 points.
    void setupLineNumber();
    // Hides the ruler.
    void removeLineNumber();

    // The find bar above the view; the frame takes ownership.
    QWidget *findBarView() const { return m_findBarView; }
    void setFindBarView(QWidget *bar);
    bool isFindBarVisible() const;
    void setFindBarVisible(bool visible);

    // A line above the view with what the user should know about the file's
    // text (bytes that are no text, a name that cannot be read); hidden
    // when empty. It follows the view's noticeChanged().
    QString notice() const;
    void setNotice(const QString &text);

private:
    // The view takes the drags it can use (elements, snippets, text).
    void viewDidMoveToSuperview();

    QVBoxLayout *m_layout; // Owned by the frame.
    QPointer<CodeView> m_documentView;
    QPointer<LargeTextView> m_largeTextView;
    QPointer<NoodleLineNumberView> m_lineNumberView;
    QPointer<QWidget> m_findBarView;
    QLabel *m_notice = nullptr; // Owned by the frame; made on first use.
};

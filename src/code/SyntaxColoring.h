#pragma once

#include "SyntaxSpan.h"
#include "SyntaxStyle.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QThreadPool>

#include <utility>
#include <vector>

class CodeView;

// What the three colourers share: when a text is coloured and how the colours
// are laid on. A run colours the whole text of a code view 0.6 s after its
// last edit (or at once on request), by the colourer's passes: a function
// from text to styled spans, free of the interface, so a large text is
// worked on away from it while the view stays responsive. The spans are laid
// on as display formats of the view's lines (QTextLayout formats), which the
// text, its undo and its File never see: visible lines first, the rest in
// slices that keep each turn of the event loop short. A text of more than
// kLayAllLines lines keeps its spans instead and has each line laid on as it
// comes into view, since a laid line costs a layout of its own. A run whose
// text was edited meanwhile is dropped; the next one comes 0.6 s after that
// edit. A view still taking in its text is coloured once it has all of it.
// One colourer serves many views; its state per view goes with the view.
class SyntaxColoring : public QObject
{
    Q_OBJECT

public:
    using Passes = SyntaxSpans (*)(const QString &text);

    ~SyntaxColoring() override;

    // The view this colourer was last attached to; not read by a run.
    CodeView *textView() const;
    void setTextView(CodeView *view);

    // The view's text changed at [position, position + charsAdded), where
    // charsRemoved were: the colours of the edited line move with its text,
    // and the run waits for 0.6 s without edits.
    void textStorageDidProcessEditing(CodeView *view, int position, int charsRemoved, int charsAdded);
    // A run at the next turn of the event loop.
    void applySyntaxColor(CodeView *view);
    // A run now (a large text's spans still come from the workers).
    void doColor(CodeView *view);

    // Lays the spans [first, last) over one line as its display formats
    // (the formats of the style numbers); answers whether they changed.
    // The spans' places are `offset` before the line's places in the text.
    static bool applyStyle(const QTextBlock &block, const SyntaxSpan *first, const SyntaxSpan *last,
                           const QList<QTextCharFormat> &formats, int offset = 0);

    const SyntaxStyle &style(int number) const;
    // The passes over a text; a later pass wins where two overlap.
    SyntaxSpans colorSpans(const QString &text) const { return m_passes(text); }

    // Texts up to this length are worked on at once; longer ones by the workers.
    static constexpr int kInlineLength = 64 * 1024;
    // The delay after the last edit.
    static constexpr double kDelaySeconds = 0.6;
    // Texts of up to this many lines have all of them laid on by a run.
    static constexpr int kLayAllLines = 20000;

Q_SIGNALS:
    // A run has laid all of its colours on the view (on a longer text, those
    // of the lines in view; the others follow as they come into view).
    void colored(CodeView *view);

protected:
    SyntaxColoring(Passes passes, QObject *parent);
    void setStyles(const QList<std::pair<int, SyntaxStyle>> &styles);

private:
    struct ViewState
    {
        // Edits seen; a run applies only to the text it was started on.
        quint64 edits = 0;
        quint64 runEdits = 0;
        bool running = false;
        SyntaxSpans spans;
        QList<QTextCharFormat> formats;
        // The visible lines, laid on first, and where the rest has got to.
        int firstVisible = 0;
        int lastVisible = -1;
        int nextBlock = 0;
        // A long text: the spans stay, and lines are laid on as they show.
        bool inView = false;
        bool inViewPending = false;
        // The spans laid on a line are those of this generation when its
        // user state says so: a line is laid once for each set of spans,
        // so an edited one keeps the colours that moved with its text.
        int generation = 0;
        // The edits since the kept spans' text, in order: where each was
        // made and how much longer it made the text.
        std::vector<std::pair<int, int>> shifts;
    };

    ViewState &stateOf(CodeView *view);
    void startRun(CodeView *view);
    void spansArrived(const QPointer<CodeView> &view, quint64 edits, SyntaxSpans spans);
    void applySlice(const QPointer<CodeView> &view, quint64 edits);
    void cancelPending(CodeView *view);
    // A long text: lays the kept spans on the lines in view.
    void layLinesInView(const QPointer<CodeView> &view);
    // How far the kept spans' places lie before the text's at the position.
    static int spanOffset(const ViewState &state, int position);
    // A run after the delay, in place of one still pending.
    void scheduleRun(CodeView *view, double delaySeconds);

    Passes m_passes;
    QList<SyntaxStyle> m_styles;
    QPointer<CodeView> m_textView;
    QHash<const CodeView *, ViewState> m_states;
    // Declared last: destroyed first, it waits for the runs still working.
    QThreadPool m_workers;
};

#include "SyntaxColoring.h"

#include "CodeView.h"
#include "CodeViewText.h"

#include "platform/foundation/DelayedPerform.h"

#include <QElapsedTimer>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

const QByteArray kDoColor = QByteArrayLiteral("doColor:");

// How long one slice of laying on colours may hold the event loop.
constexpr int kSliceMs = 8;

QVariant keyOf(const CodeView *view)
{
    return QVariant::fromValue(quintptr(view));
}

// The view's text as the passes read it: one line feed per line end.
QString plainTextOf(const CodeView *view)
{
    QString text = view->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

// A file's text as plainTextOf() reads its view: each of the document's line
// breaks one line feed. Most texts are that already and are not copied.
QString passTextOf(const QString &text)
{
    const auto isBreak = [](QChar c) { return c != u'\n' && CodeViewText::isDocumentBreak(c); };
    if (!text.contains(u'\r') && !text.contains(QChar(QChar::ParagraphSeparator)) && !text.contains(QChar(0xfdd0))
        && !text.contains(QChar(0xfdd1)))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            continue;
        result.append(isBreak(c) ? QChar(u'\n') : c);
    }
    return result;
}

} // namespace

SyntaxColoring::SyntaxColoring(Passes passes, QObject *parent)
    : QObject(parent)
    , m_passes(passes)
{
    m_workers.setMaxThreadCount(2);
}

SyntaxColoring::~SyntaxColoring() = default;

CodeView *SyntaxColoring::textView() const
{
    return m_textView;
}

void SyntaxColoring::setTextView(CodeView *view)
{
    m_textView = view;
}

void SyntaxColoring::setStyles(const QList<std::pair<int, SyntaxStyle>> &styles)
{
    m_styles.clear();
    for (const auto &[number, style] : styles) {
        if (m_styles.size() <= number)
            m_styles.resize(number + 1);
        m_styles[number] = style;
    }
}

const SyntaxStyle &SyntaxColoring::style(int number) const
{
    static const SyntaxStyle none;
    return number > 0 && number < m_styles.size() ? m_styles.at(number) : none;
}

SyntaxColoring::ViewState &SyntaxColoring::stateOf(CodeView *view)
{
    auto it = m_states.find(view);
    if (it == m_states.end()) {
        it = m_states.insert(view, ViewState());
        connect(view, &QObject::destroyed, this, [this, view] { m_states.remove(view); });
        const QPointer<CodeView> guarded(view);
        connect(view, &CodeView::textLoaded, this, [this, guarded] {
            if (guarded)
                scheduleRun(guarded, 0.0);
        });
        // Lines scrolled into view of a long text take their colours after the paint.
        connect(view, &QPlainTextEdit::updateRequest, this, [this, guarded] {
            if (!guarded)
                return;
            ViewState &state = stateOf(guarded);
            if (!state.inView || std::exchange(state.inViewPending, true))
                return;
            QMetaObject::invokeMethod(this, [this, guarded] { layLinesInView(guarded); }, Qt::QueuedConnection);
        });
    }
    return *it;
}

void SyntaxColoring::cancelPending(CodeView *view)
{
    DelayedPerform::cancel(this, kDoColor, keyOf(view));
}

void SyntaxColoring::textStorageDidProcessEditing(CodeView *view, int position, int charsRemoved, int charsAdded)
{
    if (!view)
        return;
    ViewState &state = stateOf(view);
    ++state.edits;
    // The text is coloured once the view has all of it.
    if (view->isLoadingText())
        return;
    if (state.inView)
        state.shifts.emplace_back(position, charsAdded - charsRemoved);

    // The colours of the edited line follow its text until the next run:
    // those after the edit move with it, one the edit falls inside grows or
    // shrinks, and none reaches past the line's end.
    const QTextBlock block = view->document()->findBlock(position);
    if (block.isValid() && block.layout()) {
        const QList<QTextLayout::FormatRange> old = block.layout()->formats();
        if (!old.isEmpty()) {
            const int offset = position - block.position();
            const int delta = charsAdded - charsRemoved;
            const int length = block.length() - 1;
            const auto moved = [&](int at, bool isEnd) {
                if (at < offset || (at == offset && isEnd))
                    return at;
                if (at >= offset + charsRemoved)
                    return at + delta;
                return offset + (isEnd ? 0 : charsAdded);
            };
            QList<QTextLayout::FormatRange> shifted;
            for (QTextLayout::FormatRange range : old) {
                const bool inside = range.start < offset && offset < range.start + range.length;
                const int start = moved(range.start, false);
                int end = moved(range.start + range.length, true);
                if (inside && charsRemoved == 0)
                    end = range.start + range.length + charsAdded;
                range.start = std::clamp(start, 0, length);
                range.length = std::clamp(end, 0, length) - range.start;
                if (range.length > 0)
                    shifted.append(range);
            }
            if (shifted != old)
                block.layout()->setFormats(shifted);
        }
    }

    scheduleRun(view, kDelaySeconds);
}

void SyntaxColoring::applySyntaxColor(CodeView *view)
{
    if (view)
        scheduleRun(view, 0.0);
}

void SyntaxColoring::scheduleRun(CodeView *view, double delaySeconds)
{
    cancelPending(view);
    const QPointer<CodeView> guarded(view);
    DelayedPerform::perform(this, kDoColor, keyOf(view), delaySeconds, [this, guarded] {
        if (guarded)
            doColor(guarded);
    });
}

void SyntaxColoring::doColor(CodeView *view)
{
    if (!view)
        return;
    cancelPending(view);
    startRun(view);
}

void SyntaxColoring::startRun(CodeView *view)
{
    // The view's textLoaded() starts the run.
    if (view->isLoadingText())
        return;
    ViewState &state = stateOf(view);
    state.running = true;
    state.runEdits = state.edits;
    // A long text keeps its lines coming into view coloured meanwhile.
    if (!state.inView)
        state.spans.clear();
    // The view's own string, when it is the document's text, costs no copy;
    // its line ends are made line feeds where the passes run.
    const QString &own = view->string();
    const int documentLength = view->document()->characterCount() - 1;
    const QString text = view->stringIndexOf(documentLength) == own.size() ? own : plainTextOf(view);
    const QPointer<CodeView> guarded(view);
    const quint64 edits = state.edits;
    if (text.size() <= kInlineLength) {
        spansArrived(guarded, edits, m_passes(passTextOf(text)));
        return;
    }
    const Passes passes = m_passes;
    m_workers.start([this, passes, text, guarded, edits] {
        SyntaxSpans spans = passes(passTextOf(text));
        QMetaObject::invokeMethod(
            this, [this, guarded, edits, spans = std::move(spans)]() mutable { spansArrived(guarded, edits, std::move(spans)); },
            Qt::QueuedConnection);
    });
}

void SyntaxColoring::spansArrived(const QPointer<CodeView> &view, quint64 edits, SyntaxSpans spans)
{
    if (!view)
        return;
    ViewState &state = stateOf(view);
    // A later run, or an edit, has made these spans stale.
    if (!state.running || state.runEdits != edits || state.edits != edits)
        return;
    state.spans = std::move(spans);
    state.shifts.clear();
    state.formats.clear();
    for (qsizetype number = 0; number < m_styles.size(); ++number)
        state.formats.append(m_styles.at(number).format(view->textPalette()));
    state.inView = view->document()->blockCount() > kLayAllLines;
    if (state.inView) {
        state.running = false;
        ++state.generation;
        layLinesInView(view);
        Q_EMIT colored(view);
        return;
    }
    const auto [first, last] = view->visibleBlockNumbers();
    state.firstVisible = first;
    state.lastVisible = last;
    state.nextBlock = 0;
    applySlice(view, edits);
}

bool SyntaxColoring::applyStyle(const QTextBlock &block, const SyntaxSpan *first, const SyntaxSpan *last,
                                const QList<QTextCharFormat> &formats, int offset)
{
    const int start = block.position() - offset;
    const int end = start + block.length() - 1;
    QList<QTextLayout::FormatRange> ranges;
    for (const SyntaxSpan *span = first; span != last && span->start < end; ++span) {
        const int from = std::max(span->start, start);
        const int to = std::min(span->end(), end);
        if (from >= to || span->style <= 0 || span->style >= formats.size())
            continue;
        QTextLayout::FormatRange range;
        range.start = from - start;
        range.length = to - from;
        range.format = formats.at(span->style);
        ranges.append(range);
    }
    QTextLayout *layout = block.layout();
    if (!layout || layout->formats() == ranges)
        return false;
    layout->setFormats(ranges);
    return true;
}

void SyntaxColoring::applySlice(const QPointer<CodeView> &view, quint64 edits)
{
    if (!view)
        return;
    ViewState &state = stateOf(view);
    if (!state.running || state.edits != edits)
        return;
    QTextDocument *document = view->document();
    const SyntaxSpan *spans = state.spans.constData();
    const SyntaxSpan *spansEnd = spans + state.spans.size();
    int dirtyFrom = -1;
    int dirtyTo = -1;
    const auto lay = [&](const QTextBlock &block) {
        // The first span that reaches into the line; the slices of a long
        // line stand one place further on in the document for each slice
        // before them, which the spans' text does not hold.
        const int offset = view->softBreaksBefore(block.position());
        const SyntaxSpan *first = std::partition_point(
            spans, spansEnd, [start = block.position() - offset](const SyntaxSpan &span) { return span.end() <= start; });
        if (applyStyle(block, first, spansEnd, state.formats, offset)) {
            dirtyFrom = dirtyFrom < 0 ? block.position() : std::min(dirtyFrom, block.position());
            dirtyTo = std::max(dirtyTo, block.position() + block.length());
        }
    };

    QElapsedTimer clock;
    clock.start();
    // The visible lines, all in the first slice; then the others in order.
    if (state.nextBlock == 0) {
        for (QTextBlock block = document->findBlockByNumber(state.firstVisible);
             block.isValid() && block.blockNumber() <= state.lastVisible; block = block.next())
            lay(block);
    }
    QTextBlock block = document->findBlockByNumber(state.nextBlock);
    int done = 0;
    for (; block.isValid(); block = block.next()) {
        const int number = block.blockNumber();
        if (number < state.firstVisible || number > state.lastVisible)
            lay(block);
        // The clock is read now and then: it costs more than a short line.
        if (++done % 64 == 0 && clock.elapsed() >= kSliceMs) {
            block = block.next();
            break;
        }
    }
    if (dirtyFrom >= 0)
        document->markContentsDirty(dirtyFrom, dirtyTo - dirtyFrom);

    if (block.isValid()) {
        state.nextBlock = block.blockNumber();
        QMetaObject::invokeMethod(this, [this, view, edits] { applySlice(view, edits); }, Qt::QueuedConnection);
        return;
    }
    state.running = false;
    state.spans.clear();
    Q_EMIT colored(view);
}

int SyntaxColoring::spanOffset(const ViewState &state, int position)
{
    // Back through the edits, latest first: a place after an edit was
    // `delta` further on before it; one inside inserted text, at its start.
    int original = position;
    for (auto it = state.shifts.crbegin(); it != state.shifts.crend(); ++it) {
        const auto [at, delta] = *it;
        if (original > at)
            original = std::max(at, original - delta);
    }
    return position - original;
}

void SyntaxColoring::layLinesInView(const QPointer<CodeView> &view)
{
    if (!view)
        return;
    ViewState &state = stateOf(view);
    state.inViewPending = false;
    if (!state.inView)
        return;
    const SyntaxSpan *spans = state.spans.constData();
    const SyntaxSpan *spansEnd = spans + state.spans.size();
    int dirtyFrom = -1;
    int dirtyTo = -1;
    const auto [first, last] = view->visibleBlockNumbers();
    QTextDocument *document = view->document();
    for (QTextBlock block = document->findBlockByNumber(first); block.isValid() && block.blockNumber() <= last;
         block = block.next()) {
        if (block.userState() == state.generation)
            continue;
        block.setUserState(state.generation);
        const int offset = spanOffset(state, block.position()) + view->softBreaksBefore(block.position());
        const SyntaxSpan *from = std::partition_point(
            spans, spansEnd, [start = block.position() - offset](const SyntaxSpan &span) { return span.end() <= start; });
        if (applyStyle(block, from, spansEnd, state.formats, offset)) {
            dirtyFrom = dirtyFrom < 0 ? block.position() : std::min(dirtyFrom, block.position());
            dirtyTo = std::max(dirtyTo, block.position() + block.length());
        }
    }
    if (dirtyFrom >= 0)
        document->markContentsDirty(dirtyFrom, dirtyTo - dirtyFrom);
}

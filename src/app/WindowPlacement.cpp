#include "WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace {

// Sizes a window to its decorated frame once, when the window is first
// exposed: the window system has decorated it by then. A window resized
// meanwhile keeps its new size. Owned by the window's handle.
class DecorationWatcher final : public QObject
{
public:
    static constexpr const char *kName = "DecorationWatcher";

    DecorationWatcher(QWidget *window, const QRect &frame)
        : QObject(window->windowHandle()), m_window(window), m_frame(frame), m_size(window->size())
    {
        setObjectName(QLatin1String(kName));
        window->windowHandle()->installEventFilter(this);
    }

    void setFrame(const QRect &frame)
    {
        m_frame = frame;
        m_size = m_window ? m_window->size() : QSize();
    }

    void addFollowUp(std::function<void()> followUp) { m_followUps.append(std::move(followUp)); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Expose || !m_window || !static_cast<QWindow *>(watched)->isExposed())
            return false;
        watched->removeEventFilter(this);
        setObjectName(QString());
        if (m_window->size() == m_size)
            m_window->setGeometry(WindowPlacement::insideDecoration(m_window, m_frame));
        deleteLater();
        // The window system resizes a shown window at once: the window's
        // panes have their sizes by now.
        for (const std::function<void()> &followUp : std::exchange(m_followUps, {}))
            followUp();
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QRect m_frame;
    // The size the window was given with the frame.
    QSize m_size;
    QList<std::function<void()>> m_followUps;
};

DecorationWatcher *decorationWatcherOf(const QWindow *handle)
{
    return handle ? handle->findChild<DecorationWatcher *>(QLatin1String(DecorationWatcher::kName), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

// A window's extent along one axis, [start, end).
struct PlacementSpan
{
    int start = 0;
    int end = 0;
};

bool spansOverlap(const PlacementSpan &a, const PlacementSpan &b)
{
    return a.start < b.end && b.start < a.end;
}

// The spans moved and shrunk along their axis to lie within `area`. Every
// edge goes through one map that keeps the order of all edges, so that no
// span comes to overlap another it did not; the stretches between edges
// longer than a common length are cut to it, found so that the whole fits.
void fitSpansTogether(QList<PlacementSpan> &spans, const PlacementSpan &area)
{
    if (spans.isEmpty())
        return;
    QList<int> edges;
    for (const PlacementSpan &span : spans)
        edges << span.start << span.end;
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    const int room = area.end - area.start;
    if (edges.back() - edges.front() > room) {
        QList<int> lengths;
        for (qsizetype i = 1; i < edges.size(); ++i)
            lengths << edges[i] - edges[i - 1];
        QList<int> ascending = lengths;
        std::sort(ascending.begin(), ascending.end());
        // The common length: the shortest stretches keep theirs while the
        // rest, cut to it, share what remains.
        double cap = 0;
        double left = room;
        for (qsizetype i = 0; i < ascending.size(); ++i) {
            const qsizetype longer = ascending.size() - i;
            if (double(ascending[i]) * double(longer) >= left) {
                cap = left / double(longer);
                break;
            }
            left -= ascending[i];
        }
        QHash<int, int> mapped;
        double position = edges.front();
        mapped.insert(edges.front(), edges.front());
        for (qsizetype i = 1; i < edges.size(); ++i) {
            position += std::min(double(lengths[i - 1]), cap);
            mapped.insert(edges[i], int(std::lround(position)));
        }
        for (PlacementSpan &span : spans)
            span = {mapped.value(span.start), mapped.value(span.end)};
    }
    int start = spans.front().start;
    int end = spans.front().end;
    for (const PlacementSpan &span : spans) {
        start = std::min(start, span.start);
        end = std::max(end, span.end);
    }
    const int shift = qBound(area.start, start, std::max(area.start, area.end - (end - start))) - start;
    for (PlacementSpan &span : spans)
        span = {span.start + shift, span.end + shift};
}

} // namespace

QRect WindowPlacement::fitted(const QRect &frame, const QRect &area)
{
    return fittedTogether({frame}, area).constFirst();
}

QList<QRect> WindowPlacement::fittedTogether(const QList<QRect> &frames, const QRect &area)
{
    if (area.isEmpty())
        return frames;
    QList<QRect> result = frames;
    for (const Qt::Orientation axis : {Qt::Horizontal, Qt::Vertical}) {
        const auto along = [axis](const QRect &rect) {
            return axis == Qt::Horizontal ? PlacementSpan{rect.left(), rect.left() + rect.width()}
                                          : PlacementSpan{rect.top(), rect.top() + rect.height()};
        };
        const auto across = [axis](const QRect &rect) {
            return axis == Qt::Horizontal ? PlacementSpan{rect.top(), rect.top() + rect.height()}
                                          : PlacementSpan{rect.left(), rect.left() + rect.width()};
        };
        // Windows that share a stretch of the other axis would meet if
        // their order along this one changed: they go together, through
        // one map. The others are fitted on their own.
        QList<int> group(frames.size());
        std::iota(group.begin(), group.end(), 0);
        const auto root = [&group](int i) {
            while (group[i] != i)
                i = group[i] = group[group[i]];
            return i;
        };
        for (qsizetype i = 0; i < frames.size(); ++i) {
            for (qsizetype j = i + 1; j < frames.size(); ++j) {
                if (spansOverlap(across(frames[i]), across(frames[j])))
                    group[root(int(j))] = root(int(i));
            }
        }
        for (qsizetype i = 0; i < frames.size(); ++i) {
            if (root(int(i)) != i)
                continue;
            QList<qsizetype> members;
            QList<PlacementSpan> spans;
            for (qsizetype j = 0; j < frames.size(); ++j) {
                if (root(int(j)) == i) {
                    members << j;
                    spans << along(frames[j]);
                }
            }
            fitSpansTogether(spans, along(area));
            for (qsizetype k = 0; k < members.size(); ++k) {
                QRect &rect = result[members[k]];
                if (axis == Qt::Horizontal)
                    rect = QRect(spans[k].start, rect.top(), spans[k].end - spans[k].start, rect.height());
                else
                    rect = QRect(rect.left(), spans[k].start, rect.width(), spans[k].end - spans[k].start);
            }
        }
    }
    return result;
}

QScreen *WindowPlacement::screenWithGeometry(const QRect &geometry)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry() == geometry)
            return screen;
    }
    return nullptr;
}

// The decoration the window system has put around the window, as far as
// it has told it.
static QMargins decoration(const QWidget *window)
{
    const QWindow *handle = window ? window->windowHandle() : nullptr;
    return handle ? handle->frameMargins() : QMargins();
}

QRect WindowPlacement::decoratedFrame(const QWidget *window)
{
    return window->geometry().marginsAdded(decoration(window));
}

QRect WindowPlacement::insideDecoration(const QWidget *window, const QRect &frame)
{
    return frame.marginsRemoved(decoration(window));
}

void WindowPlacement::place(QWidget *window, const QRect &frame)
{
    if (!window || frame.isEmpty())
        return;
    window->winId();
    QWindow *handle = window->windowHandle();
    if (!decoration(window).isNull() || !handle || handle->isExposed()) {
        window->setGeometry(insideDecoration(window, frame));
        return;
    }
    // A move places the decorated frame's corner; the size is the window's
    // own, so the window may stand taller than the frame until it is sized
    // again with its decoration.
    window->move(frame.topLeft());
    window->resize(frame.size());
    if (DecorationWatcher *watcher = decorationWatcherOf(handle))
        watcher->setFrame(frame);
    else
        new DecorationWatcher(window, frame);
}

void WindowPlacement::whenPlaced(QWidget *window, std::function<void()> then)
{
    if (!then)
        return;
    if (DecorationWatcher *watcher = decorationWatcherOf(window ? window->windowHandle() : nullptr))
        watcher->addFollowUp(std::move(then));
    else
        then();
}

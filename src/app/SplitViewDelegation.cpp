#include "SplitViewDelegation.h"

#include "platform/kit/SplitView.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QSplitterHandle>
#include <QTimer>

// How near its far edge a divider must come to collapse the pane.
static constexpr double kCollapseReach = 4;

SplitViewDelegation::SplitViewDelegation(SplitView *splitView, SplitViewDelegate delegate)
    : QObject(splitView)
    , m_splitView(splitView)
    , m_delegate(std::move(delegate))
{
    setObjectName(QStringLiteral("SplitViewDelegation"));
    // The panes may become as small as the delegate allows: the delegate's
    // limits, not the panes' own minimum sizes, bound the dividers.
    for (int i = 0; i < splitView->count(); ++i)
        splitView->widget(i)->setMinimumSize(1, 1);
    splitView->setChildrenCollapsible(true);
    splitView->installEventFilter(this);
    watchHandles();
    connect(splitView, &QSplitter::splitterMoved, this, [this] {
        if (!m_moving)
            didResizeSubviews();
    });
}

SplitViewDelegation *SplitViewDelegation::install(SplitView *splitView, SplitViewDelegate delegate)
{
    if (SplitViewDelegation *existing = of(splitView))
        delete existing;
    return new SplitViewDelegation(splitView, std::move(delegate));
}

SplitViewDelegation *SplitViewDelegation::of(const SplitView *splitView)
{
    if (!splitView)
        return nullptr;
    return splitView->findChild<SplitViewDelegation *>(QStringLiteral("SplitViewDelegation"),
                                                       Qt::FindDirectChildrenOnly);
}

void SplitViewDelegation::setPositionOfDividerAtIndex(SplitView *splitView, double position, int dividerIndex)
{
    if (!splitView)
        return;
    if (SplitViewDelegation *delegation = of(splitView))
        delegation->move(position, dividerIndex);
    else
        splitView->setPositionOfDividerAtIndex(qRound(position), dividerIndex);
}

void SplitViewDelegation::watchHandles()
{
    for (int i = 1; i < m_splitView->count(); ++i) {
        if (QSplitterHandle *handle = m_splitView->handle(i))
            handle->installEventFilter(this);
    }
}

bool SplitViewDelegation::canCollapse(QWidget *subview, Move how) const
{
    if (how == Move::ByDrag && m_delegate.collapsesSubviewOnDrag && !m_delegate.collapsesSubviewOnDrag(m_splitView, subview))
        return false;
    return subview && m_delegate.canCollapseSubview && m_delegate.canCollapseSubview(m_splitView, subview);
}

int SplitViewDelegation::leadingEdge(int dividerIndex) const
{
    if (dividerIndex <= 0)
        return 0;
    return m_splitView->positionOfDividerAtIndex(dividerIndex - 1) + m_splitView->handleWidth();
}

int SplitViewDelegation::trailingEdge(int dividerIndex) const
{
    const int extent = m_splitView->isVertical() ? m_splitView->width() : m_splitView->height();
    const int end = dividerIndex + 2 < m_splitView->count()
        ? m_splitView->positionOfDividerAtIndex(dividerIndex + 1)
        : extent;
    return end - m_splitView->handleWidth();
}

int SplitViewDelegation::constrainedPosition(double proposed, int dividerIndex, Move how) const
{
    const double start = leadingEdge(dividerIndex);
    const double end = trailingEdge(dividerIndex);
    double min = start;
    double max = end;
    if (m_delegate.constrainMinCoordinate)
        min = m_delegate.constrainMinCoordinate(m_splitView, proposed, dividerIndex);
    if (m_delegate.constrainMaxCoordinate)
        max = m_delegate.constrainMaxCoordinate(m_splitView, proposed, dividerIndex);

    // A pane collapses only when its divider is taken all the way to its far
    // edge; short of that it keeps its smallest size.
    if (proposed < min) {
        if (canCollapse(m_splitView->widget(dividerIndex), how) && proposed - start <= kCollapseReach)
            return int(start);
        proposed = min;
    }
    if (proposed > max) {
        if (canCollapse(m_splitView->widget(dividerIndex + 1), how) && end - proposed <= kCollapseReach)
            return int(end);
        proposed = max;
    }
    // Limits that cross (a split view too small for them) keep the smallest.
    return int(qBound(start, proposed, qMax(start, end)));
}

void SplitViewDelegation::move(double proposed, int dividerIndex, Move how)
{
    if (dividerIndex < 0 || dividerIndex + 1 >= m_splitView->count())
        return;
    const int position = constrainedPosition(proposed, dividerIndex, how);
    // Announced once, here: a move that changes nothing is not announced by
    // the splitter at all.
    m_moving = true;
    m_splitView->setPositionOfDividerAtIndex(position, dividerIndex);
    m_moving = false;
    didResizeSubviews();
}

void SplitViewDelegation::collapseForDoubleClick(int dividerIndex)
{
    if (dividerIndex < 0 || dividerIndex + 1 >= m_splitView->count())
        return;
    auto shouldCollapse = [this, dividerIndex](QWidget *subview) {
        return canCollapse(subview) && m_delegate.shouldCollapseSubviewForDoubleClickOnDividerAtIndex
            && m_delegate.shouldCollapseSubviewForDoubleClickOnDividerAtIndex(m_splitView, subview,
                                                                              dividerIndex);
    };
    int position;
    if (shouldCollapse(m_splitView->widget(dividerIndex)))
        position = leadingEdge(dividerIndex);
    else if (shouldCollapse(m_splitView->widget(dividerIndex + 1)))
        position = trailingEdge(dividerIndex);
    else
        return;
    m_moving = true;
    m_splitView->setPositionOfDividerAtIndex(position, dividerIndex);
    m_moving = false;
    didResizeSubviews();
}

void SplitViewDelegation::didResizeSubviews()
{
    if (m_delegate.splitViewDidResizeSubviews)
        m_delegate.splitViewDidResizeSubviews(m_splitView);
}

void SplitViewDelegation::didResizeSubviewsLater()
{
    // A resize of the window resizes many split views at once; each reports
    // once, after the layout has settled.
    if (m_resizeReported)
        return;
    m_resizeReported = true;
    QTimer::singleShot(0, this, [this] {
        m_resizeReported = false;
        didResizeSubviews();
    });
}

bool SplitViewDelegation::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_splitView) {
        if (event->type() == QEvent::ChildAdded) {
            QTimer::singleShot(0, this, [this] { watchHandles(); });
        } else if (event->type() == QEvent::Resize) {
            didResizeSubviewsLater();
        }
        return false;
    }

    auto *handle = qobject_cast<QSplitterHandle *>(watched);
    if (!handle)
        return false;
    const int dividerIndex = m_splitView->indexOf(handle) - 1;
    if (dividerIndex < 0)
        return false;
    auto pick = [this](const QPoint &point) { return m_splitView->isVertical() ? point.x() : point.y(); };

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        // The handle's widget may be wider than the divider it draws (a thin
        // divider is easier to grab with some room around it): measure the
        // grip from the divider's own position.
        m_dragged = handle;
        m_dragOffset = pick(m_splitView->mapFromGlobal(mouse->globalPosition().toPoint()))
            - m_splitView->positionOfDividerAtIndex(dividerIndex);
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_dragged != handle || !(mouse->buttons() & Qt::LeftButton))
            return false;
        const QPoint inSplitView = m_splitView->mapFromGlobal(mouse->globalPosition().toPoint());
        move(pick(inSplitView) - m_dragOffset, dividerIndex, Move::ByDrag);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_dragged != handle)
            return false;
        m_dragged = nullptr;
        return true;
    case QEvent::MouseButtonDblClick:
        collapseForDoubleClick(dividerIndex);
        return true;
    default:
        return false;
    }
}

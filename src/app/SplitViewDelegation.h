#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QSplitterHandle;
class QWidget;
class SplitView;

// The optional answers of a split view's delegate; an empty function is a
// question the delegate does not answer. Positions are those of a divider's
// leading edge, from the split view's left (side by side) or top (stacked).
struct SplitViewDelegate
{
    std::function<bool(SplitView *, QWidget *subview)> canCollapseSubview;
    // Whether a divider dragged to the far edge of a pane that may collapse
    // collapses it; unanswered, it does. A double click and the program's
    // moves collapse it all the same.
    std::function<bool(SplitView *, QWidget *subview)> collapsesSubviewOnDrag;
    std::function<bool(SplitView *, QWidget *subview, int dividerIndex)>
        shouldCollapseSubviewForDoubleClickOnDividerAtIndex;
    std::function<double(SplitView *, double proposed, int dividerIndex)> constrainMinCoordinate;
    std::function<double(SplitView *, double proposed, int dividerIndex)> constrainMaxCoordinate;
    std::function<void(SplitView *)> splitViewDidResizeSubviews;
};

// Gives a split view a delegate. A divider dragged by the user or moved by the
// program stays between the delegate's smallest and largest positions, except
// that a pane the delegate lets collapse collapses when its divider is taken
// to the pane's far edge; a double click on a divider collapses
// the pane next to it (the leading one when it may, else the trailing one);
// the delegate hears of every change of the panes' sizes. Owned by the split
// view.
class SplitViewDelegation : public QObject
{
    Q_OBJECT

public:
    static SplitViewDelegation *install(SplitView *splitView, SplitViewDelegate delegate);
    // The delegation of a split view, or null.
    static SplitViewDelegation *of(const SplitView *splitView);

    // Moves a divider the way a drag would, through the delegate's rules;
    // without a delegation the divider goes where it is told.
    static void setPositionOfDividerAtIndex(SplitView *splitView, double position, int dividerIndex);

    const SplitViewDelegate &delegate() const { return m_delegate; }
    // How a divider is moved: by the program, or by the user's drag.
    enum class Move { ByProgram, ByDrag };
    // Where a divider asked to go to `proposed` ends up.
    int constrainedPosition(double proposed, int dividerIndex, Move how = Move::ByProgram) const;
    // Collapses the pane next to a divider as a double click on it does.
    void collapseForDoubleClick(int dividerIndex);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SplitViewDelegation(SplitView *splitView, SplitViewDelegate delegate);

    void watchHandles();
    void move(double proposed, int dividerIndex, Move how = Move::ByProgram);
    bool canCollapse(QWidget *subview, Move how = Move::ByProgram) const;
    // The first and last position a divider can take: the leading pane
    // collapsed, the trailing pane collapsed.
    int leadingEdge(int dividerIndex) const;
    int trailingEdge(int dividerIndex) const;
    void didResizeSubviews();
    void didResizeSubviewsLater();

    SplitView *m_splitView; // Not owned: the split view owns this.
    SplitViewDelegate m_delegate;
    QPointer<QSplitterHandle> m_dragged;
    int m_dragOffset = 0;
    bool m_resizeReported = false;
    bool m_moving = false;
};

#include "SplitView.h"

#include <QPainter>
#include <QPaintEvent>
#include <QSplitterHandle>
#include <QStyle>
#include <QStyleOption>

namespace {

// A divider drawn by its split view.
class Divider : public QSplitterHandle
{
public:
    Divider(Qt::Orientation orientation, SplitView *parent)
        : QSplitterHandle(orientation, parent)
        , m_splitView(parent)
    {
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        m_splitView->drawDividerInRect(painter, rect());
        Q_UNUSED(event);
    }

private:
    SplitView *m_splitView;
};

} // namespace

SplitView::SplitView(Qt::Orientation orientation, QWidget *parent)
    : QSplitter(orientation, parent)
{
    setChildrenCollapsible(true);
}

SplitView::~SplitView() = default;

double SplitView::dividerThickness() const
{
    return handleWidth();
}

void SplitView::drawDividerInRect(QPainter &painter, const QRect &rect)
{
    QStyleOption option;
    option.initFrom(this);
    option.rect = rect;
    option.state = QStyle::State_Enabled;
    if (orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
}

void SplitView::updateDividerThickness()
{
    setHandleWidth(qMax(0, qRound(dividerThickness())));
}

void SplitView::setPositionOfDividerAtIndex(int position, int dividerIndex)
{
    if (dividerIndex < 0 || dividerIndex + 1 >= count())
        return;
    moveSplitter(position, dividerIndex + 1);
}

int SplitView::positionOfDividerAtIndex(int dividerIndex) const
{
    const QList<int> sizes = this->sizes();
    if (dividerIndex < 0 || dividerIndex + 1 >= sizes.size())
        return -1;
    int position = 0;
    for (int i = 0; i <= dividerIndex; ++i)
        position += sizes[i] + (i > 0 ? handleWidth() : 0);
    return position;
}

bool SplitView::isSubviewCollapsed(QWidget *subview) const
{
    const int index = indexOf(subview);
    return index >= 0 && sizes().value(index) == 0;
}

QSplitterHandle *SplitView::createHandle()
{
    return new Divider(orientation(), this);
}

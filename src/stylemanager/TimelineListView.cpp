#include "TimelineListView.h"

#include "TimelineHeaderCell.h"

#include <QKeyEvent>

TimelineListView::TimelineListView(QWidget *parent)
    : OutlineView(parent)
    , m_headerCell(new TimelineHeaderCell(this))
{
    setHeader(m_headerCell);
    m_headerCell->setStretchLastSection(true);
    m_headerCell->setSectionsMovable(false);
    setHeaderVisible(true);
    setRootIsDecorated(false);
    setIndentation(0);
}

TimelineListView::~TimelineListView()
{
    // Going, the list tells its delegate nothing more, nor does its ruler.
    setDelegate({});
    deleteKeyframe = {};
    m_headerCell->blockSignals(true);
}

void TimelineListView::setCapoPosition(double position)
{
    m_capoPosition = position;
    viewport()->update();
}

void TimelineListView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && !event->modifiers()) {
        if (deleteKeyframe)
            deleteKeyframe();
        event->accept();
        return;
    }
    OutlineView::keyPressEvent(event);
}

#include "StyleInspectorPanes.h"

#include "platform/kit/SplitView.h"

StyleInspectorPanes::StyleInspectorPanes(SplitView *styleSplitView, QObject *parent)
    : QObject(parent)
    , m_styleSplitView(styleSplitView)
{
}

void StyleInspectorPanes::showStyleSheetsManager()
{
    if (m_styleSplitView)
        m_styleSplitView->setPositionOfDividerAtIndex(m_styleSplitView->height() / 2, 0);
}

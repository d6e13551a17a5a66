#include "RightPaneControlView.h"

#include "platform/kit/SegmentedControl.h"

#include <QStackedWidget>

RightPaneControlView::RightPaneControlView(QWidget *parent)
    : QWidget(parent)
{
}

RightPaneControlView::~RightPaneControlView() = default;

void RightPaneControlView::setSegmentedControl(SegmentedControl *control)
{
    if (m_segmentedControl)
        disconnect(m_segmentedControl, nullptr, this, nullptr);
    m_segmentedControl = control;
    if (control)
        connect(control, &SegmentedControl::activated, this, [this, control] { changeTab(control); });
}

void RightPaneControlView::changeTab(SegmentedControl *sender)
{
    if (!sender)
        return;
    const int chosen = sender->selectedSegment();
    for (int i = 0; i < sender->segmentCount(); ++i)
        sender->setSelected(i == chosen, i);
    if (m_tabView && chosen >= 0 && chosen < m_tabView->count())
        m_tabView->setCurrentIndex(chosen);
}

#include "RBLScrollView.h"

#include "RBLClipView.h"

RBLScrollView::RBLScrollView(QWidget *parent)
    : QScrollArea(parent)
{
    swapClipView();
}

RBLScrollView::~RBLScrollView() = default;

RBLClipView *RBLScrollView::clipView() const
{
    return qobject_cast<RBLClipView *>(viewport());
}

void RBLScrollView::swapClipView()
{
    QWidget *document = takeWidget();
    setViewport(new RBLClipView);
    if (document)
        setWidget(document);
}

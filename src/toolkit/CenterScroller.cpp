#include "CenterScroller.h"

CenterScroller::CenterScroller(QWidget *parent)
    : QScrollArea(parent)
{
}

CenterScroller::~CenterScroller() = default;

void CenterScroller::adjustScrollInset()
{
    if (QWidget *document = widget())
        document->move(10, 10);
}

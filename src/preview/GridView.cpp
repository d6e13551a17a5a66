#include "GridView.h"

GridView::GridView(QWidget *parent) : PatternView(QStringLiteral("grid.pdf"), ThenDraw::Inherited, parent)
{
    setObjectName(QStringLiteral("gridView"));
}

GridView::~GridView() = default;

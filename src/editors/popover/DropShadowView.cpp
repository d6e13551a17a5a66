#include "DropShadowView.h"

DropShadowView::DropShadowView(QWidget *parent) : ShadowListView(QStringLiteral("dropShadow"), true, parent)
{
}

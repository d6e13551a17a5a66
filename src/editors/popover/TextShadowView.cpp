#include "TextShadowView.h"

TextShadowView::TextShadowView(QWidget *parent) : ShadowListView(QStringLiteral("textShadow"), false, parent)
{
}

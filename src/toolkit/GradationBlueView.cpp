#include "GradationBlueView.h"

GradationBlueView::GradationBlueView(QWidget *parent)
    : PatternView(QStringLiteral("bg"), ThenDraw::Inherited, parent)
{
}

GradationBlueView::~GradationBlueView() = default;

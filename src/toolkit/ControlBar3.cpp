#include "ControlBar3.h"

ControlBar3::ControlBar3(QWidget *parent)
    : PatternView(QStringLiteral("ControllerHeaderBlack.pdf"), ThenDraw::Nothing, parent)
{
    setFixedHeight(26);
}

ControlBar3::~ControlBar3() = default;

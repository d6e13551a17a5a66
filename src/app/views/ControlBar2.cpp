#include "ControlBar2.h"

ControlBar2::ControlBar2(QWidget *parent)
    : ControlBar(QStringLiteral("ControllerHeader.pdf"), parent)
{
}

ControlBar2::~ControlBar2() = default;

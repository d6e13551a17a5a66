#include "ControlBar.h"

ControlBar::ControlBar(QWidget *parent)
    : ControlBar(QStringLiteral("object.png"), parent)
{
}

ControlBar::ControlBar(const QString &imageName, QWidget *parent)
    : PatternView(imageName, ThenDraw::Nothing, parent)
{
    setFixedHeight(22);
}

ControlBar::~ControlBar() = default;

#include "ImageButton.h"

ImageButton::ImageButton(QWidget *parent)
    : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
}

ImageButton::~ImageButton() = default;

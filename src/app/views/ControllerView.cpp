#include "ControllerView.h"

ControllerView::ControllerView(QWidget *parent)
    : FilledView(QColor(208, 216, 225), parent)
{
}

ControllerView::~ControllerView() = default;

#include "ContainerGray.h"

ContainerGray::ContainerGray(QWidget *parent)
    : FilledView(QColor(222, 222, 222), parent)
{
}

ContainerGray::~ContainerGray() = default;

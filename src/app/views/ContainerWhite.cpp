#include "ContainerWhite.h"

ContainerWhite::ContainerWhite(QWidget *parent)
    : FilledView(QColor(Qt::white), parent)
{
}

ContainerWhite::~ContainerWhite() = default;

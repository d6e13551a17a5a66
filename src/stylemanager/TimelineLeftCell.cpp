#include "TimelineLeftCell.h"

#include "platform/kit/OutlineView.h"

TimelineLeftCell::TimelineLeftCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

TimelineLeftCell::~TimelineLeftCell() = default;

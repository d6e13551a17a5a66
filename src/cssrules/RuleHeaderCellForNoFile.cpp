#include "RuleHeaderCellForNoFile.h"

#include "platform/kit/DesktopColors.h"
#include "platform/kit/TableViewBase.h"

#include <QPainter>

RuleHeaderCellForNoFile::RuleHeaderCellForNoFile() : RuleHeaderCell(GroupTest()) {}

RuleHeaderCellForNoFile::~RuleHeaderCellForNoFile() = default;

void RuleHeaderCellForNoFile::drawBackgroundInRect(QPainter &painter, const QRect &dirtyRect)
{
    const QPalette palette = tableView() ? tableView()->palette() : QPalette();
    painter.fillRect(dirtyRect.intersected(bounds()), DesktopColors::adapted(QColor(246, 247, 249), palette));
    RuleHeaderCell::drawBackgroundInRect(painter, QRect());
}

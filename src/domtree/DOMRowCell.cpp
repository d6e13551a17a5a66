#include "DOMRowCell.h"

#include "DOMAttrString.h"
#include "DOMNodeEx.h"
#include "DomCommentRowFormatter.h"
#include "DomTreeDelegate.h"
#include "DomTreeOutlineView.h"

#include "platform/kit/OutlineView.h"

#include <QPainter>
#include <QTextLayout>

DOMRowCell::DOMRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_domTreeDelegate(domTreeDelegate)
{
}

DOMRowCell::~DOMRowCell() = default;

QString DOMRowCell::textOf(const DOMNodeEx &row)
{
    if (row.node() && row.node()->isComment())
        return DomCommentRowFormatter::stringForObjectValue(row.displayName());
    return row.displayName();
}

QString DOMRowCell::ignoreToolTip()
{
    return QStringLiteral("[Mark as the ignore element] Application will not save this element when you save.");
}

void DOMRowCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    auto *row = static_cast<DOMNodeEx *>(OutlineView::itemForIndex(index));
    if (!row)
        return;
    const DOMRowMetrics &metrics = m_domTreeDelegate->rowMetrics();
    QRect rect = option.rect.adjusted(2, 0, -2, 0);
    // A closing tag lines up under its opening tag.
    rect.translate(-DomTreeOutlineView::cellShiftOfItem(row, int(metrics.indentation)), 0);
    const bool selected = option.state & QStyle::State_Selected;
    QPalette palette = option.palette;
    palette.setCurrentColorGroup(option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive);
    const std::shared_ptr<const DOMAttrString> coloured = setTagColor(*row, selected, palette);

    // Lines as the row's height counts them: the text wraps anywhere, and
    // each line takes the tree's line height, its text centred in it.
    QString text = coloured->text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, metrics.font, painter->device());
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAnywhere);
    layout.setTextOption(wrap);
    layout.setFormats(coloured->formats);
    const double line = metrics.lineHeight;
    double y = 0;
    layout.beginLayout();
    for (QTextLine each = layout.createLine(); each.isValid(); each = layout.createLine()) {
        each.setLineWidth(rect.width());
        each.setPosition(QPointF(0, y + (line - each.height()) / 2));
        y += line;
    }
    layout.endLayout();
    // A row of one line is centred in its cell.
    const double top = y < rect.height() ? rect.top() + (rect.height() - y) / 2 : rect.top();
    painter->save();
    painter->setClipRect(option.rect.united(rect.adjusted(-2, 0, 2, 0)));
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(rect.left(), top));
    painter->restore();
}

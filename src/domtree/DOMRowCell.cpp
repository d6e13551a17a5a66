#include "DOMRowCell.h"

#include "DOMNodeEx.h"
#include "DomTreeDelegate.h"

#include "platform/kit/OutlineView.h"

#include <QPainter>
#include <QTextOption>

DOMRowCell::DOMRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_domTreeDelegate(domTreeDelegate)
{
}

DOMRowCell::~DOMRowCell() = default;

QString DOMRowCell::textOf(const DOMNodeEx &row)
{
    if (row.node() && row.node()->isComment())
        return QStringLiteral("<!--%1-->").arg(row.displayName());
    return row.displayName();
}

void DOMRowCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *row = static_cast<const DOMNodeEx *>(OutlineView::itemForIndex(index));
    if (!row)
        return;
    const DOMRowMetrics &metrics = m_domTreeDelegate->rowMetrics();
    QRect rect = option.rect.adjusted(2, 0, -2, 0);
    // A closing tag lines up under its opening tag.
    if (row->isCloseNode())
        rect.adjust(-int(metrics.indentation), 0, 0, 0);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    QColor color = palette.color(QPalette::Text);
    if (selected)
        color = palette.color(option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive,
                              QPalette::HighlightedText);
    else if (row->ignore() || row->isInReference())
        color = palette.color(QPalette::Disabled, QPalette::Text);
    QFont font = metrics.font;
    font.setStrikeOut(selected && row->ignore());
    painter->save();
    painter->setFont(font);
    painter->setPen(color);
    QTextOption wrap(Qt::AlignLeft | Qt::AlignVCenter);
    wrap.setWrapMode(QTextOption::WrapAnywhere);
    // A row of one line is centred; a taller one starts at its top.
    const double line = metrics.lineHeight;
    QRectF textRect = rect;
    if (rect.height() > line + 1) {
        wrap.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        textRect.adjust(0, (line - QFontMetricsF(font).height()) / 2, 0, 0);
    }
    painter->drawText(textRect, textOf(*row), wrap);
    painter->restore();
}

#include "DOMRowCell.h"

#include "DOMAttrString.h"
#include "DOMNodeEx.h"
#include "DomCommentRowFormatter.h"
#include "DomTreeDelegate.h"
#include "DomTreeOutlineView.h"

#include "platform/kit/OutlineView.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
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

void DOMRowCell::setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const
{
}

void DOMRowCell::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    if (const auto *row = static_cast<const DOMNodeEx *>(OutlineView::itemForIndex(index)))
        editor->setGeometry(textRect(*row, option, m_domTreeDelegate->rowMetrics().indentation));
}

QWidget *DOMRowCell::openEditorIn(const QWidget *view, const QString &objectName)
{
    const QList<QWidget *> editors = view ? view->findChildren<QWidget *>(objectName) : QList<QWidget *>();
    for (QWidget *editor : editors) {
        if (!editor->isHidden())
            return editor;
    }
    return nullptr;
}

std::function<void()> DOMRowCell::closerOf(QWidget *editor) const
{
    auto *self = const_cast<DOMRowCell *>(this);
    return [self, guard = QPointer<QWidget>(editor)] {
        // Closing moves the focus, which would end the edit a second time.
        if (!guard || guard->property("closing").toBool())
            return;
        guard->setProperty("closing", true);
        Q_EMIT self->closeEditor(guard, QAbstractItemDelegate::NoHint);
    };
}

QRect DOMRowCell::textRect(const DOMNodeEx &row, const QStyleOptionViewItem &option, double indentation)
{
    QRect rect = option.rect.adjusted(2, 0, -2, 0);
    // A closing tag lines up under its opening tag.
    rect.translate(-DomTreeOutlineView::cellShiftOfItem(&row, int(indentation)), 0);
    return rect;
}

QString DOMRowCell::cutShort(const QString &text, const QFontMetricsF &metrics, double width,
                             QList<QTextLayout::FormatRange> &formats)
{
    // The first line, ended with an ellipsis where it or the text goes on.
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    const QString line = end < 0 ? text : text.left(end);
    QString shown = metrics.elidedText(line, Qt::ElideRight, std::max(0.0, width));
    if (end >= 0 && shown == line)
        shown += QChar(0x2026);
    const qsizetype kept = shown == line ? line.size() : shown.size() - 1;
    QList<QTextLayout::FormatRange> cut;
    for (QTextLayout::FormatRange range : formats) {
        if (range.start >= kept)
            continue;
        range.length = int(std::min<qsizetype>(range.length, kept - range.start));
        cut.append(range);
    }
    formats = cut;
    return shown;
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
    const QRect rect = textRect(*row, option, metrics.indentation);
    const bool selected = option.state & QStyle::State_Selected;
    QPalette palette = option.palette;
    palette.setCurrentColorGroup(option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive);
    const std::shared_ptr<const DOMAttrString> coloured = setTagColor(*row, selected, palette);

    // Lines as the row's height counts them: the text wraps anywhere, and
    // each line takes the tree's line height, its text centred in it. A row
    // too narrow to wrap in is one line, cut short.
    QString text = coloured->text;
    QList<QTextLayout::FormatRange> formats = coloured->formats;
    QTextOption wrap;
    if (rect.width() < metrics.leastWrapWidth()) {
        text = cutShort(text, QFontMetricsF(metrics.font, painter->device()), rect.width(), formats);
        wrap.setWrapMode(QTextOption::NoWrap);
    } else {
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        wrap.setWrapMode(QTextOption::WrapAnywhere);
    }
    QTextLayout layout(text, metrics.font, painter->device());
    layout.setTextOption(wrap);
    layout.setFormats(formats);
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

#include "DOMRowCell.h"

#include "DOMAttrString.h"
#include "DOMNodeEx.h"
#include "DomCommentRowFormatter.h"
#include "DomTreeDelegate.h"
#include "DomTreeOutlineView.h"

#include "platform/kit/OutlineView.h"

#include <QFontMetricsF>
#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QPointer>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>

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

QString DOMRowCell::oneLine(const QString &text, QList<QTextLayout::FormatRange> &formats)
{
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    // Each run of white space that holds a line break becomes one space,
    // none at the start; the colours follow their characters.
    QString line;
    line.reserve(text.size());
    QList<qsizetype> at(text.size() + 1);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        bool breaks = false;
        while (end < text.size() && text.at(end).isSpace()) {
            breaks = breaks || text.at(end) == QLatin1Char('\n') || text.at(end) == QLatin1Char('\r');
            ++end;
        }
        if (end > i && breaks) {
            for (qsizetype k = i; k < end; ++k)
                at[k] = line.size();
            if (!line.isEmpty())
                line += QLatin1Char(' ');
            i = end;
            continue;
        }
        // A run of white space on one line is kept as it stands.
        for (end = std::max(end, i + 1); i < end; ++i) {
            at[i] = line.size();
            line += text.at(i);
        }
    }
    at[text.size()] = line.size();
    QList<QTextLayout::FormatRange> moved;
    for (QTextLayout::FormatRange range : formats) {
        const qsizetype start = at.value(std::clamp<qsizetype>(range.start, 0, text.size()));
        const qsizetype end = at.value(std::clamp<qsizetype>(qsizetype(range.start) + range.length, 0, text.size()));
        if (end <= start)
            continue;
        range.start = int(start);
        range.length = int(end - start);
        moved.append(range);
    }
    formats = moved;
    return line;
}

QString DOMRowCell::cutShort(const QString &text, const QFontMetricsF &metrics, double width,
                             QList<QTextLayout::FormatRange> &formats)
{
    const QString line = oneLine(text, formats);
    const QString shown = metrics.elidedText(line, Qt::ElideRight, std::max(0.0, width));
    if (shown == line)
        return line;
    // What is kept of the line, before the ellipsis.
    const qsizetype kept = std::max<qsizetype>(0, shown.size() - 1);
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

QString DOMRowCell::shownText(const DOMNodeEx &row, const QFontMetricsF &metrics, double width)
{
    QList<QTextLayout::FormatRange> none;
    return cutShort(textOf(row), metrics, width, none);
}

QString DOMRowCell::toolTipOf(const DOMNodeEx &row, const QFontMetricsF &metrics, double width)
{
    // The whole row where it is cut short or folded into one line.
    const QString text = textOf(row);
    const QString whole = shownText(row, metrics, width) == text ? QString() : text;
    if (!row.ignore())
        return whole;
    return whole.isEmpty() ? ignoreToolTip() : whole + QStringLiteral("\n\n") + ignoreToolTip();
}

QString DOMRowCell::ignoreToolTip()
{
    return QStringLiteral("[Mark as the ignore element] Application will not save this element when you save.");
}

bool DOMRowCell::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                           const QModelIndex &index)
{
    const auto *row = static_cast<const DOMNodeEx *>(OutlineView::itemForIndex(index));
    if (!row || !event || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const DOMRowMetrics &metrics = m_domTreeDelegate->rowMetrics();
    const QString tip = toolTipOf(*row, QFontMetricsF(metrics.font, view ? view->viewport() : nullptr),
                                  textRect(*row, option, metrics.indentation).width());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), tip, view ? view->viewport() : nullptr, option.rect);
    return true;
}

QString DOMRowCell::shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *row = static_cast<const DOMNodeEx *>(OutlineView::itemForIndex(index));
    if (!row)
        return {};
    const DOMRowMetrics &metrics = m_domTreeDelegate->rowMetrics();
    return shownText(*row, QFontMetricsF(metrics.font), textRect(*row, option, metrics.indentation).width());
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

    // One line, its text centred in the row, cut short with an ellipsis
    // where the row is narrower than its text (#88).
    QList<QTextLayout::FormatRange> formats = coloured->formats;
    const QString text = cutShort(coloured->text, QFontMetricsF(metrics.font, painter->device()), rect.width(), formats);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::NoWrap);
    QTextLayout layout(text, metrics.font, painter->device());
    layout.setTextOption(wrap);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    double height = 0;
    if (line.isValid()) {
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, 0));
        height = line.height();
    }
    layout.endLayout();
    const double top = rect.top() + (rect.height() - height) / 2;
    painter->save();
    painter->setClipRect(option.rect.united(rect.adjusted(-2, 0, 2, 0)));
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(rect.left(), top));
    painter->restore();
}

#include "NameDetailCell.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QToolTip>

#include <cmath>

namespace {

// The blank between the name and the detail.
const QString s_gap = QStringLiteral("  ");

const QWidget *widgetOf(const QStyleOptionViewItem &option)
{
    return option.widget;
}

} // namespace

// The name cut to the width.
static QString cutNameToWidth(const QString &name, const QFontMetricsF &metrics, double width, NameDetailCell::NameCut nameCut)
{
    if (metrics.horizontalAdvance(name) <= width)
        return name;
    if (nameCut == NameDetailCell::NameCut::ExtensionFirst) {
        static const QRegularExpression s_extension(QStringLiteral("(\\.min)?\\.[^.]+$"));
        const QString stem = QString(name).remove(s_extension) + QChar(0x2026);
        if (stem.size() > 1 && stem.size() < name.size() && metrics.horizontalAdvance(stem) <= width)
            return stem;
    }
    return metrics.elidedText(name, Qt::ElideRight, width);
}

NameDetailCell::NameDetailCell(NameCut nameCut, Qt::TextElideMode detailElision, QObject *parent)
    : QStyledItemDelegate(parent), m_nameCut(nameCut), m_detailElision(detailElision)
{
}

NameDetailCell::~NameDetailCell() = default;

NameDetailCell::Shown NameDetailCell::fit(const QString &name, const QString &detail, const QFontMetricsF &metrics,
                                          double width, NameCut nameCut, Qt::TextElideMode detailElision)
{
    const double nameWidth = metrics.horizontalAdvance(name);
    if (detail.isEmpty() || nameWidth + metrics.horizontalAdvance(s_gap + detail) <= width)
        return {cutNameToWidth(name, metrics, width, nameCut), detail.isEmpty() ? QString() : detail};
    // The detail gives way first: cut short while more than its ellipsis
    // is left of it, else left out.
    const double left = width - nameWidth - metrics.horizontalAdvance(s_gap);
    const QString cut = left > 0 ? metrics.elidedText(detail, detailElision, left) : QString();
    if (cut.size() > 1)
        return {name, cut};
    return {cutNameToWidth(name, metrics, width, nameCut), QString()};
}

QRect NameDetailCell::textRect(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget *widget = widgetOf(option);
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(margin, 0, -margin, 0);
}

NameDetailCell::Shown NameDetailCell::shownIn(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return fit(index.data(Qt::DisplayRole).toString(), index.data(DetailRole).toString(), QFontMetricsF(option.font),
               textRect(option, index).width(), m_nameCut, m_detailElision);
}

QString NameDetailCell::shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const Shown shown = shownIn(option, index);
    return shown.detail.isEmpty() ? shown.name : shown.name + s_gap + shown.detail;
}

void NameDetailCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The desktop draws the row's background and icon; the texts are ours.
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text.clear();
    const QWidget *widget = widgetOf(option);
    const QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const QRect rect = textRect(option, index);
    const Shown shown = shownIn(option, index);
    const bool selected = option.state & QStyle::State_Selected;
    QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(option.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QColor text = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    QColor pale = text;
    pale.setAlphaF(0.55f);
    painter->save();
    painter->setFont(option.font);
    painter->setClipRect(rect);
    painter->setPen(text);
    const QFontMetricsF metrics(option.font);
    painter->drawText(rect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown.name);
    if (!shown.detail.isEmpty()) {
        const QRect detail = rect.adjusted(int(std::ceil(metrics.horizontalAdvance(shown.name + s_gap))), 0, 0, 0);
        painter->setPen(pale);
        painter->drawText(detail, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown.detail);
    }
    painter->restore();
}

bool NameDetailCell::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                               const QModelIndex &index)
{
    if (!event || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString own = index.data(Qt::ToolTipRole).toString();
    const QString name = index.data(Qt::DisplayRole).toString();
    const QString detail = index.data(DetailRole).toString();
    const QString whole = detail.isEmpty() ? name : name + s_gap + detail;
    const QString tip = !own.isEmpty() ? own : shownText(option, index) == whole ? QString() : whole;
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), tip, view ? view->viewport() : nullptr, option.rect);
    return true;
}

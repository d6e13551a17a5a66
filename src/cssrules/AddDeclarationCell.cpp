#include "AddDeclarationCell.h"

#include "CSSSnippetDataSource.h"

#include "platform/kit/DesktopColors.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

const int kNameRowHeight = 20;

QFont combinationFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(font.pointSizeF() * 0.85);
    return font;
}

} // namespace

AddDeclarationCell::AddDeclarationCell(Declared declared, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_declared(std::move(declared))
{
}

QString AddDeclarationCell::combinationText(const QVariantMap &snippet)
{
    QStringList parts;
    for (const CSSPropertyPtr &property : CSSSnippetDataSource::propertiesFromSnippet(snippet))
        parts.append(property->property() + u':' + property->value());
    return parts.join(u',');
}

QColor AddDeclarationCell::declaredColor(const QPalette &palette)
{
    return DesktopColors::isDark(palette) ? QColor(255, 120, 110) : QColor(200, 30, 30);
}

QColor AddDeclarationCell::selectionColor(const QPalette &palette)
{
    QColor color = palette.color(QPalette::Active, QPalette::Highlight);
    color.setAlphaF(0.5f);
    return color;
}

void AddDeclarationCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) {
        painter->save();
        painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter->fillRect(option.rect, selectionColor(option.palette));
        painter->restore();
    }
    // The style draws no selection of its own over the tint.
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_Selected;
    const QVariant item = index.data(Qt::UserRole);
    if (item.typeId() != QMetaType::QVariantMap) {
        QStyleOptionViewItem named(plain);
        initStyleOption(&named, index);
        if (m_declared && m_declared(item.toString()))
            named.palette.setColor(QPalette::Text, declaredColor(option.palette));
        QStyledItemDelegate::paint(painter, named, index);
        return;
    }
    // A snippet: its title, and its declarations under it.
    QStyleOptionViewItem titled(plain);
    initStyleOption(&titled, index);
    titled.text.clear();
    QStyledItemDelegate::paint(painter, titled, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Text));
    const QRect area = option.rect.adjusted(6, 2, -6, -2);
    painter->drawText(area.adjusted(0, 0, 0, -(area.height() - option.fontMetrics.height())), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    painter->setFont(combinationFont());
    painter->setPen(option.palette.color(QPalette::PlaceholderText));
    painter->drawText(area.adjusted(0, option.fontMetrics.height() + 2, 0, 0), Qt::TextWrapAnywhere,
                      combinationText(item.toMap()));
    painter->restore();
}

QSize AddDeclarationCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QVariant item = index.data(Qt::UserRole);
    if (item.typeId() != QMetaType::QVariantMap)
        return {option.rect.width(), kNameRowHeight};
    // The declarations wrap at the list's width.
    const int width = std::max(40, option.rect.width() - 12);
    const QFontMetrics metrics(combinationFont());
    const QRect wrapped = metrics.boundingRect(QRect(0, 0, width, 10000), Qt::TextWrapAnywhere, combinationText(item.toMap()));
    return {option.rect.width(), option.fontMetrics.height() + wrapped.height() + 8};
}

bool AddDeclarationCell::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                   const QModelIndex &index)
{
    const QVariant item = index.data(Qt::UserRole);
    if (event->type() == QEvent::ToolTip && item.typeId() != QMetaType::QVariantMap && m_declared
        && m_declared(item.toString())) {
        QToolTip::showText(event->globalPos(), item.toString() + QStringLiteral(" has been already inserted."), view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

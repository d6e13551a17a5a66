#include "RBLShadowedTextFieldCell.h"

#include <QApplication>
#include <QPainter>

RBLShadowedTextFieldCell::RBLShadowedTextFieldCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

RBLShadowedTextFieldCell::~RBLShadowedTextFieldCell() = default;

void RBLShadowedTextFieldCell::setShadow(const std::optional<Shadow> &shadow, quint32 backgroundStyle)
{
    if (shadow)
        m_backgroundStylesToShadows.insert(backgroundStyle, *shadow);
    else
        m_backgroundStylesToShadows.remove(backgroundStyle);
}

std::optional<Shadow> RBLShadowedTextFieldCell::shadowForBackgroundStyle(quint32 backgroundStyle) const
{
    if (auto it = m_backgroundStylesToShadows.constFind(backgroundStyle); it != m_backgroundStylesToShadows.cend())
        return *it;
    if (auto it = m_backgroundStylesToShadows.constFind(s_anyStyle); it != m_backgroundStylesToShadows.cend())
        return *it;
    return std::nullopt;
}

void RBLShadowedTextFieldCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const quint32 style = (item.state & QStyle::State_Selected) ? Dark : Light;
    if (const std::optional<Shadow> shadow = shadowForBackgroundStyle(style); shadow && !item.text.isEmpty()) {
        const QWidget *widget = item.widget;
        QStyle *qstyle = widget ? widget->style() : QApplication::style();
        const QRect textRect = qstyle->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        painter->save();
        painter->setFont(item.font);
        const QString text = item.fontMetrics.elidedText(item.text, item.textElideMode, textRect.width() - 4);
        shadow->drawTextShadow(*painter, QRectF(textRect.adjusted(2, 0, -2, 0)),
                               int(item.displayAlignment), text);
        painter->restore();
    }
    QStyledItemDelegate::paint(painter, option, index);
}

#include "ReferenceItemCell.h"

#include "CodeView.h"
#include "MarkUpElement.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kButtonSize = 16;

QIcon jumpIcon(const QStyle *style)
{
    return QIcon::fromTheme(QStringLiteral("go-jump"), style->standardIcon(QStyle::SP_ArrowRight));
}

} // namespace

ReferenceItemCell::ReferenceItemCell(std::function<const MarkUpElement *(const QModelIndex &)> elementAt,
                                     QObject *parent)
    : QStyledItemDelegate(parent)
    , m_elementAt(std::move(elementAt))
{
}

QRect ReferenceItemCell::jumpButtonRect(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const MarkUpElement *element = m_elementAt(index);
    if (!element || element->fileName().isEmpty())
        return {};
    const QRect row = option.rect;
    return QRect(row.right() - kButtonSize - 2, row.top() + (row.height() - kButtonSize) / 2, kButtonSize, kButtonSize);
}

void ReferenceItemCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = opt.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QColor textColor = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const QRect button = jumpButtonRect(option, index);
    QRect textRect = opt.rect.adjusted(4, 0, -4, 0);

    painter->save();
    painter->setFont(CodeView::menloFont(11.0));
    const MarkUpElement *element = m_elementAt(index);
    if (element && !element->fileName().isEmpty()) {
        // The sheet's name stands between the text and the button, dimmed.
        textRect.setRight(button.left() - 4);
        QColor dim = textColor;
        dim.setAlphaF(selected ? 0.85f : 0.55f);
        painter->setPen(dim);
        painter->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, element->fileName());
        jumpIcon(style).paint(painter, button, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
    }
    painter->setPen(textColor);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, opt.rect.width() - 8));
    painter->restore();
}

QSize ReferenceItemCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kRowHeight);
    return size;
}

bool ReferenceItemCell::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                    const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QRect button = jumpButtonRect(option, index);
        const MarkUpElement *element = m_elementAt(index);
        if (element && button.contains(mouse->position().toPoint()) && m_jumpAction) {
            m_jumpAction(JumpButton(element->file(), index.row()));
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

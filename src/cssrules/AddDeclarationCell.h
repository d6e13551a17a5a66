#pragma once

#include "CSSRule.h"

#include <QStyledItemDelegate>

#include <functional>

// The rows of the add-declaration list: a property name, drawn in red with
// a tool tip when the target rule has it already, or a snippet's title with
// its declarations under it. A selected row is tinted, not inverted.
class AddDeclarationCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Whether the target rule already declares the name.
    using Declared = std::function<bool(const QString &name)>;

    explicit AddDeclarationCell(Declared declared, QObject *parent = nullptr);

    // The declarations of a snippet, one text joined with ",".
    static QString combinationText(const QVariantMap &snippet);
    // The red of a name the rule has, readable on the palette.
    static QColor declaredColor(const QPalette &palette);
    // A selected row's fill: the selection colour at half opacity, over
    // which the row's texts keep their own colours.
    static QColor selectionColor(const QPalette &palette);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    Declared m_declared;
};

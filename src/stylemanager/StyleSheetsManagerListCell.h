#pragma once

#include "StyleSheetsManagerDelegate.h"

#include <QColor>
#include <QStyledItemDelegate>

// The cell of the style-sheet manager's rows: a style sheet with its icon and
// rule count, or a rule with its kind's image, its selector in its kind's
// colour, the number of elements it matches and, for a lone class, the patching
// button that drags the class onto an element. The cell works its colours out
// at each drawing.
class StyleSheetsManagerListCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // How a row is drawn.
    struct Look
    {
        QColor text;
        QString count;
        // The patching button is shown (a lone class) and, when shown,
        // whether the rule matches anything.
        bool patchingShown = false;
        bool showButton = false;
    };

    explicit StyleSheetsManagerListCell(StyleSheetsManagerDelegate *styleSheetDelegate);

    Look lookOf(const StyleSheetsManagerDelegate::Row &row, bool selected, const QPalette &palette) const;
    // Where the patching button sits in a cell.
    static QRect patchingButtonRect(const QRect &cell);
    // Whether the selector comes down to one class the patching button can give.
    static bool isLoneClass(const QString &selector);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    StyleSheetsManagerDelegate *m_styleSheetDelegate; // Not owned: it owns the list.
};

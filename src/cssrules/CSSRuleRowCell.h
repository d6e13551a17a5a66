#pragma once

#include "CSSRule.h"

#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>

class CSSOutlineDelegate;

// The cell of the rules outline, one per cell identifier ("RuleCell",
// "DecralationCell", "ShortHandCell", "KeyframeCell",
// "KeyframeDecrarationCell"): a rule's selector with its file and line, or a
// declaration's enable check box, name, colon and value, coloured by the
// row's kind and dimmed when the cascade overrides it. The value is typed in
// a CSSTextVauleInput, which opens on the selected row only.
class CSSRuleRowCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // The texts and colours of a row as the cell draws it.
    struct Look
    {
        QColor name;
        QColor value;
        QColor colon;
        QColor selector;
        QColor fileName;
        bool checkBoxShown = false;
        bool checked = true;
        bool valueEditable = false;
        bool dimmed = false;
    };

    CSSRuleRowCell(CSSOutlineDelegate *panel, QObject *parent = nullptr);
    ~CSSRuleRowCell() override;

    static QStringList identifiers();
    // The identifier of the cell of a row.
    static QString identifierOf(const CSSRule &row);
    // The font of the cells: the desktop's fixed-width font, small.
    static QFont cellFont();

    // How the row is drawn, selected or not, on the palette.
    Look lookOf(CSSRule &row, bool selected, const QPalette &palette) const;
    // Where the value begins in a cell of that width, and where the check box is.
    static int valueOffset(const CSSRule &row);
    static QRect checkBoxRect(const QRect &cell);

    // The check box: the row's switch and its property's enabled flag follow it.
    void checBoxChange(CSSRule &row, bool on);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    // The field commits through the panel, not through the model.
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // The style-editor badge: shown on a selected declaration that has a
    // popover editor; a click opens the editor.
    bool hasBadge(const CSSRule &row, bool selected) const;
    void showStyleEditorPopover();

private:
    CSSOutlineDelegate *m_panel; // Not owned: the panel outlives its outline.
};

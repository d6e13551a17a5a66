#pragma once

#include "platform/kit/TableViewBase.h"

#include <QColor>
#include <QFontMetricsF>
#include <QTextLayout>
#include <QStyledItemDelegate>

#include <functional>
#include <memory>

class DOMNodeEx;
class DomTreeDelegate;
struct DOMAttrString;

// The cell of a DOM tree row: the row's text in the tree's fixed font,
// coloured as code (tags, attributes, quoted values, links), on one line
// whatever the outline's width: a text of several lines folded into one, a
// row wider than the outline cut short with an ellipsis and shown whole in
// its tool tip. A closing row starts one level to the left, under its
// opening row; a comment reads "<!--text-->" in green. Rows left out of the
// saved page are grey throughout, reference rows too; a selected row takes
// the selection's text colour, struck through when it is left out. On a
// dark palette every colour is a lighter variant of its hue.
//
// The colouring is in DOMRowCellTagColor.cpp.
class DOMRowCell : public QStyledItemDelegate, public ShownTextCell
{
    Q_OBJECT

public:
    explicit DOMRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent = nullptr);
    ~DOMRowCell() override;

    // The text a row shows.
    static QString textOf(const DOMNodeEx &row);
    // The row's coloured text for the palette. An unselected row's colours
    // are kept in the row's attrString until its text, its ignore mark or
    // the palette's darkness changes; a selected row's are made each time.
    static std::shared_ptr<const DOMAttrString> setTagColor(DOMNodeEx &row, bool selected, const QPalette &palette);
    // A colour given for a light palette, as the rows show it on this one.
    static QColor rowColor(const QColor &lightColor, const QPalette &palette);
    // The tool tip of a row left out of the saved page.
    static QString ignoreToolTip();
    // A text of several lines as one line: each run of white space with a
    // line break in it becomes one space (none at the start), the colours
    // moved with their characters.
    static QString oneLine(const QString &text, QList<QTextLayout::FormatRange> &formats);
    // That line cut to the width with an ellipsis where it is wider, and
    // its colours cut with it.
    static QString cutShort(const QString &text, const QFontMetricsF &metrics, double width,
                            QList<QTextLayout::FormatRange> &formats);
    // What a row shows in a cell of that width, and its tool tip there: the
    // whole text where the row shows less, and the ignore mark's words.
    static QString shownText(const DOMNodeEx &row, const QFontMetricsF &metrics, double width);
    static QString toolTipOf(const DOMNodeEx &row, const QFontMetricsF &metrics, double width);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    QString shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    DomTreeDelegate *domTreeDelegate() const { return m_domTreeDelegate; }

    // The in-place editors of the subclasses cover the row's text, and
    // reach the page themselves rather than through the model.
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

protected:
    // The editor of that object name open in a view (a closed one is hidden
    // at once and deleted later), or null.
    static QWidget *openEditorIn(const QWidget *view, const QString &objectName);
    // What an in-place editor calls when its edit is to end: the view closes
    // it (once), and destroyEditor() ends the edit.
    std::function<void()> closerOf(QWidget *editor) const;
    // The rectangle a row's text is drawn in.
    static QRect textRect(const DOMNodeEx &row, const QStyleOptionViewItem &option, double indentation);

private:
    DomTreeDelegate *m_domTreeDelegate; // Not owned; the tree's controller.
};

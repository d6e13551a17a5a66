#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include <memory>

class DOMNodeEx;
class DomTreeDelegate;
struct DOMAttrString;

// The cell of a DOM tree row: the row's text in the tree's fixed font,
// coloured as code (tags, attributes, quoted values, links), wrapped when it
// is longer than the outline is wide. A closing row starts one level to the
// left, under its opening row; a comment reads "<!--text-->" in green. Rows
// left out of the saved page are grey throughout, reference rows too; a
// selected row takes the selection's text colour, struck through when it is
// left out. On a dark palette every colour is a lighter variant of its hue.
//
// The colouring is in DOMRowCellTagColor.cpp.
class DOMRowCell : public QStyledItemDelegate
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

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    DomTreeDelegate *m_domTreeDelegate; // Not owned; the tree's controller.
};

#pragma once

#include <QStyledItemDelegate>

#include <functional>

class DOMNodeEx;
class DomTreeDelegate;

// The cell of a DOM tree row: the row's text in the tree's fixed font,
// wrapped when it is longer than the outline is wide. A closing row starts
// one level to the left, under its opening row; a comment reads
// "<!--text-->". Rows left out of the saved page, and reference rows, are
// drawn in grey; a selected row that is left out is struck through.
class DOMRowCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DOMRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent = nullptr);
    ~DOMRowCell() override;

    // The text a row shows.
    static QString textOf(const DOMNodeEx &row);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

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

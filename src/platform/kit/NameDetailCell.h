#pragma once

#include "TableViewBase.h"

#include <QFontMetricsF>
#include <QStyledItemDelegate>

// The cell of a row that shows a name and, after it in a paler colour, a
// detail (the row's DetailRole: a resource's folder, a history step's age).
// Where the row is narrow the detail is cut short first, then left out, and
// only then the name (a file's name loses its extension before its start),
// so that the part that tells the rows apart stays; a row cut short reads
// whole in its tool tip (the row's own tool tip where it has one). The row's
// icon comes first, as the desktop draws it.
class NameDetailCell : public QStyledItemDelegate, public ShownTextCell
{
    Q_OBJECT

public:
    static constexpr int DetailRole = Qt::UserRole + 41;

    // How a name too long for its row is cut: at its end, or, for a file's
    // name, first by its extension (and a ".min" before it), which the
    // rows around it share.
    enum class NameCut { AtEnd, ExtensionFirst };

    // The detail is cut at its start (a folder: its nearest part stays) or
    // at its end.
    NameDetailCell(NameCut nameCut, Qt::TextElideMode detailElision, QObject *parent = nullptr);
    ~NameDetailCell() override;

    struct Shown
    {
        QString name;
        QString detail;
    };
    // What a row of that name and detail shows in that width.
    static Shown fit(const QString &name, const QString &detail, const QFontMetricsF &metrics, double width,
                     NameCut nameCut, Qt::TextElideMode detailElision);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    QString shownText(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    // The room the texts have in the row: after the icon, before what a
    // subclass draws at the row's end.
    virtual QRect textRect(const QStyleOptionViewItem &option, const QModelIndex &index) const;

private:
    Shown shownIn(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    NameCut m_nameCut;
    Qt::TextElideMode m_detailElision;
};

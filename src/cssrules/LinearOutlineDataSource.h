#pragma once

#include <QAbstractListModel>
#include <QVariant>
#include <QVariantList>

#include <functional>

// A flat list for a one-column view: a subclass names the whole list
// (sourceList()); a predicate set by the list's user narrows it. The rows
// are read afresh from the source whenever the predicate changes or
// refresh() is called.
class LinearOutlineDataSource : public QAbstractListModel
{
    Q_OBJECT

public:
    using Predicate = std::function<bool(const QVariant &item)>;

    explicit LinearOutlineDataSource(QObject *parent = nullptr);
    ~LinearOutlineDataSource() override;

    // Null lists everything.
    void setPredicate(Predicate predicate);
    bool hasPredicate() const { return bool(m_predicate); }
    // The whole list; the base has none.
    virtual QVariantList sourceList() const;
    // The whole list narrowed by the predicate, computed afresh.
    QVariantList filteredList() const;
    // Reads the rows again.
    void refresh();
    QVariant itemAt(int row) const { return m_rows.value(row); }

    // Items that are texts beginning with the text (case-sensitive).
    static Predicate beginsWith(const QString &text);
    // Items that are maps whose value under the key holds the text.
    static Predicate valueContains(const QString &key, const QString &text);

    // QAbstractListModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

protected:
    // The text a row shows.
    virtual QString displayText(const QVariant &item) const;

private:
    Predicate m_predicate;
    QVariantList m_rows;
};

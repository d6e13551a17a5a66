#include "LinearOutlineDataSource.h"

LinearOutlineDataSource::LinearOutlineDataSource(QObject *parent) : QAbstractListModel(parent) {}

LinearOutlineDataSource::~LinearOutlineDataSource() = default;

void LinearOutlineDataSource::setPredicate(Predicate predicate)
{
    m_predicate = std::move(predicate);
    refresh();
}

QVariantList LinearOutlineDataSource::sourceList() const
{
    return {};
}

QVariantList LinearOutlineDataSource::filteredList() const
{
    const QVariantList all = sourceList();
    if (!m_predicate)
        return all;
    QVariantList kept;
    for (const QVariant &item : all) {
        if (m_predicate(item))
            kept.append(item);
    }
    return kept;
}

void LinearOutlineDataSource::refresh()
{
    // The whole list may change with the filter: the view reads it again.
    beginResetModel();
    m_rows = filteredList();
    endResetModel();
}

LinearOutlineDataSource::Predicate LinearOutlineDataSource::beginsWith(const QString &text)
{
    return [text](const QVariant &item) { return item.toString().startsWith(text, Qt::CaseSensitive); };
}

LinearOutlineDataSource::Predicate LinearOutlineDataSource::valueContains(const QString &key, const QString &text)
{
    return [key, text](const QVariant &item) { return item.toMap().value(key).toString().contains(text); };
}

int LinearOutlineDataSource::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant LinearOutlineDataSource::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const QVariant &item = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return displayText(item);
    case Qt::UserRole:
        return item;
    default:
        return {};
    }
}

QString LinearOutlineDataSource::displayText(const QVariant &item) const
{
    return item.toString();
}

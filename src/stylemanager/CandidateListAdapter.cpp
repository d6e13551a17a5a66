#include "CandidateListAdapter.h"

#include "cssrules/LinearOutlineDataSource.h"

CandidateListAdapter::CandidateListAdapter(LinearOutlineDataSource *source) : m_source(source)
{
    refresh();
}

void CandidateListAdapter::setSource(LinearOutlineDataSource *source)
{
    m_source = source;
    refresh();
}

void CandidateListAdapter::setPredicate(CandidatePredicate predicate)
{
    m_predicate = predicate;
    if (m_source)
        m_source->setPredicate(predicate);
    refresh();
}

void CandidateListAdapter::refresh()
{
    m_items.clear();
    if (!m_source)
        return;
    for (const QVariant &item : m_source->filteredList())
        m_items.push_back(item);
}

QVariant CandidateListAdapter::candidateForItem(void *item) const
{
    return item ? *static_cast<const QVariant *>(item) : QVariant();
}

int CandidateListAdapter::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_items.size());
}

void *CandidateListAdapter::childOfItem(OutlineView *, int index, void *)
{
    return index >= 0 && size_t(index) < m_items.size() ? &m_items[size_t(index)] : nullptr;
}

QVariant CandidateListAdapter::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    const QVariant candidate = candidateForItem(item);
    if (role == Qt::DisplayRole)
        return CandidateTextField::labelOfCandidate(candidate);
    return m_decoration ? m_decoration(candidate, role) : QVariant();
}

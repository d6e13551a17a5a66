#pragma once

#include "platform/kit/OutlineView.h"
#include "toolkit/CandidateTextField.h"

#include <QPointer>
#include <QVariant>

#include <deque>
#include <functional>

class LinearOutlineDataSource;

// Lets a candidate field's drop-down read a flat list source: the field's
// predicate goes to the source, and the drop-down's rows are the source's
// filtered list. A row's text colour and tool tip may be given per item.
class CandidateListAdapter : public CandidateDataSource
{
public:
    explicit CandidateListAdapter(LinearOutlineDataSource *source = nullptr);

    void setSource(LinearOutlineDataSource *source);
    LinearOutlineDataSource *source() const { return m_source; }
    // Optional: the text colour and tool tip of a row's item (invalid for none).
    void setItemDecoration(std::function<QVariant(const QVariant &item, int role)> decoration) { m_decoration = std::move(decoration); }

    void setPredicate(CandidatePredicate predicate) override;
    CandidatePredicate predicate() const override { return m_predicate; }
    QVariant candidateForItem(void *item) const override;
    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *, void *) override { return false; }
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

    // Reads the source's filtered list again.
    void refresh();

private:
    QPointer<LinearOutlineDataSource> m_source;
    CandidatePredicate m_predicate;
    std::deque<QVariant> m_items;
    std::function<QVariant(const QVariant &, int)> m_decoration;
};

#include "DiffUtil.h"

#include "platform/foundation/Log.h"

#include <QHash>
#include <QSet>

namespace {

qsizetype indexInParent(const DOMNodeEx *row, const DOMNodeEx *parent)
{
    const QList<DOMNodeExPtr> &children = parent->children();
    for (qsizetype i = 0; i < children.size(); ++i) {
        if (children.at(i).get() == row)
            return i;
    }
    return -1;
}

} // namespace

QString DiffUtil::domNodeExDescription(const DOMNodeEx *row)
{
    if (!row)
        return {};
    QString description = QString::number(row->level()) + QLatin1Char(' ');
    if (const DOMNodeEx *parent = row->parentNodeEx())
        description += QString::number(indexInParent(row, parent)) + QLatin1Char(' ');
    const DOMNode *node = row->node();
    const QString name = node ? node->nodeName() : QString();
    if (name.startsWith(QLatin1Char('#')))
        description += node->textContent();
    else if (row->isCloseNode())
        description += QLatin1Char('/') + name;
    else
        description += name;
    return description;
}

QString DiffUtil::fullDomNodeExDescription(const DOMNodeEx *row)
{
    QString description;
    for (const DOMNodeEx *step = row; step; step = step->parentNodeEx())
        description.prepend(domNodeExDescription(step));
    return description;
}

void DiffUtil::flatten(const QList<DOMNodeExPtr> &rows, QList<Entry> &result)
{
    // Pre-order without recursion: a deep page must not exhaust the stack.
    QList<const DOMNodeExPtr *> pending;
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        pending.append(&rows.at(i));
    while (!pending.isEmpty()) {
        const DOMNodeExPtr &row = *pending.takeLast();
        result.append({row, Unmatched});
        const QList<DOMNodeExPtr> &children = row->children();
        for (qsizetype i = children.size() - 1; i >= 0; --i)
            pending.append(&children.at(i));
    }
}

DOMNodeEx *DiffUtil::searchNode(const QList<Entry> &before, const DOMNodeEx *target)
{
    if (!target)
        return nullptr;
    QList<const DOMNodeEx *> chain;
    for (const DOMNodeEx *step = target; step; step = step->parentNodeEx())
        chain.prepend(step);
    QSet<const DOMNodeEx *> inBefore;
    inBefore.reserve(before.size());
    for (const Entry &entry : before)
        inBefore.insert(entry.line.get());

    // Each step is looked for among the children of the row matched at the
    // step before, so that a row is never matched with a namesake of the
    // same level and index in another branch.
    DOMNodeEx *matched = nullptr;
    for (const DOMNodeEx *step : std::as_const(chain)) {
        const QString description = domNodeExDescription(step);
        DOMNodeEx *found = nullptr;
        if (!matched) {
            for (const Entry &entry : before) {
                if (!entry.line->parentNodeEx() && domNodeExDescription(entry.line.get()) == description) {
                    found = entry.line.get();
                    break;
                }
            }
        } else {
            for (const DOMNodeExPtr &child : matched->children()) {
                if (inBefore.contains(child.get()) && domNodeExDescription(child.get()) == description) {
                    found = child.get();
                    break;
                }
            }
        }
        if (!found)
            return nullptr;
        matched = found;
    }
    return matched;
}

QList<DiffUtil::Entry> DiffUtil::diff(QList<DOMNodeExPtr> &before, const QList<DOMNodeExPtr> &after)
{
    QList<Entry> a;
    QList<Entry> b;
    flatten(before, a);
    flatten(after, b);

    // The descriptions as the forests stood before any patching; the unmatched
    // entries of B by description, in order.
    QList<QString> descriptionsOfA;
    descriptionsOfA.reserve(a.size());
    for (const Entry &entry : std::as_const(a))
        descriptionsOfA.append(domNodeExDescription(entry.line.get()));
    QHash<QString, QList<qsizetype>> unmatchedOfB;
    for (qsizetype i = 0; i < b.size(); ++i)
        unmatchedOfB[domNodeExDescription(b.at(i).line.get())].append(i);
    QHash<QString, qsizetype> nextOfB;

    for (qsizetype i = 0; i < a.size(); ++i) {
        Entry &entry = a[i];
        const QString &description = descriptionsOfA.at(i);
        const auto candidates = unmatchedOfB.constFind(description);
        qsizetype &next = nextOfB[description];
        if (candidates != unmatchedOfB.constEnd() && next < candidates->size()) {
            entry.status = Same;
            b[candidates->at(next)].status = Same;
            ++next;
            continue;
        }
        entry.status = Removed;
        QM_DEBUG(QStringLiteral("removed: %1").arg(description));
        DOMNodeEx *row = entry.line.get();
        if (DOMNodeEx *parent = row->parentNodeEx()) {
            QList<DOMNodeExPtr> children = parent->children();
            children.removeIf([row](const DOMNodeExPtr &child) { return child.get() == row; });
            parent->setChildren(std::move(children));
        } else {
            before.removeIf([row](const DOMNodeExPtr &top) { return top.get() == row; });
        }
    }

    QList<Entry> added;
    for (Entry &entry : b) {
        if (entry.status != Unmatched)
            continue;
        entry.status = Added;
        DOMNodeEx *row = entry.line.get();
        const DOMNodeEx *afterParent = row->parentNodeEx();
        DOMNodeEx *parent = afterParent ? searchNode(a, afterParent) : nullptr;
        if (!parent)
            continue;
        const qsizetype index = indexInParent(row, afterParent);
        QList<DOMNodeExPtr> children = parent->children();
        // A place past the end of the list (its siblings before it were not
        // matched) is left out rather than guessed.
        if (index < 0 || index > children.size()) {
            QM_DEBUG(QStringLiteral("left out: %1 at %2 of %3 children")
                         .arg(domNodeExDescription(row))
                         .arg(index)
                         .arg(children.size()));
            continue;
        }
        QM_DEBUG(QStringLiteral("added: %1").arg(domNodeExDescription(row)));
        children.insert(index, entry.line);
        parent->setChildren(std::move(children));
        row->setParentNodeEx(parent);
        added.append(entry);
    }
    return a + added;
}

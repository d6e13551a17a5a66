#pragma once

#include "DOMNodeEx.h"

#include <QList>
#include <QString>

// Compares two forests of DOM tree rows, the rows before and after a page
// change, and patches the "before" forest in place: rows missing from
// "after" are dropped from their parents, rows new in "after" are grafted
// under the matching "before" parent. Rows are matched by a short
// description of their position and content (level, index among the
// parent's children, name or text), never by identity, so two siblings of
// the same level, index and name cannot be told apart, and an edited text
// counts as removed and added.
class DiffUtil
{
public:
    enum Status { Unmatched = -1, Same = 0, Removed = 1, Added = 2 };

    // One row of a flattened forest with what the comparison found.
    struct Entry
    {
        DOMNodeExPtr line;
        int status = Unmatched;
    };

    // Patches before; answers the entries of before, then those of after
    // grafted into it, with their status.
    static QList<Entry> diff(QList<DOMNodeExPtr> &before, const QList<DOMNodeExPtr> &after);
    // Appends an Unmatched entry per row, in pre-order (a row, then its children).
    static void flatten(const QList<DOMNodeExPtr> &rows, QList<Entry> &result);
    // The row of the flattened "before" entries that stands where target
    // stands: its ancestors and itself matched from the outermost down, each
    // a child of the row matched before it. Null when one is missing.
    static DOMNodeEx *searchNode(const QList<Entry> &before, const DOMNodeEx *target);

    // "<level> <index> <name>": the index only for a row with a parent; the
    // text for a text or comment row, "/" and the name for a closing row.
    static QString domNodeExDescription(const DOMNodeEx *row);
    // The descriptions of the row's ancestors, outermost first, and its own.
    static QString fullDomNodeExDescription(const DOMNodeEx *row);
};

#pragma once

#include "DOMNodeEx.h"
#include "DomTreeDelegate.h"

#include "foundation/InspectUndoManager.h"

// Internals shared by DomTreeDelegate's topic files.
namespace DomTreeDelegatePrivate {

inline QString lowerNameOf(const DOMNodeEx *row)
{
    return row && row->node() ? row->node()->nodeName().toLower() : QString();
}

// Names the undo step being recorded.
inline void setActionName(const QString &name)
{
    if (InspectUndoManager *undo = DomTreeDelegate::undoManager())
        undo->setActionName(name);
}

} // namespace DomTreeDelegatePrivate

#pragma once

#include <QString>

#include <functional>

class DOMNode;

// A synchronous mutation event of the mirror, shaped like the legacy DOM
// mutation events: it is delivered to the target first and then to each
// ancestor in turn (currentTarget), up to the document.
struct DOMMutationEvent
{
    enum AttrChange { MODIFICATION = 1, ADDITION = 2, REMOVAL = 3 };

    QString type;
    DOMNode *target = nullptr;        // Not owned.
    DOMNode *currentTarget = nullptr; // Not owned.
    DOMNode *relatedNode = nullptr;   // Not owned; the parent for insertions and removals.
    QString attrName;
    QString prevValue;
    QString newValue;
    int attrChange = 0;
};

using DOMEventListener = std::function<void(const DOMMutationEvent &)>;

namespace DOMEventType {
// Fired on a node whose children, attributes or text changed.
inline const QString subtreeModified = QStringLiteral("DOMSubtreeModified");
// Fired on a node after it was inserted into a parent.
inline const QString nodeInserted = QStringLiteral("DOMNodeInserted");
// Fired on a node just before it is removed from its parent.
inline const QString nodeRemoved = QStringLiteral("DOMNodeRemoved");
// Fired on an element after one of its attributes was added, changed or removed.
inline const QString attrModified = QStringLiteral("DOMAttrModified");
// Fired on a text or comment node after its data changed.
inline const QString characterDataModified = QStringLiteral("DOMCharacterDataModified");
} // namespace DOMEventType

// DomTreeDelegate: the rows under SVG "use" elements, built again once the
// content they point to may have changed.

#include "DomTreeDelegate.h"

#include "DomTreeOutlineView.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMNodeList.h"

void DomTreeDelegate::reloadSVGUseNodeWithElement(DOMElement *)
{
    if (!m_document)
        return;
    // One reload per "use", each on its own: a reload only rebuilds rows and
    // asks for none, so a "use" that points at nothing, at itself or round a
    // cycle of others is reloaded once and left.
    const DOMNodeList uses = m_document->querySelectorAll(QStringLiteral("svg use"));
    for (int i = 0; i < uses.length(); ++i) {
        const std::weak_ptr<DOMNode> use = uses.item(i)->weak_from_this();
        DelayedPerform::perform(this, "lazyReloadSVGUseNode", QVariant::fromValue(quintptr(uses.item(i))), 0.5,
                                [this, use] {
                                    if (const DOMNodePtr node = use.lock())
                                        lazyReloadSVGUseNode(node.get());
                                });
    }
}

void DomTreeDelegate::lazyReloadSVGUseNode(DOMNode *node)
{
    DOMNodeEx *item = searchDomNodeFromRoot(node);
    if (!item || !m_outlineView)
        return;
    item->initChildren();
    m_outlineView->reloadItem(item, true);
    Q_EMIT svgUseNodeReloaded(node);
}

// CSSOutlineDelegate: the keyframe timeline is told of the panel's keyframe
// and keyframes-block edits.

#include "CSSOutlineDelegate.h"

#include "interfaces/AnimationManagerInterface.h"
#include "platform/web/dom/DOMDocument.h"

#include <QWidget>

void CSSOutlineDelegate::refreshTimeline()
{
    if (!m_animationManager)
        return;
    m_animationManager->setIgnoreSelectionChange(false);
    m_animationManager->refresh();
}

void CSSOutlineDelegate::setPageDocument(DOMDocument *document)
{
    // The lists of the whole page follow a new one at once.
    if (takePageDocument(document) && (m_displaySelectorType == AllRules || m_displaySelectorType == KeyframesRules))
        reloadRuleList(1);
}

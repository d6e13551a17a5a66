// CSSOutlineDelegate: the outline's display modes 1 (one keyframes rule, or
// every keyframes rule of the page) and 4 (one rule of a style sheet).

#include "CSSOutlineDelegate.h"

#include "platform/kit/SegmentedControl.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

namespace {

// The row keeps only its keyframes of the key ("from" is "0%", "to" "100%").
void keepKeyframes(const CSSRulePtr &row, const QString &keyText)
{
    const QString key = CSSOutlineDelegate::normalizedKeyText(keyText);
    QList<CSSRulePtr> kept;
    for (const CSSRulePtr &child : row->children()) {
        if (CSSOutlineDelegate::normalizedKeyText(child->selectorName()) == key)
            kept.append(child);
    }
    row->setChildren(kept);
}

} // namespace

void CSSOutlineDelegate::updateRulesByKeyframes(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe)
{
    if (!keyframes) {
        setDisplaySelectorType(ElementRules);
        updateRulesByElement(elementToShow());
        return;
    }
    setDisplaySelectorType(KeyframesRules);
    m_shownKeyframesRule = keyframes;
    m_shownKeyframe = keyframe;
    showKeyframes();
}

void CSSOutlineDelegate::showKeyframes()
{
    // The blocks of the animation in every style sheet; without one chosen, every block.
    const QString name = m_shownKeyframesRule ? animationName(m_shownKeyframesRule->selector()) : QString();
    QList<CSSRulePtr> list;
    for (const CSSRulePtr &row : rulesByElement(nullptr, KeyframesKind, false)) {
        if (!name.isEmpty() && (!row->rule() || row->rule()->name() != name))
            continue;
        if (m_shownKeyframe)
            keepKeyframes(row, m_shownKeyframe->selector());
        list.append(row);
    }
    finishRebuild(list);
}

void CSSOutlineDelegate::updateRulesByStyleDeclaration(const StyleDeclarationPtr &declaration)
{
    if (!declaration) {
        updateRules({});
        m_outlineView->reloadData();
        Q_EMIT rebuilt();
        return;
    }
    m_shownStyleDeclaration = declaration;
    m_displaySelectorType = StyleDeclarationRule;
    m_cssSegmentControl->setSelectedSegment(-1);
    File *file = declaration->parentFile();
    const StyleDeclarationPtr owner = declaration->isInBraket() && file ? file->getMediaOwner(*declaration) : nullptr;
    QList<CSSRulePtr> list;
    for (const CSSRulePtr &row : allCSSRules()) {
        const StyleDeclarationPtr own = row->styleDeclaration();
        if (own == declaration) {
            if (declaration->type() == RuleType::Keyframes || declaration->type() == RuleType::Media)
                row->reloadChildren();
            if (declaration->type() == RuleType::Media)
                mapMediaChildrenRule(row, own);
            list.append(row);
            continue;
        }
        if (!owner || own != owner)
            continue;
        row->reloadChildren();
        if (declaration->type() == RuleType::Keyframe) {
            // The block with that one keyframe.
            keepKeyframes(row, declaration->selector());
            list.append(row);
            continue;
        }
        // The media block with that one rule.
        mapMediaChildrenRule(row, own);
        QList<CSSRulePtr> kept;
        for (const CSSRulePtr &child : row->children()) {
            if (child->styleDeclaration() == declaration)
                kept.append(child);
        }
        row->setChildren(kept);
        list.append(row);
    }
    // One rule shown on its own: nothing in it is overridden.
    const std::function<void(const QList<CSSRulePtr> &)> effective = [&](const QList<CSSRulePtr> &rows) {
        for (const CSSRulePtr &row : rows) {
            row->setIsFirstAssigned(true);
            effective(row->children());
        }
    };
    effective(list);
    updateRules(list);
    m_outlineView->reloadData();
    m_outlineView->layoutRowsLater();
    for (const CSSRulePtr &row : std::as_const(m_rules))
        m_outlineView->expandItem(row.get(), true);
    updateDisplayOutline();
    Q_EMIT rebuilt();
}

void CSSOutlineDelegate::resigneStyleDeclarationSelection()
{
    // A style sheet chosen in the manager is no rule to show: the panel
    // shows the selected element's rules again, not an empty list (#64).
    m_shownStyleDeclaration.reset();
    setDisplaySelectorType(ElementRules);
    updateRulesByElement(elementToShow());
}

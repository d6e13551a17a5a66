// AnimationManager: the delegate of every row's track. A keyframe is
// selected, re-timed, added and removed here and handed to the rules panel,
// which edits page, model and file with undo.

#include "AnimationManager.h"

#include "KeyframeThumb.h"
#include "MultiThumbSlider.h"
#include "TimelineCell.h"
#include "TimelineListView.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "workspace/File.h"

StyleDeclarationPtr AnimationManager::ruleOfSlider(MultiThumbSlider *slider)
{
    auto *cell = slider ? qobject_cast<TimelineCell *>(slider->parentWidget()) : nullptr;
    return cell ? cell->objectValue() : nullptr;
}

StyleDeclarationPtr AnimationManager::keyframeOf(const Item &item)
{
    const auto offset = std::static_pointer_cast<KeyframeOffset>(item);
    return offset ? offset->keyframe : nullptr;
}

int AnimationManager::offsetIndexOf(const Item &item)
{
    const auto offset = std::static_pointer_cast<KeyframeOffset>(item);
    return offset ? offset->index : 0;
}

void AnimationManager::nameUndoStep(const QString &name)
{
    // Named once the edit is made, so that an edit refused opens no step of
    // that name; the last name set in a step is the one shown.
    if (InspectUndoManager *undo = undoManager(); undo && undo->groupingLevel() > 0)
        undo->setActionName(name);
}

ThumbView *AnimationManager::thumbViewOfItem(MultiThumbSlider *, const Item &)
{
    return new KeyframeThumb;
}

void AnimationManager::selectionChanged(MultiThumbSlider *slider, const Item &item)
{
    const StyleDeclarationPtr keyframe = keyframeOf(item);
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->updateRulesByKeyframes(ruleOfSlider(slider), keyframe);
    m_oldKeyName = keyframe ? keyframe->selector() : QString();
    m_lastSelection = keyframe;
    m_lastSelectedOffset = offsetIndexOf(item);
    m_currentSelection = keyframe;
    drawCapo();
}

void AnimationManager::itemIsChanging(MultiThumbSlider *)
{
    // The thumb has rewritten the keyframe's selector: the playhead follows it.
    drawCapo();
}

void AnimationManager::itemDidChanged(MultiThumbSlider *slider, const Item &item)
{
    const StyleDeclarationPtr keyframe = keyframeOf(item);
    const StyleDeclarationPtr rule = ruleOfSlider(slider);
    if (!keyframe || !rule)
        return;
    // The new key, carried by a keyframe of its own; the dragged one goes
    // back under its old key for the rules panel to find, and takes the new
    // one there.
    StyleDeclarationPtr renamed = keyframe->copy();
    renamed->setSelector(keyframe->selector());
    renamed->setType(RuleType::Keyframe);
    renamed->setInBraket(true);
    rule->setModified(true);
    keyframe->setSelector(m_oldKeyName);
    if (m_cssOutlineDelegate) {
        m_cssOutlineDelegate->changeKeyframeNameIn(rule, keyframe, renamed);
        nameUndoStep(QStringLiteral("Rename Selector"));
    }
    m_lastSelection = keyframe;
    m_currentSelection = keyframe;
    m_oldKeyName = keyframe->selector();
    m_animationListView->setFocus(Qt::OtherFocusReason);
    drawCapo();
}

void AnimationManager::itemDidRemoved(MultiThumbSlider *slider, const Item &item)
{
    const StyleDeclarationPtr keyframe = keyframeOf(item);
    const StyleDeclarationPtr rule = ruleOfSlider(slider);
    if (!keyframe || !rule)
        return;
    if (!m_oldKeyName.isEmpty())
        keyframe->setSelector(m_oldKeyName);
    if (!m_cssOutlineDelegate)
        return;
    if (KeyframeThumb::offsetsOf(keyframe->selector()).size() > 1) {
        // One offset of several goes: the keyframe keeps the others.
        StyleDeclarationPtr kept = keyframe->copy();
        kept->setSelector(KeyframeThumb::withOffset(keyframe->selector(), offsetIndexOf(item), QString()));
        kept->setType(RuleType::Keyframe);
        kept->setInBraket(true);
        rule->setModified(true);
        m_cssOutlineDelegate->changeKeyframeNameIn(rule, keyframe, kept);
    } else {
        m_cssOutlineDelegate->doRemoveKeyframeFrom(rule, keyframe);
    }
    nameUndoStep(QStringLiteral("Remove Keyframe"));
    displayListLater();
}

void AnimationManager::itemDidAdded(MultiThumbSlider *, const Item &)
{
}

MultiThumbSliderDelegate::Item AnimationManager::createItemAtRatio(MultiThumbSlider *slider, double ratio)
{
    const StyleDeclarationPtr rule = ruleOfSlider(slider);
    File *file = rule ? rule->parentFile() : nullptr;
    if (!file || !m_cssOutlineDelegate)
        return nullptr;
    const QString selector = KeyframeThumb::selectorOfRatio(ratio);
    // A percentage that has its keyframe gets no second one.
    const double percent = CSSOutlineDelegate::keyframePercent(selector);
    for (const StyleDeclarationPtr &keyframe : file->getMediaChildren(*rule)) {
        for (const QString &offset : KeyframeThumb::offsetsOf(keyframe->selector())) {
            if (CSSOutlineDelegate::keyframePercent(offset) == percent)
                return nullptr;
        }
    }
    StyleDeclarationPtr keyframe = CSSOutlineDelegate::createNewKeyframe(selector);
    keyframe->setParentFile(file);
    rule->setModified(true);
    const StyleDeclarationPtr added = m_cssOutlineDelegate->doAddKeyframeTo(rule, keyframe, QString());
    nameUndoStep(QStringLiteral("Insert Keyframe With Property"));
    return added ? std::make_shared<KeyframeOffset>(KeyframeOffset{added, 0}) : nullptr;
}

QString AnimationManager::toolTipOfItem(MultiThumbSlider *, const Item &item)
{
    const StyleDeclarationPtr keyframe = keyframeOf(item);
    File *file = keyframe ? keyframe->parentFile() : nullptr;
    if (!file || !m_cssOutlineDelegate)
        return {};
    const StyleDeclarationPtr rule = file->getMediaOwner(*keyframe);
    const DOMCSSRulePtr live = rule ? m_cssOutlineDelegate->keyframeRuleByKeyframesRule(
                                          m_cssOutlineDelegate->domCSSRuleByStyleDeclaration(rule), keyframe->selector())
                                    : nullptr;
    QString declarations;
    if (const DOMCSSStyleDeclarationPtr style = live ? live->style() : nullptr) {
        for (int i = 0; i < style->length(); ++i) {
            const QString name = style->item(i);
            declarations += name + u':' + style->getPropertyValue(name) + u'\n';
        }
    }
    return keyframe->selector() + QStringLiteral(" {\n") + declarations + u'}';
}

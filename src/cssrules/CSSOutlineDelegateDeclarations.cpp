// CSSOutlineDelegate: declarations of rules and keyframes of keyframes blocks
// added and removed, each in the page, the model and (through the write-back)
// the text at once, with undo. An inverse addresses the very entry it undoes,
// never the first of its name; a keyframe edit reaches every block of the
// animation's name.

#include "CSSOutlineDelegate.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/dom/DOMSelectorEngine.h"
#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <algorithm>

using StringVendarPrefix::formalPropertyName;

namespace {

// The block's item or, for an item inside a block, the block.
StyleDeclarationPtr markedItem(const StyleDeclarationPtr &declaration)
{
    File *file = declaration->parentFile();
    if (declaration->isInBraket() && file) {
        if (const StyleDeclarationPtr owner = file->getMediaOwner(*declaration))
            return owner;
    }
    return declaration;
}

// The name a new declaration is kept under: without a vendor prefix only
// when the project or the default list writes that property prefixed.
QString storedName(const QString &name, File *file)
{
    if (!name.startsWith(u'-'))
        return name;
    const QString formal = formalPropertyName(name);
    if (formal == name)
        return name;
    if (CSSRule::prefixSettingsOf(file).isPrefixed(formal) || ProjectUtil::defaultVendarPrefixProperties().contains(formal))
        return formal;
    return name;
}

// The entry a removal by name takes (the first of the name, else the first
// of the formal name) and its vendor-prefixed copies: the page holds them as
// one declaration, and the text loses them together.
QList<CSSPropertyPtr> entryWithCopies(const QList<CSSPropertyPtr> &properties, const QString &name)
{
    CSSPropertyPtr entry;
    for (const CSSPropertyPtr &each : properties) {
        if (!each->isRemoved() && each->property() == name) {
            entry = each;
            break;
        }
    }
    for (const CSSPropertyPtr &each : properties) {
        if (!entry && !each->isRemoved() && formalPropertyName(each->property()) == formalPropertyName(name))
            entry = each;
    }
    if (!entry)
        return {};
    QList<CSSPropertyPtr> entries{entry};
    const QString formal = formalPropertyName(entry->property());
    for (const CSSPropertyPtr &each : properties) {
        if (each != entry && !each->isRemoved() && each->property() != entry->property()
            && formalPropertyName(each->property()) == formal)
            entries.append(each);
    }
    return entries;
}

} // namespace

// --- Keys -----------------------------------------------------------------------------------------

double CSSOutlineDelegate::keyframePercent(const QString &keyText)
{
    const QString key = keyText.trimmed().toLower();
    if (key == QLatin1String("from"))
        return 0;
    if (key == QLatin1String("to"))
        return 100;
    if (!key.endsWith(u'%'))
        return -1;
    bool ok = false;
    const double value = key.chopped(1).trimmed().toDouble(&ok);
    return ok && value >= 0 && value <= 100 ? value : -1;
}

bool CSSOutlineDelegate::isKeyframeKeyText(const QString &keyText)
{
    const QStringList keys = keyText.split(u',');
    return std::all_of(keys.cbegin(), keys.cend(), [](const QString &key) { return keyframePercent(key) >= 0; });
}

QString CSSOutlineDelegate::normalizedKeyText(const QString &keyText)
{
    QStringList keys = keyText.split(u',');
    for (QString &key : keys) {
        const double percent = keyframePercent(key);
        key = percent < 0 ? key.trimmed() : QString::number(percent, 'g', 10) + u'%';
    }
    return keys.join(QStringLiteral(", "));
}

QString CSSOutlineDelegate::animationName(const QString &selector)
{
    const QStringList parts = selector.simplified().split(u' ');
    return parts.size() == 2 ? parts.at(1) : QString();
}

DOMCSSRulePtr CSSOutlineDelegate::keyframeRuleByKeyframesRule(const DOMCSSRulePtr &keyframes, const QString &keyText) const
{
    if (!keyframes || keyframes->type() != DOMCSSRule::KEYFRAMES_RULE)
        return nullptr;
    const QString key = normalizedKeyText(keyText);
    const DOMCSSRuleList rules = keyframes->cssRules();
    for (int i = 0; i < rules.length(); ++i) {
        if (normalizedKeyText(rules.item(i)->keyText()) == key)
            return rules.item(i);
    }
    return nullptr;
}

// --- Declarations of rules ----------------------------------------------------------------------------

void CSSOutlineDelegate::doAddDeclaration(const StyleDeclarationPtr &declaration, const QString &propName, const QString &value)
{
    if (!declaration || propName.isEmpty())
        return;
    File *file = declaration->parentFile();
    QList<CSSPropertyPtr> properties = declaration->properties();
    const QString name = storedName(propName, file);
    // A removed entry of the name comes back in its place.
    CSSPropertyPtr entry;
    for (const CSSPropertyPtr &property : std::as_const(properties)) {
        if (property->isRemoved() && (property->property() == propName || property->property() == name)) {
            entry = property;
            break;
        }
    }
    QString written = value;
    if (written.isNull()) {
        if (formalPropertyName(propName) == QLatin1String("animation-name")) {
            const QList<CSSRulePtr> animations = getAnimations();
            if (!animations.isEmpty() && animations.first()->rule())
                written = animations.first()->rule()->name();
        } else {
            written = CSSValueKeywords::getValueKeywords(formalPropertyName(propName)).value(0);
        }
        // A property without keywords starts from the value every property takes.
        if (written.isEmpty())
            written = entry ? entry->value() : QStringLiteral("initial");
    }
    if (!entry) {
        entry = std::make_shared<CSSProperty>(name, written);
        entry->setEnabled(true);
        entry->setVisible(true);
        entry->setRemoved(true);
        properties.append(entry);
        declaration->setProperties(properties);
    }
    setDeclarationEntryRemoved(declaration, entry, false, written);
    // The row of what was added is selected and shown (#66).
    selectAfterReload(entry);
    reloadRuleList(2);
    applyContentToFile(file);
}

void CSSOutlineDelegate::setDeclarationEntryRemoved(const StyleDeclarationPtr &declaration, const CSSPropertyPtr &entry, bool removed,
                                                    const QString &value)
{
    const QString was = entry->value();
    entry->setRemoved(removed);
    if (!removed)
        entry->setValue(value);
    declaration->setModified(true);
    markedItem(declaration)->setModified(true);
    if (const DOMCSSRulePtr live = domCSSRuleByStyleDeclaration(declaration); live && live->style()) {
        if (removed)
            removeLiveProperty(*entry, live->style());
        // The rule's declarations again: an earlier one of the name takes effect.
        applyProperties(declaration->properties(), live->style());
    }
    // The inverse addresses this entry, whatever else has its name.
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, declaration, entry, removed, was] {
            setDeclarationEntryRemoved(declaration, entry, !removed, was);
            reloadRuleList(1);
        });
}

bool CSSOutlineDelegate::doRenameSelector(const StyleDeclarationPtr &declaration, const QString &selector)
{
    if (!declaration || declaration->isRemoved() || selector.isEmpty() || selector == declaration->selector())
        return false;
    if (declaration->type() != RuleType::Style && declaration->type() != RuleType::MediaStyle)
        return false;
    File *file = declaration->parentFile();
    if (!file || !domCSSRuleByStyleDeclaration(declaration))
        return false;
    if (!DOMSelectorEngine::parse(selector)) {
        alertOK(QStringLiteral("Selector \"%1\" is Invalid CSS Syntax.").arg(selector));
        return false;
    }
    setSelectorOf(declaration, selector);
    reloadRuleList(2);
    applyContentToFile(file);
    return true;
}

void CSSOutlineDelegate::setSelectorOf(const StyleDeclarationPtr &declaration, const QString &selector)
{
    const QString was = declaration->selector();
    // The page's rule keeps its place and its declarations; only its selector changes.
    if (const DOMCSSRulePtr live = domCSSRuleByStyleDeclaration(declaration))
        live->setSelectorText(selector);
    declaration->setSelector(selector);
    declaration->setModified(true);
    markedItem(declaration)->setModified(true);
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, declaration, was] {
            setSelectorOf(declaration, was);
            reloadRuleList(1);
        });
}

void CSSOutlineDelegate::doRemoveDeclaration(const StyleDeclarationPtr &declaration, const QString &property)
{
    if (!declaration || property.isEmpty())
        return;
    const CSSRulePtr row = cssRuleByStyleDeclaration(declaration);
    if (row && (row->isWebKitStyle() || (row->ownerRule() && row->ownerRule()->isWebKitStyle())))
        return;
    // A keyframe's declarations go through doRemoveKeyframeStyle().
    if (declaration->type() == RuleType::Keyframe || (row && row->rule() && row->rule()->type() == DOMCSSRule::KEYFRAME_RULE))
        return;
    const QList<CSSPropertyPtr> entries = entryWithCopies(declaration->properties(), property);
    if (entries.isEmpty())
        return;
    m_ignoreRemoveAfterSelectionChange = true;
    for (const CSSPropertyPtr &entry : entries)
        setDeclarationEntryRemoved(declaration, entry, true, QString());
    reloadRuleList(1);
    m_ignoreRemoveAfterSelectionChange = false;
    applyContentToFile(declaration->parentFile());
}

// --- Keyframes ------------------------------------------------------------------------------------------

namespace {

// A keyframe of one block of an animation.
struct KeyframeEntry
{
    StyleDeclarationPtr block;
    StyleDeclarationPtr keyframe;
    QString body;
};

// The blocks of the animation's name that the text keeps, the block itself first.
QList<StyleDeclarationPtr> sameNameBlocks(const StyleDeclarationPtr &block)
{
    QList<StyleDeclarationPtr> blocks{block};
    if (File *file = block->parentFile()) {
        for (const StyleDeclarationPtr &other : file->keyframesDeclarationsWithSameName(*block)) {
            if (other != block && !other->isRemoved())
                blocks.append(other);
        }
    }
    return blocks;
}

// The keyframes of the blocks of the animation with the key.
QList<KeyframeEntry> keyframesWithKey(const StyleDeclarationPtr &block, const QString &key)
{
    QList<KeyframeEntry> entries;
    const QString wanted = CSSOutlineDelegate::normalizedKeyText(key);
    for (const StyleDeclarationPtr &each : sameNameBlocks(block)) {
        for (const StyleDeclarationPtr &keyframe : each->parentFile()->getMediaChildren(*each)) {
            if (CSSOutlineDelegate::normalizedKeyText(keyframe->selector()) == wanted)
                entries.append({each, keyframe, keyframe->generateBodyForDom()});
        }
    }
    return entries;
}

// The first key of a keyframe's list, as a number (-1 for none).
double firstKeyPercent(const QString &keyText)
{
    return CSSOutlineDelegate::keyframePercent(keyText.section(u',', 0, 0));
}

// Where a new keyframe goes in the list: before the first keyframe of the
// block with a greater first key, else after the block's last item.
qsizetype keyframeIndex(const QList<StyleDeclarationPtr> &list, const StyleDeclarationPtr &block, double percent)
{
    const qsizetype at = list.indexOf(block);
    qsizetype end = at + 1;
    while (end < list.size() && list.at(end)->isInBraket())
        ++end;
    for (qsizetype i = at + 1; i < end; ++i) {
        const StyleDeclarationPtr &entry = list.at(i);
        if (entry->type() == RuleType::Keyframe && !entry->isRemoved() && firstKeyPercent(entry->selector()) > percent)
            return i;
    }
    return end;
}

// The live keyframe of the key that was appended last.
int lastLiveKeyframe(const DOMCSSRulePtr &live, const QString &key)
{
    const DOMCSSRuleList rules = live->cssRules();
    for (int i = rules.length() - 1; i >= 0; --i) {
        if (CSSOutlineDelegate::normalizedKeyText(rules.item(i)->keyText()) == CSSOutlineDelegate::normalizedKeyText(key))
            return i;
    }
    return -1;
}

} // namespace

// The keyframes go in (or come back), each block's into its place and its
// page rule; or out. Then show() puts the views right, after the undo and
// the redo too.
static void addKeyframeEntries(CSSOutlineDelegate *panel, const QList<KeyframeEntry> &entries, const std::function<void()> &show);

static void removeKeyframeEntries(CSSOutlineDelegate *panel, const QList<KeyframeEntry> &entries, const std::function<void()> &show)
{
    QList<KeyframeEntry> removed;
    for (KeyframeEntry entry : entries) {
        entry.block->setModified(true);
        entry.keyframe->setRemoved(true);
        entry.keyframe->setModified(true);
        if (const DOMCSSRulePtr live = panel->domCSSRuleByStyleDeclaration(entry.block)) {
            const int index = lastLiveKeyframe(live, entry.keyframe->selector());
            if (index >= 0) {
                entry.body = live->cssRules().item(index)->cssBody();
                live->deleteRule(index);
            }
        }
        removed.append(entry);
    }
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->prepareWithInvocationTarget(panel, [panel, removed, show] { addKeyframeEntries(panel, removed, show); });
    show();
}

static void addKeyframeEntries(CSSOutlineDelegate *panel, const QList<KeyframeEntry> &entries, const std::function<void()> &show)
{
    for (const KeyframeEntry &entry : entries) {
        File *file = entry.block->parentFile();
        QList<StyleDeclarationPtr> list = file->styleDeclarations().value_or(QList<StyleDeclarationPtr>());
        if (!list.contains(entry.keyframe)) {
            list.insert(keyframeIndex(list, entry.block, firstKeyPercent(entry.keyframe->selector())), entry.keyframe);
            file->setStyleDeclarations(list);
        }
        entry.keyframe->setRemoved(false);
        entry.keyframe->setModified(true);
        entry.block->setModified(true);
        // New items are numbered by their place after the block.
        qsizetype number = 0;
        for (qsizetype i = list.indexOf(entry.block) + 1; i < list.size() && list.at(i)->isInBraket(); ++i) {
            if (list.at(i)->type() == RuleType::Comment)
                continue;
            if (list.at(i)->range().length == 0)
                list.at(i)->setChildIndex(number);
            ++number;
        }
        if (const DOMCSSRulePtr live = panel->domCSSRuleByStyleDeclaration(entry.block))
            live->appendRule(entry.keyframe->selector() + QStringLiteral(" {") + entry.body + u'}');
    }
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->prepareWithInvocationTarget(panel, [panel, entries, show] { removeKeyframeEntries(panel, entries, show); });
    show();
}

StyleDeclarationPtr CSSOutlineDelegate::doAddKeyframeTo(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe,
                                                        const QString &cssBody)
{
    File *file = keyframes ? keyframes->parentFile() : nullptr;
    if (!file || !keyframe)
        return nullptr;
    if (keyframePercent(keyframe->selector()) < 0) {
        alertOK(QStringLiteral("\"%1\" is no keyframe: a percentage from 0% to 100% is.").arg(keyframe->selector()));
        return nullptr;
    }
    styleDeclarationsOf(file);
    keyframe->setParentFile(file);
    keyframe->setType(RuleType::Keyframe);
    keyframe->setInBraket(true);
    keyframe->setBody(cssBody, CSSRule::prefixSettingsOf(file));
    QList<KeyframeEntry> entries;
    for (const StyleDeclarationPtr &block : sameNameBlocks(keyframes)) {
        StyleDeclarationPtr copy = keyframe;
        if (block != keyframes) {
            copy = createNewKeyframe(keyframe->selector());
            copy->setParentFile(file);
            copy->setBody(cssBody, CSSRule::prefixSettingsOf(file));
        }
        entries.append({block, copy, cssBody});
    }
    addKeyframeEntries(this, entries, [this, keyframes] { showEditedKeyframes(keyframes, nullptr, 2); });
    return keyframe;
}

// Keyframes renamed, each to its key, in their blocks and the page's rules.
// The text keeps each where it stands with its declarations and their
// layout, only its selector changed (#77); so does the model, whose items
// keep the order of the text. Then show() puts the views right, after the
// undo and the redo too.
static void renameKeyframeEntries(CSSOutlineDelegate *panel, const QList<std::pair<KeyframeEntry, QString>> &renames,
                                  const std::function<void()> &show)
{
    QList<std::pair<KeyframeEntry, QString>> back;
    for (const auto &[entry, key] : renames) {
        const QString was = entry.keyframe->selector();
        if (const DOMCSSRulePtr live = panel->domCSSRuleByStyleDeclaration(entry.block)) {
            const int index = lastLiveKeyframe(live, was);
            const QString body = index >= 0 ? live->cssRules().item(index)->cssBody() : entry.body;
            if (index >= 0)
                live->deleteRule(index);
            live->appendRule(key + QStringLiteral(" {") + body + u'}');
        }
        entry.keyframe->setSelector(key);
        entry.keyframe->setModified(true);
        entry.block->setModified(true);
        back.append({entry, was});
    }
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->prepareWithInvocationTarget(panel, [panel, back, show] { renameKeyframeEntries(panel, back, show); });
    show();
}

void CSSOutlineDelegate::changeKeyframeNameIn(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &oldKeyframe,
                                              const StyleDeclarationPtr &newKeyframe)
{
    File *file = keyframes ? keyframes->parentFile() : nullptr;
    if (!file || !oldKeyframe || !newKeyframe)
        return;
    if (!isKeyframeKeyText(newKeyframe->selector())) {
        alertOK(QStringLiteral("\"%1\" is no keyframe: a percentage from 0% to 100% is.").arg(newKeyframe->selector()));
        return;
    }
    styleDeclarationsOf(file);
    const QList<KeyframeEntry> entries = keyframesWithKey(keyframes, oldKeyframe->selector());
    if (entries.isEmpty())
        return;
    QList<std::pair<KeyframeEntry, QString>> renames;
    for (const KeyframeEntry &entry : entries)
        renames.append({entry, newKeyframe->selector()});
    // The block's own keyframe, under the key it has then, is the one shown.
    StyleDeclarationPtr shown = entries.constFirst().keyframe;
    for (const KeyframeEntry &entry : entries) {
        if (entry.block == keyframes && entry.keyframe == oldKeyframe)
            shown = entry.keyframe;
    }
    // Named here, whoever asks: a caller that names it otherwise (the
    // timeline taking out one offset of several) names it after.
    if (InspectUndoManager *undo = undoManager())
        undo->setActionName(QStringLiteral("Rename Selector"));
    renameKeyframeEntries(this, renames, [this, keyframes, shown] { showEditedKeyframes(keyframes, shown, 2); });
}

void CSSOutlineDelegate::showEditedKeyframes(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe, int reloadMode)
{
    m_shownKeyframesRule = keyframes;
    m_shownKeyframe = keyframe;
    setDisplaySelectorType(KeyframesRules);
    reloadRuleList(reloadMode);
    applyContentToFile(keyframes->parentFile());
    replayAnimation(animationName(keyframes->selector()));
    refreshTimeline();
}

void CSSOutlineDelegate::doRemoveKeyframe(const StyleDeclarationPtr &keyframes, const QString &keyText)
{
    File *file = keyframes ? keyframes->parentFile() : nullptr;
    if (!file)
        return;
    StyleDeclarationPtr found;
    for (const StyleDeclarationPtr &keyframe : file->getMediaChildren(*keyframes)) {
        if (normalizedKeyText(keyframe->selector()) == normalizedKeyText(keyText))
            found = keyframe;
    }
    if (found)
        doRemoveKeyframeFrom(keyframes, found);
}

void CSSOutlineDelegate::doRemoveKeyframeFrom(const StyleDeclarationPtr &keyframes, const StyleDeclarationPtr &keyframe)
{
    File *file = keyframes ? keyframes->parentFile() : nullptr;
    if (!file || !keyframe)
        return;
    styleDeclarationsOf(file);
    const QList<KeyframeEntry> entries = keyframesWithKey(keyframes, keyframe->selector());
    if (entries.isEmpty())
        return;
    const StyleDeclarationPtr shown = m_shownKeyframe == keyframe ? nullptr : m_shownKeyframe;
    removeKeyframeEntries(this, entries, [this, keyframes, shown] { showEditedKeyframes(keyframes, shown, 1); });
}

// --- Declarations of keyframes ---------------------------------------------------------------------------

namespace {

struct KeyframePropertyEntry
{
    StyleDeclarationPtr block;
    StyleDeclarationPtr keyframe;
    CSSPropertyPtr property;
};

} // namespace

static void setKeyframeProperties(CSSOutlineDelegate *panel, const QList<KeyframePropertyEntry> &entries, bool removed)
{
    for (const KeyframePropertyEntry &entry : entries) {
        entry.property->setRemoved(removed);
        entry.keyframe->setModified(true);
        entry.block->setModified(true);
        const DOMCSSRulePtr live = panel->keyframeRuleByKeyframesRule(panel->domCSSRuleByStyleDeclaration(entry.block),
                                                                      entry.keyframe->selector());
        if (live && live->style() && removed)
            panel->removeLiveProperty(*entry.property, live->style());
        else if (live && live->style())
            panel->applyProperty(entry.property->property(), entry.property->value(), live->style());
    }
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->prepareWithInvocationTarget(panel, [panel, entries, removed] { setKeyframeProperties(panel, entries, !removed); });
}

void CSSOutlineDelegate::doAddKeyframeStyle(const CSSRulePtr &keyframeRow, const QString &prop, const QString &value)
{
    const CSSRulePtr owner = keyframeRow ? keyframeRow->ownerRule() : nullptr;
    const StyleDeclarationPtr block = owner ? owner->styleDeclaration() : nullptr;
    if (!block || !block->parentFile() || prop.isEmpty())
        return;
    const QString key = keyframeRow->rule() ? keyframeRow->rule()->keyText() : keyframeRow->displayName();
    // Set already in the page: nothing to add.
    const DOMCSSRulePtr live = keyframeRuleByKeyframesRule(owner->rule(), key);
    if (live && live->style() && !live->style()->getPropertyValue(prop).isEmpty())
        return;
    const QString written = value.isNull() ? CSSValueKeywords::getValueKeywords(formalPropertyName(prop)).value(0, QStringLiteral("initial"))
                                           : value;
    QList<KeyframePropertyEntry> entries;
    for (const KeyframeEntry &keyframe : keyframesWithKey(block, key)) {
        auto property = std::make_shared<CSSProperty>(storedName(prop, block->parentFile()), written);
        property->setEnabled(true);
        property->setVisible(true);
        property->setRemoved(true);
        QList<CSSPropertyPtr> properties = keyframe.keyframe->properties();
        properties.append(property);
        keyframe.keyframe->setProperties(properties);
        entries.append({keyframe.block, keyframe.keyframe, property});
    }
    if (entries.isEmpty())
        return;
    setKeyframeProperties(this, entries, false);
    reloadRuleList(2);
    applyContentToFile(block->parentFile());
    replayAnimation(animationName(block->selector()));
}

void CSSOutlineDelegate::doRemoveKeyframeStyle(const CSSRulePtr &row)
{
    const CSSRulePtr keyframeRow = row ? row->animationOwner() : nullptr;
    const CSSRulePtr owner = row ? row->ownerRule() : nullptr;
    const StyleDeclarationPtr block = owner ? owner->styleDeclaration() : nullptr;
    if (!keyframeRow || !block || !block->parentFile())
        return;
    const QString key = keyframeRow->rule() ? keyframeRow->rule()->keyText() : keyframeRow->selectorName();
    // No live keyframe: nothing is removed.
    if (!keyframeRuleByKeyframesRule(owner->rule(), key))
        return;
    const QString formal = formalPropertyName(row->propName());
    QList<KeyframePropertyEntry> entries;
    for (const KeyframeEntry &keyframe : keyframesWithKey(block, key)) {
        for (const CSSPropertyPtr &property : entryWithCopies(keyframe.keyframe->properties(), formal))
            entries.append({keyframe.block, keyframe.keyframe, property});
    }
    if (entries.isEmpty())
        return;
    setKeyframeProperties(this, entries, true);
    reloadRuleList(2);
    applyContentToFile(block->parentFile());
    replayAnimation(animationName(block->selector()));
}

void CSSOutlineDelegate::commitKeyframeStyleChange(const CSSRulePtr &row, const QString &value)
{
    const CSSRulePtr keyframeRow = row ? row->animationOwner() : nullptr;
    const CSSRulePtr owner = row ? row->ownerRule() : nullptr;
    const StyleDeclarationPtr block = owner ? owner->styleDeclaration() : nullptr;
    if (!keyframeRow || !block || !block->parentFile())
        return;
    if (!isWritableValue(value)) {
        Alert::beep();
        return;
    }
    const QString key = keyframeRow->rule() ? keyframeRow->rule()->keyText() : keyframeRow->selectorName();
    const QString formal = formalPropertyName(row->propName());
    QString remembered;
    bool changed = false;
    for (const KeyframeEntry &keyframe : keyframesWithKey(block, key)) {
        // The declaration with its prefixed copies: the page holds them as one.
        for (const CSSPropertyPtr &property : entryWithCopies(keyframe.keyframe->properties(), formal)) {
            if (!changed)
                remembered = property->value();
            changed = true;
            property->setValue(value);
            keyframe.keyframe->setModified(true);
            keyframe.block->setModified(true);
            const DOMCSSRulePtr live = keyframeRuleByKeyframesRule(domCSSRuleByStyleDeclaration(keyframe.block), key);
            if (live && live->style())
                applyProperty(property->property(), value, live->style());
        }
    }
    if (!changed)
        return;
    if (InspectUndoManager *undo = undoManager()) {
        undo->setActionName(QStringLiteral("CSS Value Change - %1").arg(row->propName()));
        undo->prepareWithInvocationTarget(this, [this, row, keyframeRow, owner, remembered] {
            Q_UNUSED(keyframeRow);
            Q_UNUSED(owner);
            commitKeyframeStyleChange(row, remembered);
        });
    }
    reloadRuleList(1);
    applyContentToFile(block->parentFile());
    replayAnimation(animationName(block->selector()));
}

// --- Animations in the page ---------------------------------------------------------------------------------

QList<CSSRulePtr> CSSOutlineDelegate::getSelectorRulesByProperty(const QString &property, const QString &value)
{
    QList<CSSRulePtr> found;
    for (const CSSRulePtr &row : getAlls()) {
        if (!row->rule() || row->rule()->type() != DOMCSSRule::STYLE_RULE)
            continue;
        for (const CSSRulePtr &child : row->children()) {
            if (formalPropertyName(child->propName()) == property && noPriorityValueName(child->valueName()) == value) {
                found.append(row);
                break;
            }
        }
    }
    return found;
}

void CSSOutlineDelegate::replayAnimation(const QString &animationName)
{
    if (animationName.isEmpty() || !document())
        return;
    // The rules that play it stop it, and a moment later play it again.
    QList<std::pair<DOMCSSStyleDeclarationPtr, QString>> playing;
    for (const CSSRulePtr &row : getSelectorRulesByProperty(QStringLiteral("animation-name"), animationName)) {
        const DOMCSSStyleDeclarationPtr style = row->rule()->style();
        if (!style)
            continue;
        playing.append({style, style->getPropertyValue(QStringLiteral("animation-name"))});
        style->setProperty(QStringLiteral("animation-name"), QStringLiteral("none"), QString());
    }
    if (playing.isEmpty())
        return;
    DelayedPerform::cancel(this, "replayAnimation", {animationName});
    DelayedPerform::perform(this, "replayAnimation", {animationName}, 0.1, [playing] {
        for (const auto &[style, name] : playing)
            style->setProperty(QStringLiteral("animation-name"), name, QString());
    });
}

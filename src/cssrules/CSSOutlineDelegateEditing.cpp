// CSSOutlineDelegate: a typed value reaches the live page at once (no undo,
// no write), and a committed one changes the model with undo and asks for
// the write-back of its style sheet.

#include "CSSOutlineDelegate.h"
#include "CSSRules_p.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "stylesheet/StringCSSProperty.h"
#include "stylesheet/StringCSSValue.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "stylesheet/WebCoreObjects.h"
#include "foundation/InspectUndoManager.h"
#include "toolkit/OutlineViewEx.h"
#include "interfaces/StyleEditorInterface.h"
#include "workspace/File.h"

#include <QLineEdit>

#include <algorithm>

namespace {

using StringVendarPrefix::formalPropertyName;

bool isDefaultPrefixed(const QString &name)
{
    static const QVariantMap defaults = VendarPrefixSettings::defaultProperties();
    return defaults.contains(name);
}

using CSSRulesPrivate::hasLiveType;

bool isMediaRow(const CSSRulePtr &row)
{
    return row && row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Media;
}

// The longhands a shorthand is written again from when one of them changed:
// all of them, but of "border", which lists every side and says one, the
// changed side's.
QList<CSSRulePtr> longhandsOfChangedPart(const CSSRulePtr &shorthand, const CSSRulePtr &changed)
{
    QList<CSSRulePtr> longhands = shorthand->children();
    if (shorthand->propName() != QLatin1String("border"))
        return longhands;
    const QString side = changed->propName().section(u'-', 0, 1) + u'-';
    longhands.removeIf([&side](const CSSRulePtr &longhand) { return !longhand->propName().startsWith(side); });
    return longhands;
}

} // namespace

InspectUndoManager *CSSOutlineDelegate::undoManager() const
{
    return File::sharedUndoManager();
}

// --- The live page -------------------------------------------------------------------------

void CSSOutlineDelegate::applyProperty(const QString &property, const QString &value,
                                       const DOMCSSStyleDeclarationPtr &declaration)
{
    if (!declaration)
        return;
    const auto [name, written] = pageProperty(property, value);
    // Removed, then set again; "!important" is the priority.
    declaration->removeProperty(name);
    if (hasImportantPriority(written))
        declaration->setProperty(name, noPriorityValueName(written), QStringLiteral("important"));
    else
        declaration->setProperty(name, written, QString());
}

std::pair<QString, QString> CSSOutlineDelegate::pageProperty(const QString &property, const QString &value)
{
    QString name = property;
    QString written = value;
    // 1. The page takes the names of the default prefix list under "-webkit-"
    // (the style declaration writes them unprefixed where the engine does not
    // know the prefixed name).
    if (isDefaultPrefixed(name))
        name = QStringLiteral("-webkit-") + name;
    // 2. A transition of a property the project prefixes names its prefixed form.
    if (formalPropertyName(name) == QLatin1String("transition-property")
        && StringVendarPrefix::isVenderPrefixOfProject(formalPropertyName(written)))
        written = QStringLiteral("-webkit-") + written;
    // 3. Properties that need no prefix go under their own name.
    if (WebCoreObjects::isVendarPrefixUnnecessaryProperty(formalPropertyName(name)))
        name = formalPropertyName(name);
    return {name, written};
}

void CSSOutlineDelegate::removeLiveProperty(const CSSProperty &property, const DOMCSSStyleDeclarationPtr &declaration)
{
    if (!declaration)
        return;
    const QString formal = formalPropertyName(property.property());
    QStringList names{property.property(), formal, QStringLiteral("-webkit-") + formal};
    for (const QString &prefix : property.vendorPrefixes().value_or(QStringList()))
        names.append(prefix + formal);
    names.removeDuplicates();
    for (const QString &name : std::as_const(names))
        declaration->removeProperty(name);
}

void CSSOutlineDelegate::applyProperties(const QList<CSSPropertyPtr> &properties, const DOMCSSStyleDeclarationPtr &declaration)
{
    QList<std::pair<QString, QString>> on;
    for (const CSSPropertyPtr &property : properties) {
        if (property->isEnabled() && !property->isRemoved())
            on.append({property->property(), property->value()});
    }
    const QList<bool> taken = placesTaken(on, declaration);
    for (qsizetype i = 0; i < on.size(); ++i) {
        if (taken.at(i))
            applyProperty(on.at(i).first, on.at(i).second, declaration);
    }
}

QList<bool> CSSOutlineDelegate::placesTaken(const QList<std::pair<QString, QString>> &declarations,
                                            const DOMCSSStyleDeclarationPtr &style)
{
    // A value the page refuses is dropped, as a load drops it; asked only of
    // a property named more than once, where alone it changes the result.
    QHash<QString, int> named;
    for (const auto &[name, value] : declarations)
        ++named[formalPropertyName(name)];
    // Of the rest the later wins, unless only the earlier is "!important".
    QSet<QString> important;
    QList<bool> taken;
    taken.reserve(declarations.size());
    for (const auto &[name, value] : declarations) {
        const QString formal = formalPropertyName(name);
        if (style && named.value(formal) > 1) {
            const auto [pageName, pageValue] = pageProperty(name, value);
            if (!style->takes(pageName, noPriorityValueName(pageValue)).value_or(true)) {
                taken.append(false);
                continue;
            }
        }
        if (hasImportantPriority(value)) {
            important.insert(formal);
            taken.append(true);
            continue;
        }
        taken.append(!important.contains(formal));
    }
    return taken;
}

CSSRulePtr CSSOutlineDelegate::checkDuplicateProperty(const CSSRulePtr &row, const CSSRulePtr &parent) const
{
    if (!row || !parent)
        return nullptr;
    for (const CSSRulePtr &child : parent->children()) {
        if (child != row && child->propName() == row->propName() && child->property() && child->property()->isEnabled())
            return child;
    }
    return nullptr;
}

void CSSOutlineDelegate::changeStyleByRule(const CSSRulePtr &row)
{
    if (!row)
        return;
    const DOMCSSStyleDeclarationPtr declaration = domCSSStyleDeclarationByRule(row);
    const CSSRulePtr owner = row->ownerRule() ? row->ownerRule() : row;
    const CSSRulePtr keyframe = row->animationOwner();
    if (hasLiveType(keyframe, DOMCSSRule::KEYFRAME_RULE)) {
        if (owner->styleDeclaration())
            owner->styleDeclaration()->setModified(true);
        applyProperty(formalPropertyName(row->propName()), row->valueName(), declaration);
        return;
    }
    if (row->styleDeclaration())
        row->styleDeclaration()->setModified(true);
    // The declarations of one rule to its own live style: those switched off
    // go first, so that a shorthand still on gives back the part one of them
    // took, as the file's text does.
    const auto applyRule = [this](const CSSRulePtr &rule, const DOMCSSStyleDeclarationPtr &style) {
        const QList<CSSRulePtr> children = rule->children();
        const auto isOn = [](const CSSRulePtr &child) {
            return child->shouldIncludInRule() && (!child->property() || child->property()->isEnabled());
        };
        for (const CSSRulePtr &child : children) {
            if (isOn(child) || checkDuplicateProperty(child, rule) || !style)
                continue;
            // A custom property keeps an empty value, so it goes by name.
            if (child->propName().startsWith(QLatin1String("--")))
                style->removeProperty(child->propName());
            else
                applyProperty(child->propName(), QString(), style);
        }
        QList<std::pair<QString, QString>> on;
        for (const CSSRulePtr &child : children) {
            if (isOn(child))
                on.append({child->propName(), child->valueName()});
        }
        const QList<bool> taken = placesTaken(on, style);
        for (qsizetype i = 0; i < on.size(); ++i) {
            if (taken.at(i))
                applyProperty(on.at(i).first, on.at(i).second, style);
        }
    };
    if (isMediaRow(owner)) {
        owner->styleDeclaration()->setModified(true);
        // A rule inside a media block changes that rule only; the media row
        // itself gives each of its rules its own declarations.
        if (row == owner) {
            for (const CSSRulePtr &rule : owner->children())
                applyRule(rule, domCSSStyleDeclarationByRule(rule));
        } else {
            applyRule(row, declaration);
        }
        return;
    }
    applyRule(owner, declaration);
}

void CSSOutlineDelegate::cssValueChanged(const Notification &notification)
{
    if (!notification.userInfo.contains(QStringLiteral("value")))
        return;
    QString value = notification.userInfo.value(QStringLiteral("value")).toString();
    const bool fromPopover = isPostedByStyleEditor(notification.object);
    // Once the popover has begun to close its edit is committed: what its
    // editor posts while it fades (its field's own undo, Ctrl+Z pressed
    // right after Escape) would leave the page unlike the file (#84).
    if (fromPopover && !m_editTargetRule)
        return;
    // What the popover editor writes follows the layout of the sheet (#66).
    if (m_styleEditorMinified && fromPopover)
        value = StringCSSValue::compactedEdit(m_rememberedValue, value);
    if (const CSSRulePtr row = getSelectedCSSRule())
        valueChange(row, value);
}

bool CSSOutlineDelegate::isPostedByStyleEditor(const void *poster) const
{
    QWidget *view = m_styleEditor && m_editStyle ? m_styleEditor->view() : nullptr;
    if (!view || !poster)
        return false;
    const QList<QWidget *> widgets = view->findChildren<QWidget *>();
    return std::any_of(widgets.cbegin(), widgets.cend(), [poster](const QWidget *widget) {
        return static_cast<const void *>(widget) == poster;
    });
}

void CSSOutlineDelegate::valueChange(const CSSRulePtr &row, const QString &value)
{
    row->setValueName2(value);
    row->setValueName(value);
    const CSSRulePtr shorthand = row->isShortHandChild() ? row->shortHandOwner() : nullptr;
    if (shorthand) {
        // The shorthand again from its longhands, in order ("initial" left out).
        const QList<CSSRulePtr> longhands = longhandsOfChangedPart(shorthand, row);
        QStringList parts;
        for (const CSSRulePtr &longhand : longhands) {
            if (longhand->valueName() != QLatin1String("initial"))
                parts.append(longhand->valueName());
        }
        QString rebuilt = parts.join(QLatin1Char(' '));
        if (shorthand->valueName().contains(QLatin1String("!important")))
            rebuilt += QStringLiteral(" !important");
        shorthand->setValueName2(rebuilt);
        shorthand->setValueName(rebuilt);
        changeStyleByRule(shorthand);
    } else if (hasLiveType(row->ownerRule(), DOMCSSRule::KEYFRAMES_RULE)) {
        changeStyleByRule(row);
    } else if (isOnlyDeclarationOfItsName(row)) {
        // Only this declaration changed: the page gets it alone, not the
        // whole rule again (a keystroke never waits on a rule's worth of writes).
        if (row->ownerRule() && row->ownerRule()->styleDeclaration())
            row->ownerRule()->styleDeclaration()->setModified(true);
        applyProperty(row->propName(), value, domCSSStyleDeclarationByRule(row));
    } else {
        changeStyleByRule(row->ownerRule() ? row->ownerRule() : row);
        if (!row->isLeaf() && row->property() && row->property()->isShartHand()) {
            // A shorthand typed: its longhands show what it says.
            const std::unique_ptr<CSSValueParser> parser = CSSProperty::getValueParser(row->property()->property());
            const std::optional<CSSValueMap> values = parser ? parser->parse(noPriorityValueName(value)) : std::nullopt;
            if (values) {
                for (const CSSRulePtr &child : row->children()) {
                    if (values->contains(child->propName())) {
                        child->setValueName2(values->value(child->propName()));
                        child->setValueName(values->value(child->propName()));
                    }
                }
            }
        }
    }
    m_outlineView->reloadItem(row.get(), false);
    if (shorthand)
        m_outlineView->reloadItem(shorthand.get(), false);
    m_outlineView->viewport()->update();
    redrawOverlay();
}

void CSSOutlineDelegate::redrawOverlay()
{
    if (m_redrawOverlay)
        m_redrawOverlay();
}

void CSSOutlineDelegate::abandonValueEdit(const CSSRulePtr &row)
{
    // The row, and the page with it, go back to the committed value.
    if (!row || !row->property())
        return;
    const QString committed = row->property()->value();
    if (row->valueName() == committed)
        return;
    valueChange(row, committed);
    row->setValueName2(QString());
    m_outlineView->reloadItem(row.get(), false);
}

bool CSSOutlineDelegate::isOnlyDeclarationOfItsName(const CSSRulePtr &row) const
{
    // A plain, enabled declaration that no other of its rule shares a name with.
    const CSSRulePtr owner = row->ownerRule();
    if (!owner || owner == row || !row->property() || !row->isLeaf() || !row->shouldIncludInRule()
        || !row->property()->isEnabled() || row->mediaOwner())
        return false;
    // Nor one whose longhands or shorthand it sets ("margin" and
    // "margin-top"): then the order of the rule decides, and the rule goes again.
    const QString formal = formalPropertyName(row->propName());
    for (const CSSRulePtr &child : owner->children()) {
        if (child == row)
            continue;
        const QString other = formalPropertyName(child->propName());
        if (other == formal || other.startsWith(formal + u'-') || formal.startsWith(other + u'-'))
            return false;
    }
    return true;
}

bool CSSOutlineDelegate::isWritableValue(const QString &value)
{
    // Text that would end the declaration, open or close a block, or leave a
    // string or comment open is no value: the file would change shape.
    const StringCSSProperty::DeclarationViews pieces = StringCSSProperty::declarationViews(QStringLiteral("x:") + value);
    if (pieces.size() != 1)
        return false;
    int depth = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = value.indexOf(c, i + 1);
            if (close < 0)
                return false;
            i = close;
        } else if (c == u'/' && i + 1 < value.size() && value.at(i + 1) == u'*') {
            const qsizetype close = value.indexOf(QLatin1String("*/"), i + 2);
            if (close < 0)
                return false;
            i = close + 1;
        } else if (c == u'(' || c == u'[') {
            ++depth;
        } else if (c == u')' || c == u']') {
            if (--depth < 0)
                return false;
        } else if (c == u'{' || c == u'}' || (c == u';' && depth == 0)) {
            return false;
        }
    }
    return depth == 0;
}

// --- Commits --------------------------------------------------------------------------------------

void CSSOutlineDelegate::markWrittenDeclarations(const CSSRulePtr &row)
{
    // The item that holds the declaration, and the block that holds the item.
    const CSSRulePtr owner = row->ownerRule();
    StyleDeclarationPtr item = owner ? owner->styleDeclaration() : nullptr;
    if (!item && row->styleDeclaration())
        item = row->styleDeclaration();
    if (!item)
        return;
    item->setModified(true);
    if (File *file = item->parentFile(); file && item->isInBraket()) {
        if (const StyleDeclarationPtr block = file->getMediaOwner(*item))
            block->setModified(true);
    }
}

void CSSOutlineDelegate::commitCSSValueChange(const CSSRulePtr &row, const QString &value, bool reload)
{
    Q_UNUSED(reload);
    const CSSPropertyPtr property = row ? row->property() : nullptr;
    if (!property)
        return;
    if (!isWritableValue(value)) {
        QM_INFO(QStringLiteral("\"%1\" is no value of %2; it was not taken").arg(value, property->property()));
        Alert::beep();
        abandonValueEdit(row);
        return;
    }
    const QString remembered = property->value();
    m_rememberedValue = remembered;
    const CSSRulePtr owner = row->ownerRule();
    if (InspectUndoManager *undo = undoManager()) {
        undo->setActionName(QStringLiteral("CSS Value Change - %1").arg(property->property()));
        // The row keeps the rows above it that the undo needs.
        undo->prepareWithInvocationTarget(this, [this, row, owner, remembered] {
            Q_UNUSED(owner);
            commitCSSValueChange(row, remembered, true);
        });
    }
    property->setValue(value);
    markWrittenDeclarations(row);
    CSSRulePtr shown = propertyRuleByProperty(property);
    if (!shown)
        shown = row;
    shown->setValueName2(value);
    // The rule's rows may have been made again since this one (a whole-rule
    // edit reloads them): the one of the declaration among them shows the
    // value as well, for the rule takes its rows' values to the page (#77).
    if (const CSSRulePtr owner = shown->ownerRule(); owner && owner != shown) {
        for (const CSSRulePtr &child : owner->children()) {
            if (child != shown && child->property() == property)
                child->setValueName2(value);
        }
    }

    // The live page.
    const CSSRulePtr shownOwner = shown->ownerRule();
    if (hasLiveType(shownOwner, DOMCSSRule::KEYFRAMES_RULE) || (shownOwner && shownOwner->mediaOwner()))
        changeStyleByRule(shown);
    else
        changeStyleByRule(shownOwner ? shownOwner : shown);

    // The row on screen, and a shorthand's longhands with it.
    if (const CSSRulePtr onScreen = treeNodeByCSSProperty(property, m_rules)) {
        onScreen->setValueName2(value);
        if (!onScreen->isLeaf()) {
            onScreen->reloadChildren();
            const QList<CSSRulePtr> children = onScreen->children();
            for (const CSSRulePtr &child : children) {
                if (child->property()) {
                    child->setValueName2(child->property()->value());
                    child->setValueName(child->property()->value());
                }
            }
        }
        m_outlineView->reloadItem(onScreen.get(), true);
    }
    reloadRuleList(1);

    const StyleDeclarationPtr item = owner ? owner->styleDeclaration() : nullptr;
    applyContentToFile(item ? item->parentFile() : row->relatedFile());
}

void CSSOutlineDelegate::enterd(QLineEdit *field)
{
    CSSRulePtr row = getSelectedCSSRule();
    if (!row || !field)
        return;
    QString value = field->text();
    if (m_valueInputFocused) {
        m_rememberedValue = value;
        return;
    }
    commitEditedValue(row, value);
}

void CSSOutlineDelegate::cssValueCommit(const Notification &notification)
{
    const CSSRulePtr row = getSelectedCSSRule();
    if (!row)
        return;
    const QString value = notification.userInfo.value(QStringLiteral("value")).toString();
    if (hasLiveType(row->ownerRule(), DOMCSSRule::KEYFRAMES_RULE))
        commitKeyframeStyleChange(row, value);
    else
        commitCSSValueChange(row, value, true);
    redrawOverlay();
    const CSSRulePtr owner = row->ownerRule();
    if (owner && owner->styleDeclaration())
        applyContentToFile(owner->styleDeclaration()->parentFile());
}

void CSSOutlineDelegate::enabledStyle(const Notification &notification)
{
    const CSSRulePtr row = notification.userInfo.value(QStringLiteral("rule")).value<CSSRulePtr>();
    if (!row)
        return;
    if (const CSSRulePtr shorthand = row->isShortHandChild() ? row->shortHandOwner() : nullptr) {
        QStringList parts;
        for (const CSSRulePtr &longhand : longhandsOfChangedPart(shorthand, row)) {
            if (longhand->valueName() != QLatin1String("initial") && longhand->shouldIncludInRule())
                parts.append(longhand->valueName());
        }
        const QString rebuilt = parts.isEmpty() ? QString() : parts.join(QLatin1Char(' ')) + QLatin1Char(' ');
        shorthand->setValueName2(rebuilt);
        shorthand->setValueName(rebuilt);
        // A longhand holds no declaration of its own: the shorthand takes the
        // value the page is given, in the file too (#77); with every part off
        // it is switched off itself.
        const CSSPropertyPtr property = shorthand->property();
        if (!property)
            return;
        if (parts.isEmpty()) {
            commitStyleEnabled(shorthand, false);
            return;
        }
        const QString value = rebuilt.trimmed() + (hasImportantPriority(property->value()) ? QStringLiteral(" !important") : QString());
        commitCSSValueChange(shorthand, value, true);
        if (InspectUndoManager *undo = undoManager())
            undo->setActionName(QStringLiteral("Change Style Enabled"));
        return;
    } else if (row->property() && row->property()->isShartHand()) {
        row->parseChildren();
    }
    commitStyleEnabled(row, row->shouldIncludInRule());
}

void CSSOutlineDelegate::commitStyleEnabled(const CSSRulePtr &row, bool enabled)
{
    if (InspectUndoManager *undo = undoManager()) {
        undo->setActionName(QStringLiteral("Change Style Enabled"));
        const CSSRulePtr owner = row->ownerRule();
        undo->prepareWithInvocationTarget(this, [this, row, owner, enabled] {
            Q_UNUSED(owner);
            commitStyleEnabled(row, !enabled);
        });
    }
    if (row->property())
        row->property()->setEnabled(enabled);
    row->setShouldIncludInRule(enabled);
    const CSSRulePtr owner = row->ownerRule();
    if (hasLiveType(owner, DOMCSSRule::KEYFRAMES_RULE)) {
        if (owner->styleDeclaration())
            owner->styleDeclaration()->setModified(true);
        changeStyleByRule(row);
    } else if (const CSSRulePtr media = row->mediaOwner()) {
        for (const CSSRulePtr &each : {media, owner, row}) {
            if (each && each->styleDeclaration())
                each->styleDeclaration()->setModified(true);
        }
        changeStyleByRule(owner ? owner : row);
    } else {
        // A declaration row has no item of its own: its rule's is marked.
        for (const CSSRulePtr &each : {owner, row}) {
            if (each && each->styleDeclaration())
                each->styleDeclaration()->setModified(true);
        }
        changeStyleByRule(owner ? owner : row);
    }
    reloadRuleList(2);
    redrawOverlay();
    // The file leaves out what the page leaves out: a save writes what the
    // page shows, and a reload shows what the file holds (#77).
    const StyleDeclarationPtr item = owner && owner->styleDeclaration() ? owner->styleDeclaration() : row->styleDeclaration();
    applyContentToFile(item ? item->parentFile() : row->relatedFile());
}

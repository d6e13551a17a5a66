// CSSOutlineDelegate: marking the declarations of an element's list that
// give its properties their values, as the browser ranks them, and those
// the cascade overrides.

#include "CSSOutlineDelegate.h"

#include "CSSCascade.h"
#include "CSSRules_p.h"

#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMMediaList.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSelectorEngine.h"
#include "platform/web/engine/WebEngineCache.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/VendarPrefixSettings.h"

#include <QSet>

#include <algorithm>
#include <list>

namespace {

using CSSRulesPrivate::withoutStates;
using StringVendarPrefix::formalPropertyName;

// The selector a rule matches by: a nested rule's with its parent's put in
// for "&", or before it where it names none.
QString effectiveSelector(const DOMCSSRule &rule)
{
    DOMCSSRulePtr parent = rule.parentRule();
    while (parent && parent->type() != DOMCSSRule::STYLE_RULE)
        parent = parent->parentRule();
    if (!parent)
        return rule.selectorText();
    const QString outer = QStringLiteral(":is(%1)").arg(effectiveSelector(*parent));
    QStringList parts;
    for (const QString &part : DOMCSSParser::splitTopLevel(rule.selectorText(), u',')) {
        const QString trimmed = part.trimmed();
        parts.append(trimmed.contains(u'&') ? QString(trimmed).replace(u'&', outer) : outer + u' ' + trimmed);
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

// --- The cascade -------------------------------------------------------------------------------

void CSSOutlineDelegate::checkOverridden(const QList<CSSRulePtr> &list)
{
    DOMElement *element = lastSelectedElement();
    if (element && element->ownerDocument() && !list.isEmpty() && list.constFirst()->computedStyleDec())
        markCascade(element, list);
    else
        markTopmostWins(list);
    updateDisplayOutline();
}

void CSSOutlineDelegate::markCascade(DOMElement *element, const QList<CSSRulePtr> &list)
{
    DOMDocument *doc = element->ownerDocument();
    auto *engine = dynamic_cast<WebEngineCache *>(doc->engineQueries());
    WebEngineQuestions matched;
    matched.matchedRules.append({element, QString()});
    const bool engineKnows = engine && engine->hasAnswers(matched);

    CSSCascade cascade;
    QString writingMode;
    QString direction;
    for (const auto &[name, value] : doc->getComputedStyle(element, QString())) {
        if (name == QLatin1String("writing-mode"))
            writingMode = value;
        else if (name == QLatin1String("direction"))
            direction = value;
    }
    cascade.setWritingMode(writingMode, direction);
    // The properties the engine sets for a name; the program's own table of
    // shorthands where the engine has not told.
    const auto longhandsOf = [](const QString &name) {
        if (const std::optional<QStringList> known = WebEngineCache::longhandsOf(name))
            return *known;
        return CSSProperty::shortHandMap().value(name, {name});
    };
    // Whether the page kept the declaration: a name it knows with a value it takes.
    const auto accepted = [engine](const QString &name, const QString &value) {
        return !engine || engine->supports(name, value).value_or(true);
    };
    const auto addDeclaration = [&](const void *key, const QString &name, const QString &value, CSSCascade::Origin origin,
                                    CSSCascade::Attached attached, DOMSelectorSpecificity specificity, int order, int index) {
        const CSSCascade::Importance importance = CSSCascade::isImportant(value) ? CSSCascade::Importance::Important
                                                                                   : CSSCascade::Importance::Normal;
        if (origin == CSSCascade::Origin::UserAgent || accepted(name, CSSCascade::withoutImportant(value)))
            cascade.add(key, longhandsOf(name), CSSCascade::rankOf(origin, importance, attached, specificity, order, index));
    };

    // The page's rules that apply to the element now, with the items they
    // are paired with; the prefixed copies a declaration's text holds count
    // as written before it.
    QSet<const DOMCSSRule *> applying;
    std::list<QString> copyNames;
    QHash<std::pair<const CSSProperty *, QString>, const void *> copyKeys;
    const QHash<const DOMCSSRule *, int> &order = ruleOrder(doc);
    const auto addRule = [&](const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration) {
        if (!rule || !declaration || declaration->isRemoved() || applying.contains(rule.get())
            || !appliesNow(element, rule, engineKnows))
            return;
        applying.insert(rule.get());
        const DOMSelectorSpecificity specificity = specificityFor(element, rule);
        const int place = order.value(rule.get());
        const QList<CSSPropertyPtr> &properties = declaration->properties();
        for (qsizetype i = 0; i < properties.size(); ++i) {
            const CSSPropertyPtr &property = properties.at(i);
            if (property->isRemoved() || !property->isEnabled())
                continue;
            for (const QString &prefix : property->vendorPrefixes().value_or(QStringList())) {
                const QString name = prefix + property->formalName();
                const void *&key = copyKeys[{property.get(), name}];
                if (!key)
                    key = &copyNames.emplace_back(name);
                addDeclaration(key, name, property->value(), CSSCascade::Origin::Author, CSSCascade::Attached::No,
                               specificity, place, int(2 * i));
            }
            addDeclaration(property.get(), property->property(), property->value(), CSSCascade::Origin::Author,
                           CSSCascade::Attached::No, specificity, place, int(2 * i + 1));
        }
    };
    const std::function<void(const DOMCSSStyleSheetPtr &)> addSheet = [&](const DOMCSSStyleSheetPtr &sheet) {
        if (!sheet || !sheet->isReadable())
            return;
        // Copied: an imported sheet's own may move them.
        const QList<SheetHits::Hit> hits = hitsOf(sheet, element).hits;
        for (const SheetHits::Hit &hit : hits) {
            if (hit.imported) {
                addSheet(hit.imported);
                continue;
            }
            if (hit.declaration && hit.declaration->type() == RuleType::Media) {
                for (const auto &[rule, declaration] : hit.inner)
                    addRule(rule, declaration);
                continue;
            }
            addRule(hit.rule, hit.declaration);
        }
    };
    DOMStyleSheetList &sheets = doc->styleSheets();
    for (int i = 0; i < sheets.length(); ++i)
        addSheet(sheets.item(i));
    // The rules no file's item stands for (those of style elements, of
    // sheets the project does not hold) with the declarations the page keeps.
    std::list<DOMCSSDeclaration> liveDeclarations;
    if (engineKnows) {
        for (const DOMMatchedRule &matched : doc->getMatchedCSSRules(element, QString(), true)) {
            const DOMCSSRulePtr rule = sheets.ruleForId(matched.ruleId);
            const DOMCSSStyleDeclarationPtr style = rule ? rule->style() : nullptr;
            if (!style || applying.contains(rule.get()))
                continue;
            applying.insert(rule.get());
            const DOMSelectorSpecificity specificity = specificityFor(element, rule);
            const int place = order.value(rule.get());
            const QList<DOMCSSDeclaration> &items = style->items();
            for (qsizetype i = 0; i < items.size(); ++i) {
                // The page kept them: no question of their validity.
                const DOMCSSDeclaration &item = liveDeclarations.emplace_back(items.at(i));
                const CSSCascade::Importance importance = item.priority.isEmpty() ? CSSCascade::Importance::Normal
                                                                                  : CSSCascade::Importance::Important;
                cascade.add(&item, longhandsOf(item.name),
                            CSSCascade::rankOf(CSSCascade::Origin::Author, importance, CSSCascade::Attached::No, specificity,
                                               place, int(2 * i + 1)));
            }
        }
    }

    // The element's style attribute, above every rule of its origin.
    StyleDeclaration attribute;
    attribute.setType(RuleType::DeclarationList);
    attribute.setBody(element->getAttribute(QStringLiteral("style")));
    const QList<CSSPropertyPtr> &inline_ = attribute.properties();
    for (qsizetype i = 0; i < inline_.size(); ++i)
        addDeclaration(inline_.at(i).get(), inline_.at(i)->property(), inline_.at(i)->value(), CSSCascade::Origin::Author,
                       CSSCascade::Attached::Yes, {}, 0, int(i));

    // The browser's own rules, in its cascade order.
    int userAgentOrder = 0;
    for (const CSSRulePtr &row : list) {
        if (!row->isWebKitStyle())
            continue;
        ++userAgentOrder;
        const QList<CSSRulePtr> children = row->children();
        for (qsizetype i = 0; i < children.size(); ++i)
            addDeclaration(children.at(i).get(), children.at(i)->propName(), children.at(i)->valueName(),
                           CSSCascade::Origin::UserAgent, CSSCascade::Attached::No, {}, userAgentOrder, int(i));
    }

    // The marks.
    const auto markDeclarations = [&](const CSSRulePtr &rule) {
        rule->setIsInCascade(rule->isWebKitStyle() || applying.contains(rule->rule().get()));
        for (const CSSRulePtr &declaration : rule->children()) {
            const void *key = declaration->property() && !rule->isWebKitStyle() ? static_cast<const void *>(declaration->property().get())
                                                                                 : declaration.get();
            declaration->setIsFirstAssigned(cascade.winsAny(key));
            for (const CSSRulePtr &child : declaration->children()) {
                if (child->isVenderPrefix())
                    child->setIsFirstAssigned(cascade.winsAny(copyKeys.value({declaration->property().get(), child->propName()})));
                else
                    child->setIsFirstAssigned(cascade.wins(key, child->propName()));
            }
        }
    };
    for (const CSSRulePtr &row : list) {
        if (row->computedStyleDec())
            continue;
        if (row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Media) {
            for (const CSSRulePtr &inner : row->children())
                markDeclarations(inner);
            continue;
        }
        markDeclarations(row);
    }
}

bool CSSOutlineDelegate::appliesNow(DOMElement *element, const DOMCSSRulePtr &rule, bool engineKnows) const
{
    auto *engine = dynamic_cast<WebEngineCache *>(element->ownerDocument()->engineQueries());
    // The bridge answers for the rules of sheets, media and @supports
    // blocks and nesting; the mirror for those of other blocks.
    bool walked = true;
    for (DOMCSSRulePtr parent = rule->parentRule(); parent; parent = parent->parentRule()) {
        switch (parent->type()) {
        case DOMCSSRule::MEDIA_RULE:
            if (engine && parent->media() && engine->matchMedia(parent->media()->mediaText()) == false)
                return false;
            break;
        case DOMCSSRule::SUPPORTS_RULE:
            if (engine && engine->supportsCondition(parent->conditionText()) == false)
                return false;
            break;
        case DOMCSSRule::STYLE_RULE:
            break;
        default:
            // A cascade layer holds its rules without a condition; the
            // conditions of the others (@container, @scope, @starting-style)
            // are not asked.
            if (!parent->cssText().startsWith(QLatin1String("@layer")))
                return false;
            walked = false;
            break;
        }
    }
    if (engineKnows && walked)
        return m_engineMatched.contains(rule.get());
    for (DOMCSSRulePtr top = rule; top; top = top->parentRule()) {
        const DOMCSSStyleSheetPtr sheet = top->parentRule() ? nullptr : top->parentStyleSheet();
        for (DOMCSSStyleSheetPtr each = sheet; each; each = each->parentStyleSheet()) {
            if (each->disabled())
                return false;
            const QString media = each->ownerRule() && each->ownerRule()->media() ? each->ownerRule()->media()->mediaText()
                                                                                   : each->media()->mediaText();
            if (engine && !media.isEmpty() && engine->matchMedia(media) == false)
                return false;
        }
    }
    return DOMSelectorEngine::matches(*element, effectiveSelector(*rule));
}

DOMSelectorSpecificity CSSOutlineDelegate::specificityFor(DOMElement *element, const DOMCSSRulePtr &rule) const
{
    const QStringList parts = DOMCSSParser::splitTopLevel(effectiveSelector(*rule), u',');
    // The parts that match the element as the mirror sees it; else those
    // that match in some state (the engine knows the element's focus, the
    // mirror does not); else all.
    for (const bool anyState : {false, true}) {
        DOMSelectorSpecificity best;
        bool found = false;
        for (const QString &part : parts) {
            const QString trimmed = part.trimmed();
            if (!trimmed.isEmpty() && DOMSelectorEngine::matches(*element, anyState ? withoutStates(trimmed) : trimmed)) {
                best = std::max(best, DOMSelectorSpecificity::of(trimmed));
                found = true;
            }
        }
        if (found)
            return best;
    }
    DOMSelectorSpecificity best;
    for (const QString &part : parts)
        best = std::max(best, DOMSelectorSpecificity::of(part));
    return best;
}

const QHash<const DOMCSSRule *, int> &CSSOutlineDelegate::ruleOrder(DOMDocument *document)
{
    DOMStyleSheetList &sheets = document->styleSheets();
    QList<std::pair<const DOMCSSStyleSheet *, quint64>> state;
    for (int i = 0; i < sheets.length(); ++i)
        state.append({sheets.item(i).get(), sheets.item(i)->rulesStamp()});
    if (m_ruleOrder.document == document && m_ruleOrder.sheets == state)
        return m_ruleOrder.places;
    m_ruleOrder = RuleOrder{document, state, {}};
    int place = 0;
    const std::function<void(const DOMCSSRuleList &)> walk = [&](const DOMCSSRuleList &rules) {
        for (int i = 0; i < rules.length(); ++i) {
            const DOMCSSRulePtr rule = rules.item(i);
            m_ruleOrder.places.insert(rule.get(), ++place);
            if (rule->type() == DOMCSSRule::IMPORT_RULE) {
                if (const DOMCSSStyleSheetPtr imported = rule->styleSheet(); imported && imported->isReadable())
                    walk(imported->cssRules());
            } else {
                walk(rule->cssRules());
            }
        }
    };
    for (int i = 0; i < sheets.length(); ++i) {
        if (sheets.item(i)->isReadable())
            walk(sheets.item(i)->cssRules());
    }
    return m_ruleOrder.places;
}

void CSSOutlineDelegate::markTopmostWins(const QList<CSSRulePtr> &list)
{
    DOMDocument *doc = document();
    if (!doc)
        return;
    const DOMCSSStyleDeclarationPtr scratch = doc->createCSSStyleDeclaration();
    const QVariantMap defaults = VendarPrefixSettings::defaultProperties();
    // The name a declaration competes under: the prefixed and unprefixed
    // forms of a property compete as one.
    const auto keyOf = [&defaults](const QString &name) {
        const QString formal = formalPropertyName(name);
        return defaults.contains(formal) ? formal : name;
    };
    // Whether the page takes the value: the browser's own rules always.
    const auto accepted = [&scratch, &keyOf](const CSSRulePtr &declaration, bool fromDefaults) {
        return fromDefaults || scratch->isValid(keyOf(declaration->propName()), declaration->valueName());
    };
    QHash<QString, CSSRulePtr> winners;
    const auto take = [&](const CSSRulePtr &declaration, bool importantTest) {
        const QString key = keyOf(declaration->propName());
        const CSSRulePtr current = winners.value(key);
        if (importantTest && current && current->valueName().contains(QLatin1String("!important"))
            && !declaration->valueName().contains(QLatin1String("!important")))
            return;
        winners.insert(key, declaration);
    };
    const auto consider = [&](const CSSRulePtr &declaration, bool fromDefaults) {
        if (declaration->type() == RuleType::Keyframe) {
            declaration->setIsFirstAssigned(true);
            for (const CSSRulePtr &child : declaration->children())
                child->setIsFirstAssigned(true);
            return;
        }
        if (declaration->property() && !declaration->property()->isEnabled())
            return;
        if (!accepted(declaration, fromDefaults))
            return;
        if (declaration->isLeaf()) {
            take(declaration, true);
            return;
        }
        take(declaration, false);
        if (declaration->property() && CSSRule::prefixSettingsOf(declaration->relatedFile()).isPrefixed(declaration->property()->formalName()))
            return;
        for (const CSSRulePtr &child : declaration->children())
            winners.insert(keyOf(child->propName()), child);
    };
    for (auto it = list.crbegin(); it != list.crend(); ++it) {
        const CSSRulePtr &row = *it;
        if (row->selectorName().isEmpty())
            continue;
        const bool media = row->styleDeclaration() && row->styleDeclaration()->type() == RuleType::Media;
        // A rule with a pseudo-class takes no part.
        row->setIsInCascade(!row->displayName().contains(u':'));
        for (const CSSRulePtr &inner : media ? row->children() : QList<CSSRulePtr>())
            inner->setIsInCascade(!inner->displayName().contains(u':'));
        if (!media) {
            if (row->selectorName().contains(u':'))
                continue;
            for (const CSSRulePtr &declaration : row->children())
                consider(declaration, row->isWebKitStyle());
            continue;
        }
        const QList<CSSRulePtr> inner = row->children();
        for (auto rule = inner.crbegin(); rule != inner.crend(); ++rule) {
            if ((*rule)->selectorName().contains(u':'))
                continue;
            // "!important" counts inside a media block as anywhere else.
            for (const CSSRulePtr &declaration : (*rule)->children())
                consider(declaration, false);
        }
    }
    for (const CSSRulePtr &row : std::as_const(winners))
        row->setIsFirstAssigned(true);
}


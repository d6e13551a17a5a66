#include "DOMSelectorEngine.h"

#include "DOMDocument.h"
#include "DOMDocumentIndex.h"
#include "DOMElement.h"
#include "DOMLog.h"
#include "DOMNodeList.h"
#include "DOMPseudoElements.h"
#include "DOMSelectorParser.h"
#include "DOMStrings.h"
#include "DOMTraversal_p.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {

using Simple = DOMSimpleSelector;

struct MatchContext
{
    const DOMElement *scope = nullptr; // Not owned; null means the root element.
    bool quirks = false;
};

// Right-to-left matching answers more than yes or no, so that a descendant or
// sibling walk can stop early: a selector whose left part failed for every
// ancestor fails for every further one as well.
enum class MatchResult { Matches, FailsLocally, FailsAllSiblings, FailsCompletely };

bool matchesList(const DOMSelectorList &list, const DOMElement &element, const MatchContext &context);
bool matchesComplex(const DOMComplexSelector &selector, const DOMElement &element, const MatchContext &context,
                    const DOMElement *anchor = nullptr);

bool equalsWithCase(QStringView a, QStringView b, bool insensitive)
{
    return insensitive ? DOMStrings::equalsIgnoringAsciiCase(a, b) : a == b;
}

inline const DOMElement *parentOf(const DOMElement &element)
{
    const DOMNode *parent = element.parentNode();
    return parent && parent->isElement() ? static_cast<const DOMElement *>(parent) : nullptr;
}

bool containsWord(QStringView list, QStringView word, bool insensitive)
{
    qsizetype start = -1;
    for (qsizetype i = 0; i <= list.size(); ++i) {
        const bool space = i == list.size() || DOMStrings::isAsciiWhitespace(list.at(i));
        if (space && start >= 0) {
            if (equalsWithCase(list.mid(start, i - start), word, insensitive))
                return true;
            start = -1;
        } else if (!space && start < 0) {
            start = i;
        }
    }
    return false;
}

bool valueMatches(const Simple &simple, const QString &value, bool insensitive)
{
    if (insensitive) {
        // Rare: compare lower-cased copies.
        Simple lowered = simple;
        lowered.value = DOMStrings::asciiLower(simple.value);
        return valueMatches(lowered, DOMStrings::asciiLower(value), false);
    }
    const QString &wanted = simple.value;
    switch (simple.attributeMatch) {
    case Simple::AttributeMatch::Exists:
        return true;
    case Simple::AttributeMatch::Equals:
        return value == wanted;
    case Simple::AttributeMatch::Includes:
        if (wanted.isEmpty() || std::any_of(wanted.cbegin(), wanted.cend(), DOMStrings::isAsciiWhitespace))
            return false;
        return containsWord(value, wanted, false);
    case Simple::AttributeMatch::DashMatch:
        return value == wanted
            || (value.startsWith(wanted) && value.size() > wanted.size() && value.at(wanted.size()) == QLatin1Char('-'));
    case Simple::AttributeMatch::Prefix:
        return !wanted.isEmpty() && value.startsWith(wanted);
    case Simple::AttributeMatch::Suffix:
        return !wanted.isEmpty() && value.endsWith(wanted);
    case Simple::AttributeMatch::Substring:
        return !wanted.isEmpty() && value.contains(wanted);
    }
    return false;
}

bool matchesAttribute(const Simple &simple, const DOMElement &element)
{
    const bool html = element.isHTMLElement();
    for (int i = 0; i < element.attributeCount(); ++i) {
        const DOMAttr *attribute = element.attributeAt(i);
        if (simple.namespaceMatch == Simple::NamespaceMatch::None && attribute->namespaceId() != DOMNamespace::None)
            continue;
        // Attribute names of a page compare without regard to ASCII case, for
        // SVG elements too (the engine's legacy rule in HTML documents); HTML
        // elements hold lower-case names already.
        if (attribute->localName() != simple.name
            && (html || !DOMStrings::equalsIgnoringAsciiCase(attribute->localName(), simple.name)))
            continue;
        bool insensitive = simple.caseMode == Simple::CaseMode::Insensitive;
        if (simple.caseMode == Simple::CaseMode::Default && html && attribute->namespaceId() == DOMNamespace::None)
            insensitive = simple.htmlCaseInsensitiveValue;
        if (valueMatches(simple, attribute->value(), insensitive))
            return true;
    }
    return false;
}

bool isSameType(const DOMElement &a, const DOMElement &b)
{
    return a.localName() == b.localName() && a.namespaceId() == b.namespaceId()
        && (a.namespaceId() != DOMNamespace::Other || a.namespaceURI() == b.namespaceURI());
}

// Position of the element among its element siblings, counted from 1, from
// the front or the back, among all, those of its type, or those matching of.
int siblingPosition(const DOMElement &element, bool fromEnd, bool sameType, const DOMSelectorList *of,
                    const MatchContext &context)
{
    const DOMDocument *document = element.ownerDocument();
    const DOMElement::TreePosition &known = element.treePosition();
    if (!of && document && known.version == document->treeVersion() && element.parentNode()) {
        if (sameType)
            return fromEnd ? known.typeCount - known.typeIndex : known.typeIndex + 1;
        return fromEnd ? known.elementCount - known.elementIndex : known.elementIndex + 1;
    }
    int position = 1;
    for (const DOMElement *sibling = fromEnd ? element.nextElementSibling() : element.previousElementSibling();
         sibling; sibling = fromEnd ? sibling->nextElementSibling() : sibling->previousElementSibling()) {
        if (sameType && !isSameType(*sibling, element))
            continue;
        if (of && !matchesList(*of, *sibling, context))
            continue;
        ++position;
    }
    return position;
}

bool hasNoSiblingOfType(const DOMElement &element, bool forward)
{
    for (const DOMElement *sibling = forward ? element.nextElementSibling() : element.previousElementSibling();
         sibling; sibling = forward ? sibling->nextElementSibling() : sibling->previousElementSibling()) {
        if (isSameType(*sibling, element))
            return false;
    }
    return true;
}

bool hasAttributeNamed(const DOMElement &element, const QString &name)
{
    return element.hasAttributeNS(QString(), name);
}

QString lowerAttribute(const DOMElement &element, const QString &name)
{
    return DOMStrings::asciiLower(element.getAttributeNS(QString(), name));
}

bool isHTML(const DOMElement &element, QStringView name)
{
    return element.isHTML(name);
}

bool isDisabledFormElement(const DOMElement &element)
{
    if (hasAttributeNamed(element, QStringLiteral("disabled")))
        return true;
    if (isHTML(element, u"option")) {
        const DOMElement *parent = parentOf(element);
        return parent && isHTML(*parent, u"optgroup") && hasAttributeNamed(*parent, QStringLiteral("disabled"));
    }
    if (isHTML(element, u"optgroup"))
        return false;
    // A control inside a disabled fieldset is disabled, unless it sits in
    // that fieldset's first legend.
    const DOMNode *child = &element;
    for (const DOMElement *ancestor = parentOf(element); ancestor;
         child = ancestor, ancestor = parentOf(*ancestor)) {
        if (!isHTML(*ancestor, u"fieldset") || !hasAttributeNamed(*ancestor, QStringLiteral("disabled")))
            continue;
        const DOMElement *legend = ancestor->firstElementChild();
        while (legend && !isHTML(*legend, u"legend"))
            legend = legend->nextElementSibling();
        if (child != legend)
            return true;
    }
    return false;
}

bool canBeDisabled(const DOMElement &element)
{
    return isHTML(element, u"button") || isHTML(element, u"input") || isHTML(element, u"select")
        || isHTML(element, u"textarea") || isHTML(element, u"optgroup") || isHTML(element, u"option")
        || isHTML(element, u"fieldset");
}

bool isSelectedOption(const DOMElement &option)
{
    if (hasAttributeNamed(option, QStringLiteral("selected")))
        return true;
    // Otherwise a single-line select without a selected option shows its
    // first enabled option as selected.
    const DOMElement *select = parentOf(option);
    if (select && isHTML(*select, u"optgroup"))
        select = parentOf(*select);
    if (!select || !isHTML(*select, u"select") || hasAttributeNamed(*select, QStringLiteral("multiple")))
        return false;
    bool sizeOk = false;
    const int size = select->getAttributeNS(QString(), QStringLiteral("size")).trimmed().toInt(&sizeOk);
    if (sizeOk && size > 1)
        return false;
    const DOMElement *firstEnabled = nullptr;
    for (const DOMElement *element = DOMTraversal::nextElement(select, select); element;
         element = DOMTraversal::nextElement(element, select)) {
        if (!isHTML(*element, u"option"))
            continue;
        if (hasAttributeNamed(*element, QStringLiteral("selected")))
            return false;
        if (!firstEnabled && !isDisabledFormElement(*element))
            firstEnabled = element;
    }
    return firstEnabled == &option;
}

bool isChecked(const DOMElement &element)
{
    if (isHTML(element, u"input")) {
        const QString type = lowerAttribute(element, QStringLiteral("type"));
        return (type == QLatin1String("checkbox") || type == QLatin1String("radio"))
            && hasAttributeNamed(element, QStringLiteral("checked"));
    }
    if (isHTML(element, u"option"))
        return isSelectedOption(element);
    return false;
}

bool isTextInput(const DOMElement &element)
{
    if (!isHTML(element, u"input"))
        return false;
    static const QSet<QString> types = {
        QString(), QStringLiteral("text"), QStringLiteral("search"), QStringLiteral("url"),
        QStringLiteral("tel"), QStringLiteral("email"), QStringLiteral("password"), QStringLiteral("date"),
        QStringLiteral("month"), QStringLiteral("week"), QStringLiteral("time"), QStringLiteral("datetime-local"),
        QStringLiteral("number"),
    };
    const QString type = lowerAttribute(element, QStringLiteral("type"));
    // An unknown type is a text field.
    static const QSet<QString> known = {
        QStringLiteral("hidden"), QStringLiteral("checkbox"), QStringLiteral("radio"), QStringLiteral("file"),
        QStringLiteral("submit"), QStringLiteral("image"), QStringLiteral("reset"), QStringLiteral("button"),
        QStringLiteral("range"), QStringLiteral("color"),
    };
    return types.contains(type.isEmpty() ? QString() : type) || !known.contains(type);
}

bool canBeRequired(const DOMElement &element)
{
    if (isHTML(element, u"select") || isHTML(element, u"textarea"))
        return true;
    if (!isHTML(element, u"input"))
        return false;
    static const QSet<QString> without = {
        QStringLiteral("hidden"), QStringLiteral("image"), QStringLiteral("reset"), QStringLiteral("submit"),
        QStringLiteral("button"), QStringLiteral("range"), QStringLiteral("color"),
    };
    return !without.contains(lowerAttribute(element, QStringLiteral("type")));
}

bool isEditableContent(const DOMElement &element)
{
    for (const DOMElement *node = &element; node; node = parentOf(*node)) {
        if (!node->isHTMLElement() || !hasAttributeNamed(*node, QStringLiteral("contenteditable")))
            continue;
        const QString value = lowerAttribute(*node, QStringLiteral("contenteditable"));
        return value.isEmpty() || value == QLatin1String("true") || value == QLatin1String("plaintext-only");
    }
    return false;
}

bool isReadWrite(const DOMElement &element)
{
    if (isTextInput(element) || isHTML(element, u"textarea")) {
        return !hasAttributeNamed(element, QStringLiteral("readonly")) && !isDisabledFormElement(element);
    }
    return isEditableContent(element);
}

bool isPlaceholderShown(const DOMElement &element)
{
    if (!hasAttributeNamed(element, QStringLiteral("placeholder")))
        return false;
    if (isTextInput(element))
        return element.getAttributeNS(QString(), QStringLiteral("value")).isEmpty();
    if (isHTML(element, u"textarea"))
        return element.textContent().isEmpty();
    return false;
}

bool isLink(const DOMElement &element)
{
    if (isHTML(element, u"a") || isHTML(element, u"area"))
        return hasAttributeNamed(element, QStringLiteral("href"));
    if (element.namespaceId() == DOMNamespace::SVG && element.localName() == QLatin1String("a")) {
        return hasAttributeNamed(element, QStringLiteral("href"))
            || element.hasAttributeNS(DOMNamespaces::xlink, QStringLiteral("href"));
    }
    return false;
}

bool matchesLanguage(const DOMElement &element, const QStringList &ranges)
{
    QString language;
    bool found = false;
    for (const DOMElement *node = &element; node && !found; node = parentOf(*node)) {
        if (node->hasAttributeNS(DOMNamespaces::xml, QStringLiteral("lang"))) {
            language = node->getAttributeNS(DOMNamespaces::xml, QStringLiteral("lang"));
            found = true;
        } else if (hasAttributeNamed(*node, QStringLiteral("lang"))) {
            language = node->getAttributeNS(QString(), QStringLiteral("lang"));
            found = true;
        }
    }
    if (language.isEmpty())
        return false;
    const QString lower = DOMStrings::asciiLower(language);
    for (const QString &range : ranges) {
        const QString wanted = DOMStrings::asciiLower(range);
        if (wanted.isEmpty())
            continue;
        if (lower == wanted || (lower.startsWith(wanted) && lower.at(wanted.size()) == QLatin1Char('-')))
            return true;
    }
    return false;
}

bool isEmptyElement(const DOMElement &element)
{
    for (const DOMNode *child = element.firstChild(); child; child = child->nextSibling()) {
        if (child->isElement() || (child->isText() && !child->nodeValue().isEmpty()))
            return false;
    }
    return true;
}

bool hasMatchingRelative(const DOMComplexSelector &relative, const DOMElement &anchor, const MatchContext &context)
{
    bool siblingsToo = relative.leadingCombinator == DOMCombinator::NextSibling
        || relative.leadingCombinator == DOMCombinator::SubsequentSibling;
    for (const DOMCompoundSelector &compound : relative.compounds) {
        if (compound.combinator == DOMCombinator::NextSibling
            || compound.combinator == DOMCombinator::SubsequentSibling)
            siblingsToo = true;
    }
    // One compound after a child or sibling combinator: only the children or
    // the following siblings can match.
    if (relative.compounds.size() == 1 && relative.leadingCombinator != DOMCombinator::Descendant) {
        const bool children = relative.leadingCombinator == DOMCombinator::Child;
        for (const DOMElement *candidate = children ? anchor.firstElementChild() : anchor.nextElementSibling();
             candidate; candidate = candidate->nextElementSibling()) {
            if (matchesComplex(relative, *candidate, context, &anchor))
                return true;
            if (relative.leadingCombinator == DOMCombinator::NextSibling)
                break;
        }
        return false;
    }
    // Candidates: the descendants, or, with sibling combinators, everything
    // after the anchor below the anchor's parent.
    const DOMNode *root = &anchor;
    const DOMNode *start = &anchor;
    if (siblingsToo) {
        root = anchor.parentNode();
        if (!root)
            return false;
        start = DOMTraversal::nextSkippingChildren(&anchor, root);
        if (!start)
            return false;
        if (start->isElement() && matchesComplex(relative, static_cast<const DOMElement &>(*start), context, &anchor))
            return true;
    }
    for (const DOMElement *element = DOMTraversal::nextElement(start, root); element;
         element = DOMTraversal::nextElement(element, root)) {
        if (matchesComplex(relative, *element, context, &anchor))
            return true;
    }
    return false;
}

bool matchesPseudoClass(const Simple &simple, const DOMElement &element, const MatchContext &context)
{
    switch (simple.pseudoClass) {
    case DOMPseudoClass::Root:
        return element.parentNode() && element.parentNode()->isDocument();
    case DOMPseudoClass::Empty:
        return isEmptyElement(element);
    case DOMPseudoClass::FirstChild:
        return element.parentNode() && !element.previousElementSibling();
    case DOMPseudoClass::LastChild:
        return element.parentNode() && !element.nextElementSibling();
    case DOMPseudoClass::OnlyChild:
        return element.parentNode() && !element.previousElementSibling() && !element.nextElementSibling();
    case DOMPseudoClass::NthChild:
        if (simple.argument && !matchesList(*simple.argument, element, context))
            return false;
        return element.parentNode()
            && simple.nth.matches(siblingPosition(element, false, false, simple.argument.get(), context));
    case DOMPseudoClass::NthLastChild:
        if (simple.argument && !matchesList(*simple.argument, element, context))
            return false;
        return element.parentNode()
            && simple.nth.matches(siblingPosition(element, true, false, simple.argument.get(), context));
    case DOMPseudoClass::FirstOfType:
        return element.parentNode() && hasNoSiblingOfType(element, false);
    case DOMPseudoClass::LastOfType:
        return element.parentNode() && hasNoSiblingOfType(element, true);
    case DOMPseudoClass::OnlyOfType:
        return element.parentNode() && hasNoSiblingOfType(element, false) && hasNoSiblingOfType(element, true);
    case DOMPseudoClass::NthOfType:
        return element.parentNode() && simple.nth.matches(siblingPosition(element, false, true, nullptr, context));
    case DOMPseudoClass::NthLastOfType:
        return element.parentNode() && simple.nth.matches(siblingPosition(element, true, true, nullptr, context));
    case DOMPseudoClass::Not:
        return !matchesList(*simple.argument, element, context);
    case DOMPseudoClass::Is:
        return matchesList(*simple.argument, element, context);
    case DOMPseudoClass::Has:
        for (const DOMComplexSelector &relative : simple.argument->selectors) {
            if (hasMatchingRelative(relative, element, context))
                return true;
        }
        return false;
    case DOMPseudoClass::Link:
        return isLink(element);
    case DOMPseudoClass::Checked:
        return isChecked(element);
    case DOMPseudoClass::Disabled:
        return canBeDisabled(element) && isDisabledFormElement(element);
    case DOMPseudoClass::Enabled:
        return canBeDisabled(element) && !isDisabledFormElement(element);
    case DOMPseudoClass::Required:
        return canBeRequired(element) && hasAttributeNamed(element, QStringLiteral("required"));
    case DOMPseudoClass::Optional:
        return canBeRequired(element) && !hasAttributeNamed(element, QStringLiteral("required"));
    case DOMPseudoClass::ReadOnly:
        return !isReadWrite(element);
    case DOMPseudoClass::ReadWrite:
        return isReadWrite(element);
    case DOMPseudoClass::PlaceholderShown:
        return isPlaceholderShown(element);
    case DOMPseudoClass::Lang:
        return matchesLanguage(element, simple.languages);
    case DOMPseudoClass::Scope:
        return context.scope ? &element == context.scope
                             : element.parentNode() && element.parentNode()->isDocument();
    case DOMPseudoClass::Defined:
        // Custom elements are taken as not defined: the mirror runs no script.
        return !element.isHTMLElement() || !element.localName().contains(QLatin1Char('-'));
    case DOMPseudoClass::Never:
        return false;
    }
    return false;
}

bool matchesSimple(const Simple &simple, const DOMElement &element, const MatchContext &context)
{
    switch (simple.kind) {
    case Simple::Kind::Type:
        if (simple.namespaceMatch == Simple::NamespaceMatch::None)
            return false; // Every element of an HTML document has a namespace.
        return element.isHTMLElement() ? element.localName() == simple.lowerName
                                       : element.localName() == simple.name;
    case Simple::Kind::Universal:
        return simple.namespaceMatch == Simple::NamespaceMatch::Any;
    case Simple::Kind::Id: {
        const QString value = element.getAttributeNS(QString(), QStringLiteral("id"));
        return !value.isNull() && equalsWithCase(value, simple.name, context.quirks);
    }
    case Simple::Kind::Class:
        for (const QString &className : element.classList()) {
            if (equalsWithCase(className, simple.name, context.quirks))
                return true;
        }
        return false;
    case Simple::Kind::Attribute:
        return matchesAttribute(simple, element);
    case Simple::Kind::PseudoClass:
        return matchesPseudoClass(simple, element, context);
    }
    return false;
}

bool matchesCompound(const DOMCompoundSelector &compound, const DOMElement &element, const MatchContext &context)
{
    for (const Simple &simple : compound.simples) {
        if (!matchesSimple(simple, element, context))
            return false;
    }
    return true;
}

// Compound index i of selector against element; index compounds.size() stands
// for the anchor of a relative selector.
MatchResult matchFrom(const DOMComplexSelector &selector, qsizetype index, const DOMElement &element,
                      const MatchContext &context, const DOMElement *anchor)
{
    const qsizetype count = selector.compounds.size();
    if (index == count) {
        if (&element == anchor)
            return MatchResult::Matches;
        return MatchResult::FailsLocally;
    }
    if (!matchesCompound(selector.compounds.at(index), element, context))
        return MatchResult::FailsLocally;
    const DOMCombinator combinator = index + 1 < count ? selector.compounds.at(index).combinator
                                                       : (anchor ? selector.leadingCombinator : DOMCombinator::None);
    const qsizetype next = index + 1;
    switch (combinator) {
    case DOMCombinator::None:
        return MatchResult::Matches;
    case DOMCombinator::Descendant:
        for (const DOMElement *ancestor = parentOf(element); ancestor; ancestor = parentOf(*ancestor)) {
            const MatchResult result = matchFrom(selector, next, *ancestor, context, anchor);
            if (result == MatchResult::Matches || result == MatchResult::FailsCompletely)
                return result;
        }
        return MatchResult::FailsCompletely;
    case DOMCombinator::Child: {
        const DOMElement *parent = parentOf(element);
        if (!parent)
            return MatchResult::FailsCompletely;
        return matchFrom(selector, next, *parent, context, anchor);
    }
    case DOMCombinator::NextSibling: {
        const DOMElement *sibling = element.previousElementSibling();
        if (!sibling)
            return MatchResult::FailsAllSiblings;
        return matchFrom(selector, next, *sibling, context, anchor);
    }
    case DOMCombinator::SubsequentSibling:
        for (const DOMElement *sibling = element.previousElementSibling(); sibling;
             sibling = sibling->previousElementSibling()) {
            const MatchResult result = matchFrom(selector, next, *sibling, context, anchor);
            if (result == MatchResult::Matches || result == MatchResult::FailsAllSiblings
                || result == MatchResult::FailsCompletely)
                return result;
        }
        return MatchResult::FailsAllSiblings;
    }
    return MatchResult::FailsCompletely;
}

bool matchesComplex(const DOMComplexSelector &selector, const DOMElement &element, const MatchContext &context,
                    const DOMElement *anchor)
{
    if (selector.hasPseudoElement || selector.compounds.isEmpty())
        return false;
    return matchFrom(selector, 0, element, context, anchor) == MatchResult::Matches;
}

bool matchesList(const DOMSelectorList &list, const DOMElement &element, const MatchContext &context)
{
    for (const DOMComplexSelector &selector : list.selectors) {
        if (matchesComplex(selector, element, context))
            return true;
    }
    return false;
}

// The elements of the index that may match the selector: those with the
// subject's id, else one of its classes, else its type, else all.
const QList<DOMElement *> &candidatesFor(const DOMComplexSelector &selector, const DOMDocumentIndex &index)
{
    const DOMCompoundSelector &subject = selector.compounds.constFirst();
    const Simple *byClass = nullptr;
    const Simple *byType = nullptr;
    for (const Simple &simple : subject.simples) {
        if (simple.kind == Simple::Kind::Id)
            return index.elementsWithId(simple.name);
        if (simple.kind == Simple::Kind::Class && !byClass)
            byClass = &simple;
        if (simple.kind == Simple::Kind::Type && simple.namespaceMatch == Simple::NamespaceMatch::Any)
            byType = &simple;
    }
    if (byClass)
        return index.elementsWithClass(byClass->name);
    if (byType)
        return index.elementsWithLocalName(byType->lowerName);
    return index.elements();
}

struct CacheEntry
{
    std::shared_ptr<const DOMSelectorList> list;
    QString error;
};

const CacheEntry &cachedParse(const QString &text)
{
    // Parsed selectors are kept per thread (DOM access belongs to the main
    // thread); the cache starts afresh when it has grown large. It holds the
    // rules of a page with two large frameworks (some 7,000 selectors), so
    // that listing an element's rules does not parse them all again.
    thread_local QHash<QString, CacheEntry> cache;
    auto it = cache.find(text);
    if (it != cache.end())
        return it.value();
    if (cache.size() >= 16384)
        cache.clear();
    CacheEntry entry;
    Result<std::shared_ptr<const DOMSelectorList>> parsed = DOMSelectorParser::parse(text);
    if (parsed) {
        entry.list = *parsed;
    } else {
        entry.error = parsed.error();
        // Not an error of the user's: the engine matches what the mirror does not read.
        qCInfo(lcWeb).noquote() << "selector not read by the mirror:" << text << "-" << entry.error;
    }
    return cache.insert(text, std::move(entry)).value();
}

// Calls visit for each matching element below root in tree order until it answers false.
template<typename Visit>
void collect(const DOMNode &root, const DOMSelectorList &list, Visit visit)
{
    if (!root.isElement() && !root.isDocument() && !root.isDocumentFragment())
        return;
    const DOMDocument *document =
        root.isDocument() ? static_cast<const DOMDocument *>(&root) : root.ownerDocument();
    MatchContext context;
    context.scope = root.isElement() ? static_cast<const DOMElement *>(&root) : nullptr;
    context.quirks = document && document->isQuirksMode();

    if (!document || !(root.isDocument() || (root.isElement() && root.isConnected()))) {
        for (const DOMElement *element = DOMTraversal::nextElement(&root, &root); element;
             element = DOMTraversal::nextElement(element, &root)) {
            if (matchesList(list, *element, context) && !visit(*element))
                return;
        }
        return;
    }

    const DOMDocumentIndex &index = document->index();
    // The ordinals of root's descendants: (low, high].
    int low = -1;
    int high = int(index.elements().size()) - 1;
    if (context.scope) {
        low = context.scope->treePosition().ordinal;
        high = context.scope->treePosition().lastDescendant;
    }
    const auto inRange = [&](const QList<DOMElement *> &candidates) {
        const auto first = std::upper_bound(candidates.cbegin(), candidates.cend(), low,
                                            [](int ordinal, const DOMElement *e) { return ordinal < e->treePosition().ordinal; });
        return first;
    };
    if (list.selectors.size() == 1) {
        const DOMComplexSelector &selector = list.selectors.constFirst();
        if (selector.hasPseudoElement)
            return;
        const QList<DOMElement *> &candidates = candidatesFor(selector, index);
        for (auto it = inRange(candidates); it != candidates.cend() && (*it)->treePosition().ordinal <= high; ++it) {
            if (matchesComplex(selector, **it, context) && !visit(**it))
                return;
        }
        return;
    }
    // Several selectors: mark the matches of each, then visit in tree order.
    std::vector<bool> matched(index.elements().size(), false);
    for (const DOMComplexSelector &selector : list.selectors) {
        if (selector.hasPseudoElement)
            continue;
        const QList<DOMElement *> &candidates = candidatesFor(selector, index);
        for (auto it = inRange(candidates); it != candidates.cend() && (*it)->treePosition().ordinal <= high; ++it) {
            if (!matched[(*it)->treePosition().ordinal] && matchesComplex(selector, **it, context))
                matched[(*it)->treePosition().ordinal] = true;
        }
    }
    for (int ordinal = low + 1; ordinal <= high; ++ordinal) {
        if (matched[ordinal] && !visit(*index.elements().at(ordinal)))
            return;
    }
}

} // namespace

Result<std::shared_ptr<const DOMSelectorList>> DOMSelectorEngine::parse(const QString &selectors)
{
    const CacheEntry &entry = cachedParse(selectors);
    if (!entry.list)
        return Result<std::shared_ptr<const DOMSelectorList>>::failure(entry.error);
    return entry.list;
}

bool DOMSelectorEngine::matches(const DOMElement &element, const QString &selectors)
{
    const CacheEntry &entry = cachedParse(selectors);
    if (!entry.list)
        return false;
    const std::shared_ptr<const DOMSelectorList> list = entry.list;
    return matches(element, *list, &element);
}

bool DOMSelectorEngine::matchesWithPseudoElements(const DOMElement &element, const DOMSelectorList &list)
{
    MatchContext context;
    context.scope = &element;
    const DOMDocument *document = element.ownerDocument();
    context.quirks = document && document->isQuirksMode();
    for (const DOMComplexSelector &selector : list.selectors) {
        if (!selector.hasPseudoElement) {
            if (matchesComplex(selector, element, context))
                return true;
            continue;
        }
        // The compounds name the element that has the pseudo-element.
        if (selector.compounds.isEmpty() || !DOMPseudoElements::isPseudoElementOf(element, selector.pseudoElement))
            continue;
        if (matchFrom(selector, 0, element, context, nullptr) == MatchResult::Matches)
            return true;
    }
    return false;
}

bool DOMSelectorEngine::matches(const DOMElement &element, const DOMSelectorList &list, const DOMElement *scope)
{
    MatchContext context;
    context.scope = scope ? scope : &element;
    const DOMDocument *document = element.ownerDocument();
    context.quirks = document && document->isQuirksMode();
    return matchesList(list, element, context);
}

DOMNodeList DOMSelectorEngine::querySelectorAll(const DOMNode &root, const QString &selectors)
{
    const CacheEntry &entry = cachedParse(selectors);
    if (!entry.list)
        return {};
    const std::shared_ptr<const DOMSelectorList> list = entry.list;
    QList<DOMNodePtr> found;
    found.reserve(64);
    collect(root, *list, [&found](const DOMElement &element) {
        found.append(const_cast<DOMElement &>(element).shared_from_this());
        return true;
    });
    return DOMNodeList(std::move(found));
}

DOMElement *DOMSelectorEngine::querySelector(const DOMNode &root, const QString &selectors)
{
    const CacheEntry &entry = cachedParse(selectors);
    if (!entry.list)
        return nullptr;
    const std::shared_ptr<const DOMSelectorList> list = entry.list;
    const DOMElement *first = nullptr;
    collect(root, *list, [&first](const DOMElement &element) {
        first = &element;
        return false;
    });
    return const_cast<DOMElement *>(first);
}

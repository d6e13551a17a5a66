// CSSOutlineDelegate: collecting the rows of the rules that apply to an
// element (or of every rule), pairing live rules with the parsed items of
// their files and sorting by specificity.

#include "CSSOutlineDelegate.h"

#include "CSSCascade.h"
#include "CSSRules_p.h"
#include "StyleSheetPairing.h"

#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMMediaList.h"
#include "platform/web/cssom/DOMSelectorSpecificity.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/cssom/UserAgentStyleSheet.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSelectorEngine.h"
#include "platform/web/engine/WebEngineCache.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "workspace/File.h"
#include "workspace/StyleSheetAddress.h"

#include <QFileInfo>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <optional>

namespace {

using StringVendarPrefix::formalPropertyName;

// Every occurrence of a pseudo-class or pseudo-element name (":hover") taken
// out of a selector, quoted text aside; a longer name it begins
// (":active-view-transition") stays. A compound left empty becomes "*", so
// that "*, ::before" still names every element.
QString withoutPseudo(const QString &selector, QLatin1String name)
{
    using CSSRulesPrivate::isWhite;
    // Most selectors name none of the pseudo-classes taken out.
    if (!selector.contains(name, Qt::CaseInsensitive))
        return selector;
    QString kept;
    kept.reserve(selector.size());
    QChar quote;
    const qsizetype size = selector.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = selector.at(i);
        if (!quote.isNull()) {
            kept += c;
            if (c == u'\\' && i + 1 < size)
                kept += selector.at(++i);
            else if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            kept += c;
            continue;
        }
        const qsizetype end = i + name.size();
        const bool named = QStringView(selector).sliced(i).startsWith(name, Qt::CaseInsensitive)
                           && (end >= size || !(selector.at(end).isLetterOrNumber() || selector.at(end) == u'-'
                                                || selector.at(end) == u'_' || selector.at(end) == u'('));
        if (!named) {
            kept += c;
            continue;
        }
        const QChar before = kept.isEmpty() ? QChar() : kept.back();
        const QChar after = end < size ? selector.at(end) : QChar();
        if ((before.isNull() || isWhite(before) || QStringView(u">+~,(").contains(before))
            && (after.isNull() || isWhite(after) || after == u',' || after == u')'))
            kept += u'*';
        i = end - 1;
    }
    return kept;
}

} // namespace

namespace CSSRulesPrivate {

QString withoutStates(const QString &selector)
{
    if (!selector.contains(u':'))
        return selector;
    QString text = selector;
    for (const char *state : {":link", ":hover", ":active", ":visited"})
        text = withoutPseudo(text, QLatin1String(state));
    return text;
}

} // namespace CSSRulesPrivate

namespace {

using CSSRulesPrivate::withoutStates;

// The selector a rule's matches are counted and shown by, as text: without
// the states, and without the four old pseudo-elements, so that one for
// p::first-line counts every paragraph.
QString strippedSelector(const QString &selector)
{
    if (!selector.contains(u':'))
        return selector;
    QString text = withoutStates(selector);
    text.replace(QLatin1String("::"), QLatin1String(":"));
    for (const char *part : {":before", ":after", ":first-letter", ":first-line"})
        text = withoutPseudo(text, QLatin1String(part));
    return text;
}

bool isHeadElement(const QString &name)
{
    static const QSet<QString> names{QStringLiteral("head"), QStringLiteral("script"), QStringLiteral("meta"),
                                     QStringLiteral("link"), QStringLiteral("title")};
    return names.contains(name.toLower());
}

bool nameMatchesSearch(const QString &name, const QString &search)
{
    return name.contains(search);
}

// The children of a row cut down to those whose name holds the search text.
QList<CSSRulePtr> searched(const QList<CSSRulePtr> &rows, const QString &search)
{
    QList<CSSRulePtr> kept;
    for (const CSSRulePtr &row : rows) {
        if (nameMatchesSearch(row->propName(), search))
            kept.append(row);
    }
    return kept;
}

bool isGroupingRule(const DOMCSSRule &rule)
{
    return rule.type() == DOMCSSRule::SUPPORTS_RULE
           || (rule.type() == DOMCSSRule::UNKNOWN_RULE && rule.cssRules().length() > 0);
}

// The rules from the last to the first (the later rule first), each with the
// item it is paired with, and the rules of @supports and of other grouping
// at-rules as the sheet's own; an import rule comes with no item.
void walkPairedRules(const DOMCSSRuleList &rules, const StyleSheetPairing *pairing,
                     const std::function<void(const DOMCSSRulePtr &, const StyleDeclarationPtr &)> &visit)
{
    for (int index = rules.length() - 1; index >= 0; --index) {
        const DOMCSSRulePtr rule = rules.item(index);
        if (rule->type() == DOMCSSRule::IMPORT_RULE) {
            visit(rule, nullptr);
            continue;
        }
        const StyleDeclarationPtr declaration = pairing ? pairing->declarationOf(rule.get()) : nullptr;
        if (!declaration)
            continue;
        declaration->setStyleIndex(index);
        if (isGroupingRule(*rule))
            walkPairedRules(rule->cssRules(), pairing, visit);
        else
            visit(rule, declaration);
    }
}

} // namespace

// --- Pairing ------------------------------------------------------------------------------------

File *CSSOutlineDelegate::fileOfSheet(const DOMCSSStyleSheetPtr &sheet) const
{
    if (!sheet)
        return nullptr;
    File *file = StyleSheetAddress::fileOf(sheet->href(), sheetFileCandidates());
    // A file linked again stands in its last sheet alone; a sheet that left
    // the page keeps its file.
    const DOMCSSStyleSheetPtr standing = styleSheetWithFile(file);
    return file && (!standing || standing == sheet) ? file : nullptr;
}

std::shared_ptr<StyleSheetPairing> CSSOutlineDelegate::pairingOf(const DOMCSSStyleSheetPtr &sheet, File *file)
{
    if (!sheet || !file)
        return nullptr;
    const QList<StyleDeclarationPtr> declarations = styleDeclarationsOf(file);
    std::shared_ptr<StyleSheetPairing> &pairing = m_pairings[sheet.get()];
    if (pairing && pairing->file() == file) {
        // Brought up to date with what the edits changed, if anything.
        const int unpaired = pairing->unpairedCount();
        const int dropped = pairing->droppedCount();
        if (!pairing->update(declarations) || (pairing->unpairedCount() <= unpaired && pairing->droppedCount() <= dropped))
            return pairing;
    } else {
        pairing = std::make_shared<StyleSheetPairing>(sheet, file, declarations);
    }
    if (pairing->unpairedCount() > 0)
        QM_INFO(QStringLiteral("%1 rule(s) of the page's copy of %2 stand in no rule of its text; they are not listed")
                    .arg(pairing->unpairedCount())
                    .arg(file->path()));
    if (pairing->droppedCount() > 0)
        QM_INFO(QStringLiteral("%1 rule(s) of %2 are not in the page (it could not read them); they are not listed, "
                               "and their text stays as it is")
                    .arg(pairing->droppedCount())
                    .arg(file->path()));
    return pairing;
}

StyleDeclarationPtr CSSOutlineDelegate::getStyleDeclarationByStyleRule(const DOMCSSRulePtr &rule,
                                                                      const QList<StyleDeclarationPtr> &declarations) const
{
    if (!rule)
        return nullptr;
    const QString key = StyleSheetPairing::keyOfRule(*rule);
    for (const StyleDeclarationPtr &declaration : declarations) {
        if (!declaration->isRemoved() && StyleSheetPairing::keyOfDeclaration(*declaration) == key)
            return declaration;
    }
    return nullptr;
}

void CSSOutlineDelegate::mapMediaChildrenRule(const CSSRulePtr &mediaRow, const StyleDeclarationPtr &declaration)
{
    const DOMCSSRulePtr media = mediaRow->rule();
    DOMCSSStyleSheetPtr sheet = media ? media->parentStyleSheet() : nullptr;
    for (DOMCSSRulePtr parent = media ? media->parentRule() : nullptr; !sheet && parent; parent = parent->parentRule())
        sheet = parent->parentStyleSheet();
    File *file = declaration ? declaration->parentFile() : nullptr;
    const std::shared_ptr<StyleSheetPairing> pairing = pairingOf(sheet, file);
    for (const CSSRulePtr &child : mediaRow->children()) {
        // Each inner rule with the item its live rule was paired with.
        const StyleDeclarationPtr inner = pairing ? pairing->declarationOf(child->rule().get()) : nullptr;
        if (inner && !inner->isRemoved()) {
            child->setStyleDeclaration(inner);
            child->setFile(inner->parentFile());
        }
    }
}

QString CSSOutlineDelegate::pseudoStrippedSelector(const QString &selector)
{
    return strippedSelector(selector);
}

// --- Matching --------------------------------------------------------------------------------

bool CSSOutlineDelegate::isMatchedElement(DOMNode *node, const QString &selector) const
{
    // An at-rule's prelude is no selector.
    if (!node || !node->isElement() || selector.trimmed().startsWith(u'@'))
        return false;
    const std::shared_ptr<const DOMSelectorList> &list = readSelector(selector);
    return list && DOMSelectorEngine::matchesWithPseudoElements(*static_cast<const DOMElement *>(node), *list);
}

const std::shared_ptr<const DOMSelectorList> &CSSOutlineDelegate::readSelector(const QString &selector) const
{
    // Stripped and parsed once for every element: a large sheet has thousands
    // of selectors, and each selection meets them all (#81).
    auto it = m_readSelectors.constFind(selector);
    if (it == m_readSelectors.cend()) {
        if (m_readSelectors.size() >= kReadSelectorsLimit)
            m_readSelectors.clear();
        const Result<std::shared_ptr<const DOMSelectorList>> parsed = DOMSelectorEngine::parse(withoutStates(selector));
        it = m_readSelectors.insert(selector, parsed ? *parsed : nullptr);
    }
    return it.value();
}

CSSOutlineDelegate::SelectorMatch CSSOutlineDelegate::selectorMatch(DOMElement *element,
                                                                    const StyleDeclaration &declaration) const
{
    const DOMDocument *doc = element->ownerDocument();
    const quint64 mutationVersion = doc ? doc->mutationVersion() : 0;
    if (m_matchMemo.element.lock().get() != element || m_matchMemo.mutationVersion != mutationVersion) {
        m_matchMemo.element = element->weak_from_this();
        m_matchMemo.mutationVersion = mutationVersion;
        m_matchMemo.answers.clear();
    }
    const auto known = m_matchMemo.answers.constFind(&declaration);
    if (known != m_matchMemo.answers.cend() && known->first == declaration.selector())
        return known->second;
    const std::shared_ptr<const DOMSelectorList> &list = readSelector(declaration.selector());
    const SelectorMatch match = !list                                                     ? SelectorMatch::Unreadable
                                : DOMSelectorEngine::matchesWithPseudoElements(*element, *list) ? SelectorMatch::Yes
                                                                                                : SelectorMatch::No;
    m_matchMemo.answers.insert(&declaration, {declaration.selector(), match});
    return match;
}

bool CSSOutlineDelegate::appliesTo(DOMElement *element, const StyleDeclarationPtr &declaration,
                                   const DOMCSSRulePtr &rule) const
{
    // Only style rules select elements; an at-rule (@font-face, @page) never
    // goes to the selector reader.
    if (!element || !declaration || (rule && rule->type() != DOMCSSRule::STYLE_RULE))
        return false;
    // A rule of an @supports block whose condition the page answers "false"
    // does not apply.
    auto *engine = element->ownerDocument() ? dynamic_cast<WebEngineCache *>(element->ownerDocument()->engineQueries()) : nullptr;
    for (DOMCSSRulePtr parent = rule ? rule->parentRule() : nullptr; engine && parent; parent = parent->parentRule()) {
        if (parent->type() == DOMCSSRule::SUPPORTS_RULE && engine->supportsCondition(parent->conditionText()) == false)
            return false;
    }
    // Where the mirror cannot match the selector (one it does not read, or a
    // rule nested in another), the engine's own list of matched rules decides.
    const SelectorMatch match = selectorMatch(element, *declaration);
    if (rule && ((rule->parentRule() && rule->parentRule()->type() == DOMCSSRule::STYLE_RULE)
                 || match == SelectorMatch::Unreadable))
        return m_engineMatched.contains(rule.get());
    return match == SelectorMatch::Yes;
}

// --- Rows ----------------------------------------------------------------------------------------

CSSRulePtr CSSOutlineDelegate::rowFor(const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration, bool searchOn)
{
    if (!declaration || declaration->isRemoved())
        return nullptr;
    const int type = declaration->type();
    if (searchOn && type != RuleType::Media && type != RuleType::Keyframes) {
        bool any = false;
        for (const CSSPropertyPtr &property : declaration->properties()) {
            property->setVisible(nameMatchesSearch(property->property(), m_ruleSearchText));
            any = any || property->isVisible();
        }
        if (!any)
            return nullptr;
    } else {
        for (const CSSPropertyPtr &property : declaration->properties())
            property->setVisible(true);
    }
    CSSRulePtr row = CSSRule::initWithRule(rule);
    row->setStyleDeclaration(declaration);
    row->setFile(declaration->parentFile());
    if (type == RuleType::Media)
        mapMediaChildrenRule(row, declaration);
    return row;
}

QList<CSSRulePtr> CSSOutlineDelegate::getCSSRulesInStyleSheet(const DOMCSSStyleSheetPtr &sheet, bool ignoreFilter)
{
    return rowsOfSheet(sheet, ignoreFilter, nullptr);
}

const CSSOutlineDelegate::SheetHits &CSSOutlineDelegate::hitsOf(const DOMCSSStyleSheetPtr &sheet, DOMElement *element)
{
    const std::shared_ptr<StyleSheetPairing> pairing = pairingOf(sheet, fileOfSheet(sheet));
    const DOMDocument *doc = element->ownerDocument();
    const quint64 mutationVersion = doc ? doc->mutationVersion() : 0;
    const quint64 pairingStamp = pairing ? pairing->stamp() : 0;
    SheetHits &memo = m_sheetHits[sheet.get()];
    if (memo.element.lock().get() == element && memo.mutationVersion == mutationVersion
        && memo.rulesStamp == sheet->rulesStamp() && memo.pairingStamp == pairingStamp
        && memo.selectorStamp == StyleDeclaration::selectorStamp())
        return memo;
    memo = SheetHits();
    memo.element = element->weak_from_this();
    memo.mutationVersion = mutationVersion;
    memo.rulesStamp = sheet->rulesStamp();
    memo.pairingStamp = pairingStamp;
    memo.selectorStamp = StyleDeclaration::selectorStamp();
    // Whether the rule's selector may match: the mirror's answer, or the
    // engine's where only the engine can tell (appliesTo() decides then).
    const auto mayApply = [element](const SheetRules::Rule &rule) {
        return !rule.declaration->isRemoved()
               && (rule.nested || !rule.selector || DOMSelectorEngine::matchesWithPseudoElements(*element, *rule.selector));
    };
    const SheetRules &rules = rulesOf(sheet, pairing.get());
    for (const SheetRules::Entry &entry : rules.entries) {
        if (entry.isImport) {
            memo.hits.append({entry.rule.rule, nullptr, {}, entry.rule.rule->styleSheet()});
            continue;
        }
        if (!entry.isMedia) {
            if (mayApply(entry.rule))
                memo.hits.append({entry.rule.rule, entry.rule.declaration, {}, nullptr});
            continue;
        }
        // An element's media block lists only the rules that apply to the element.
        if (entry.rule.declaration->isRemoved())
            continue;
        SheetHits::Hit hit{entry.rule.rule, entry.rule.declaration, {}, nullptr};
        for (const SheetRules::Rule &child : entry.inner) {
            if (mayApply(child))
                hit.inner.append({child.rule, child.declaration});
        }
        memo.hits.append(hit);
    }
    memo.mediaRules = rules.mediaRules;
    memo.supportsConditions = rules.supportsConditions;
    return memo;
}

const CSSOutlineDelegate::SheetRules &CSSOutlineDelegate::rulesOf(const DOMCSSStyleSheetPtr &sheet,
                                                                   const StyleSheetPairing *pairing)
{
    const quint64 pairingStamp = pairing ? pairing->stamp() : 0;
    SheetRules &made = m_sheetRules[sheet.get()];
    if (made.isMade && made.rulesStamp == sheet->rulesStamp() && made.pairingStamp == pairingStamp
        && made.selectorStamp == StyleDeclaration::selectorStamp())
        return made;
    made = SheetRules();
    made.isMade = true;
    made.rulesStamp = sheet->rulesStamp();
    made.pairingStamp = pairingStamp;
    made.selectorStamp = StyleDeclaration::selectorStamp();
    // Only style rules select elements; the engine matches a nested one.
    const auto styleRule = [this](const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration) {
        const DOMCSSRulePtr parent = rule->parentRule();
        SheetRules::Rule made{rule, declaration, nullptr, parent && parent->type() == DOMCSSRule::STYLE_RULE};
        if (!made.nested)
            made.selector = readSelector(declaration->selector());
        return made;
    };
    walkPairedRules(sheet->cssRules(), pairing, [&](const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration) {
        if (!declaration) {
            made.entries.append({{rule, nullptr, nullptr, false}, {}, true, false});
            return;
        }
        if (declaration->type() == RuleType::Keyframes)
            return;
        if (declaration->type() != RuleType::Media) {
            if (rule->type() == DOMCSSRule::STYLE_RULE)
                made.entries.append({styleRule(rule, declaration), {}, false, false});
            return;
        }
        SheetRules::Entry block{{rule, declaration, nullptr, false}, {}, false, true};
        const DOMCSSRuleList inner = rule->cssRules();
        for (int i = inner.length() - 1; i >= 0; --i) {
            const DOMCSSRulePtr child = inner.item(i);
            const StyleDeclarationPtr childDeclaration = pairing->declarationOf(child.get());
            if (childDeclaration && child->type() == DOMCSSRule::STYLE_RULE)
                block.inner.append(styleRule(child, childDeclaration));
        }
        made.entries.append(block);
    });
    const std::function<void(const DOMCSSRuleList &)> collectMedia = [&](const DOMCSSRuleList &rules) {
        for (int i = 0; i < rules.length(); ++i) {
            const DOMCSSRulePtr rule = rules.item(i);
            if (rule->type() == DOMCSSRule::MEDIA_RULE)
                made.mediaRules.append(rule);
            if (rule->type() == DOMCSSRule::SUPPORTS_RULE)
                made.supportsConditions.append(rule->conditionText());
            if (rule->type() == DOMCSSRule::MEDIA_RULE || isGroupingRule(*rule))
                collectMedia(rule->cssRules());
        }
    };
    collectMedia(sheet->cssRules());
    return made;
}

QList<CSSRulePtr> CSSOutlineDelegate::rowsOfSheet(const DOMCSSStyleSheetPtr &sheet, bool ignoreFilter, DOMElement *element)
{
    QList<CSSRulePtr> rows;
    if (!sheet)
        return rows;
    if (!sheet->isReadable()) {
        tellOnce(unreadableSheetNote(*sheet));
        return rows;
    }
    const bool searchOn = !ignoreFilter && !m_ruleSearchText.isEmpty();
    // Whether some of the item's declarations are shown: all of them without
    // a search, those whose name holds the search text with one.
    const auto showsDeclarations = [&](const StyleDeclarationPtr &declaration) {
        bool any = false;
        for (const CSSPropertyPtr &property : declaration->properties()) {
            property->setVisible(!searchOn || nameMatchesSearch(property->property(), m_ruleSearchText));
            any = any || property->isVisible();
        }
        return any || !searchOn;
    };
    if (element) {
        // The hits are copied: an imported sheet's own may move them.
        const QList<SheetHits::Hit> hits = hitsOf(sheet, element).hits;
        for (const SheetHits::Hit &hit : hits) {
            if (hit.imported) {
                rows += rowsOfSheet(hit.imported, ignoreFilter, element);
                continue;
            }
            if (hit.declaration->isRemoved())
                continue;
            if (hit.declaration->type() != RuleType::Media) {
                const CSSRulePtr row = appliesTo(element, hit.declaration, hit.rule) ? rowFor(hit.rule, hit.declaration, searchOn)
                                                                                     : nullptr;
                if (row)
                    rows.append(row);
                continue;
            }
            CSSRulePtr row = CSSRule::initWithRule(hit.rule);
            row->setStyleDeclaration(hit.declaration);
            row->setFile(hit.declaration->parentFile());
            QList<CSSRulePtr> children;
            for (const auto &[child, childDeclaration] : hit.inner) {
                if (childDeclaration->isRemoved() || !appliesTo(element, childDeclaration, child)
                    || !showsDeclarations(childDeclaration))
                    continue;
                CSSRulePtr childRow = CSSRule::initWithRule(child);
                childRow->setOwnerRule(row);
                childRow->setMediaOwner(row);
                childRow->setStyleDeclaration(childDeclaration);
                childRow->setFile(childDeclaration->parentFile());
                children.append(childRow);
            }
            row->setChildren(children);
            rows.append(row);
        }
        return rows;
    }
    const std::shared_ptr<StyleSheetPairing> pairing = pairingOf(sheet, fileOfSheet(sheet));
    walkPairedRules(sheet->cssRules(), pairing.get(), [&](const DOMCSSRulePtr &rule, const StyleDeclarationPtr &declaration) {
        if (!declaration)
            rows += rowsOfSheet(rule->styleSheet(), ignoreFilter, element);
        else if (const CSSRulePtr row = rowFor(rule, declaration, searchOn))
            rows.append(row);
    });
    return rows;
}

QList<StyleDeclarationPtr> CSSOutlineDelegate::getParsedStyleDeclarationsByElement(DOMNode *element)
{
    QList<StyleDeclarationPtr> taken;
    for (File *file : getSortedStyleFiles()) {
        for (const StyleDeclarationPtr &declaration : styleDeclarationsOf(file)) {
            const int type = declaration->type();
            if (type != RuleType::Style && type != RuleType::Media && type != RuleType::Keyframes)
                continue;
            if (declaration->selector().isEmpty() || declaration->isInBraket())
                continue;
            if (element && type != RuleType::Media && !isMatchedElement(element, declaration->selector()))
                continue;
            taken.prepend(declaration);
        }
    }
    return taken;
}

QList<CSSRulePtr> CSSOutlineDelegate::defaultRuleRows(DOMElement *element, bool searchOn)
{
    QList<CSSRulePtr> rows;
    DOMDocument *doc = document();
    if (!doc)
        return rows;
    for (const DOMMatchedRule &matched : doc->getNonAuthorMatchedCSSRules(element, QString())) {
        DOMCSSRulePtr rule = UserAgentStyleSheet::instance().ruleForId(matched.ruleId);
        if (!rule) {
            const std::optional<DOMCSSParsedRule> parsed = DOMCSSParser::parseRule(matched.cssText);
            if (!parsed)
                continue;
            rule = DOMCSSRule::fromParsed(*parsed, 0);
        }
        CSSRulePtr row = CSSRule::initWithRuleWithWebkitBasicStyle(rule);
        if (searchOn)
            row->setChildren(searched(row->children(), m_ruleSearchText));
        if (row->numberOfChildren() > 0)
            rows.append(row);
    }
    return rows;
}

// --- Collection -------------------------------------------------------------------------------

QList<CSSRulePtr> CSSOutlineDelegate::rulesByElement(DOMNode *node, int kind, bool ignoreFilter)
{
    if (node && node->isCharacterData())
        node = node->parentNode();
    auto *element = node && node->isElement() ? static_cast<DOMElement *>(node) : nullptr;
    const bool searchOn = !ignoreFilter && !m_ruleSearchText.isEmpty();
    QStringList filterNames;
    if (!ignoreFilter && m_styleSheetsManagerDelegate) {
        for (File *file : m_styleSheetsManagerDelegate->filterFiles())
            filterNames.append(file->displayName());
    }
    DOMDocument *doc = element ? element->ownerDocument() : document();
    if (!doc)
        return {};

    if (kind == ElementKind) {
        if (!element)
            return {};
        if (isHeadElement(element->localName())) {
            clearRuleList();
            return {};
        }
        m_lastSelectedElement = element->shared_from_this();
        m_engineMatched.clear();
        const DOMStyleSheetList &sheets = doc->styleSheets();
        for (const DOMMatchedRule &matched : doc->getMatchedCSSRules(element, QString(), true)) {
            if (const DOMCSSRulePtr rule = sheets.ruleForId(matched.ruleId))
                m_engineMatched.insert(rule.get());
        }
    }

    QList<CSSRulePtr> list;
    DOMStyleSheetList &sheets = doc->styleSheets();
    for (int i = sheets.length() - 1; i >= 0; --i)
        list += rowsOfSheet(sheets.item(i), ignoreFilter, kind == ElementKind ? element : nullptr);
    m_rulesBuckUp = list;

    if (kind == ElementKind) {
        WebEngineCache *engine = dynamic_cast<WebEngineCache *>(doc->engineQueries());
        QList<CSSRulePtr> kept;
        for (const CSSRulePtr &row : std::as_const(list)) {
            if (row->styleDeclaration()->type() != RuleType::Media) {
                kept.append(row);
                continue;
            }
            // A media block whose query the page answers "false" does not apply.
            const DOMMediaListPtr media = row->rule()->media();
            const std::optional<bool> holds = engine && media ? engine->matchMedia(media->mediaText()) : std::nullopt;
            if (holds && !*holds)
                continue;
            // Its rules that apply to the element were chosen as it was made.
            QList<CSSRulePtr> inner = row->children();
            sortRows(inner);
            row->setChildren(inner);
            if (!inner.isEmpty())
                kept.append(row);
        }
        list = kept;
        sortRows(list);

        // The computed style first, the browser's default rules last.
        const DOMComputedStyle computed = doc->getComputedStyle(element, QString());
        DOMCSSStyleDeclarationPtr style = doc->createCSSStyleDeclaration();
        QList<DOMCSSDeclaration> items;
        for (const auto &[name, value] : computed)
            items.append({name, value, QString()});
        style->resetFromEngine(QString(), items);
        CSSRulePtr computedRow = CSSRule::initWithDeclalation(style);
        computedRow->reloadChildren();
        if (searchOn)
            computedRow->setChildren(searched(computedRow->children(), m_ruleSearchText));
        list.prepend(computedRow);
        list += defaultRuleRows(element, searchOn);
        checkOverridden(list);
    } else if (kind == KeyframesKind) {
        QList<CSSRulePtr> kept;
        for (const CSSRulePtr &row : std::as_const(list)) {
            if (row->styleDeclaration()->type() != RuleType::Keyframes)
                continue;
            if (searchOn) {
                QList<CSSRulePtr> keyframes;
                for (const CSSRulePtr &keyframe : row->children()) {
                    keyframe->setChildren(searched(keyframe->children(), m_ruleSearchText));
                    if (keyframe->numberOfChildren() > 0)
                        keyframes.append(keyframe);
                }
                if (keyframes.isEmpty())
                    continue;
                row->setChildren(keyframes);
            }
            kept.append(row);
        }
        list = kept;
    } else if (kind == AllKind) {
        for (const CSSRulePtr &row : std::as_const(list)) {
            if (row->styleDeclaration()->type() != RuleType::Media)
                continue;
            if (searchOn) {
                QList<CSSRulePtr> inner;
                for (const CSSRulePtr &child : row->children()) {
                    if (!child->styleDeclaration())
                        continue;
                    bool any = false;
                    for (const CSSPropertyPtr &property : child->styleDeclaration()->properties()) {
                        property->setVisible(nameMatchesSearch(property->property(), m_ruleSearchText));
                        any = any || property->isVisible();
                    }
                    if (any)
                        inner.append(child);
                }
                row->setChildren(inner);
            } else if (row->numberOfChildren() > 1) {
                // The block's last rule (its rows stand in reverse order).
                row->setChildren({row->children().constFirst()});
            }
        }
    } else if (kind == MediaKind) {
        list.removeIf([](const CSSRulePtr &row) { return row->styleDeclaration()->type() != RuleType::Media; });
    }

    if (!filterNames.isEmpty()) {
        list.removeIf([&filterNames](const CSSRulePtr &row) {
            if (row->computedStyleDec() || row->isWebKitStyle())
                return false;
            File *file = row->relatedFile();
            return !file || !filterNames.contains(QFileInfo(file->path()).fileName());
        });
    }
    return list;
}

// --- Sorting -----------------------------------------------------------------------------------

void CSSOutlineDelegate::sortRows(QList<CSSRulePtr> &rows) const
{
    DOMElement *element = lastSelectedElement();
    // The specificity of the most specific part of a row's selector list
    // that matches the element (the most specific part where none does, as
    // for a rule only the engine could match); rows of no selector compare
    // equal to all.
    struct Keyed
    {
        CSSRulePtr row;
        DOMSelectorSpecificity specificity;
    };
    QList<Keyed> keyed;
    keyed.reserve(rows.size());
    for (const CSSRulePtr &row : std::as_const(rows)) {
        QString selector;
        const int type = row->styleDeclaration() ? row->styleDeclaration()->type() : RuleType::Other;
        if (type == RuleType::Style)
            selector = row->propName();
        else if (type == RuleType::Media && row->numberOfChildren() > 0)
            selector = row->children().constLast()->propName();
        DOMSelectorSpecificity ofMatched;
        DOMSelectorSpecificity ofAll;
        bool matched = false;
        for (const QString &part : DOMCSSParser::splitTopLevel(selector, u',')) {
            const QString trimmed = part.trimmed();
            if (trimmed.isEmpty())
                continue;
            const DOMSelectorSpecificity each = DOMSelectorSpecificity::of(trimmed);
            ofAll = std::max(ofAll, each);
            if (element && isMatchedElement(element, trimmed)) {
                ofMatched = std::max(ofMatched, each);
                matched = true;
            }
        }
        keyed.append({row, matched ? ofMatched : ofAll});
    }
    // Higher first; equal ones keep the collection order (the later rule first).
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const Keyed &a, const Keyed &b) { return b.specificity < a.specificity; });
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows[i] = keyed.at(i).row;
}

// --- Fixed collections and the cache -----------------------------------------------------------

const QList<CSSRulePtr> &CSSOutlineDelegate::allCSSRules()
{
    if (!m_allCSSRulesCached) {
        m_allCSSRulesCache.clear();
        if (DOMDocument *doc = document()) {
            DOMStyleSheetList &sheets = doc->styleSheets();
            for (int i = sheets.length() - 1; i >= 0; --i)
                m_allCSSRulesCache += getCSSRulesInStyleSheet(sheets.item(i), false);
        }
        m_allCSSRulesCached = true;
    }
    return m_allCSSRulesCache;
}

void CSSOutlineDelegate::clearAllCSSRuleCache()
{
    retire(m_allCSSRulesCache);
    m_allCSSRulesCache.clear();
    m_allCSSRulesCached = false;
}

QList<CSSRulePtr> CSSOutlineDelegate::getAnimations()
{
    return rulesByElement(nullptr, KeyframesKind, true);
}

QList<CSSRulePtr> CSSOutlineDelegate::getAlls()
{
    return rulesByElement(nullptr, AllKind, true);
}

// --- Asking the engine ahead ----------------------------------------------------------------------

void CSSOutlineDelegate::readSheetsAheadLater()
{
    // Once what made the page the panel's has run.
    DelayedPerform::cancel(this, "readSheetsAhead", {});
    DelayedPerform::perform(this, "readSheetsAhead", {}, 0.0, [this] { readSheetsAhead(); });
}

void CSSOutlineDelegate::readSheetsAhead()
{
    DOMDocument *doc = document();
    DOMElement *body = doc ? doc->body() : nullptr;
    if (!body)
        return;
    DOMStyleSheetList &sheets = doc->styleSheets();
    for (int i = 0; i < sheets.length(); ++i) {
        const DOMCSSStyleSheetPtr sheet = sheets.item(i);
        File *file = sheet && sheet->isReadable() ? fileOfSheet(sheet) : nullptr;
        if (const std::shared_ptr<StyleSheetPairing> pairing = file ? pairingOf(sheet, file) : nullptr)
            rulesOf(sheet, pairing.get());
    }
    if (auto *engine = dynamic_cast<WebEngineCache *>(doc->engineQueries())) {
        WebEngineQuestions questions;
        questions.matchedRules.append({body, QString()});
        engine->prefetch(questions);
    }
}

void CSSOutlineDelegate::askAheadFor(DOMElement *element, std::function<void()> done)
{
    DOMDocument *doc = element ? element->ownerDocument() : document();
    auto *engine = doc ? dynamic_cast<WebEngineCache *>(doc->engineQueries()) : nullptr;
    if (!engine) {
        done();
        return;
    }
    askAgainUntilAnswered(engine, element ? element->shared_from_this() : nullptr, std::move(done), 0);
}

void CSSOutlineDelegate::askAheadForElement(DOMNode *node)
{
    if (node && node->isCharacterData())
        node = node->parentNode();
    auto *element = node && node->isElement() ? static_cast<DOMElement *>(node) : nullptr;
    DOMDocument *doc = element ? element->ownerDocument() : nullptr;
    auto *engine = doc ? dynamic_cast<WebEngineCache *>(doc->engineQueries()) : nullptr;
    if (!engine || engine->isSilent())
        return;
    // The answers come while the selection waits to be told, the browser's
    // default rules too, whose first question in a long list has the browser
    // send the whole list along (#88). The questions of the rules come from
    // the panel's own page only; of another page the element's own are asked.
    if (doc == document())
        engine->prefetch(questionsFor(element));
    else
        engine->prefetchElement(*element, {}, {}, {});
}

WebEngineQuestions CSSOutlineDelegate::questionsFor(DOMElement *element)
{
    // The media queries of the page's media blocks, and the declarations the
    // cascade marking will test, with the names the page may write under.
    WebEngineQuestions questions;
    DOMDocument *doc = element ? element->ownerDocument() : document();
    if (!doc)
        return questions;
    if (element) {
        questions.computedStyles.append({element, QString()});
        questions.boxes.append(element);
        questions.matchedRules.append({element, QString()});
    }
    // What the engine sets for each name, for the cascade marks.
    questions.longhandTable = true;
    QSet<QString> asked;
    const QVariantMap defaults = VendarPrefixSettings::defaultProperties();
    const auto askValue = [&](const QString &name, const QString &value) {
        if (!asked.contains(name + u':' + value)) {
            asked.insert(name + u':' + value);
            questions.values.append({name, value});
        }
    };
    const auto askValues = [&](const StyleDeclarationPtr &declaration) {
        for (const CSSPropertyPtr &property : declaration->properties()) {
            const QString formal = formalPropertyName(property->property());
            const QString name = defaults.contains(formal) ? formal : property->property();
            const QString value = QString(property->value()).remove(QLatin1String("!important")).trimmed();
            askValue(name, value);
            // As the page reads the text, and each prefixed copy it holds.
            const QString written = CSSCascade::withoutImportant(property->value());
            askValue(property->property(), written);
            for (const QString &prefix : property->vendorPrefixes().value_or(QStringList()))
                askValue(prefix + formal, written);
            // The names a live write of it goes under.
            for (const QString &written : {property->property(), QStringLiteral("-webkit-") + formal}) {
                if ((written == property->property() || defaults.contains(formal)) && !asked.contains(written)) {
                    asked.insert(written);
                    questions.propertyNames.append(written);
                }
            }
        }
    };
    if (element && element->hasAttribute(QStringLiteral("style"))) {
        // The declarations of its style attribute compete with the rules'.
        StyleDeclaration attribute;
        attribute.setType(RuleType::DeclarationList);
        attribute.setBody(element->getAttribute(QStringLiteral("style")));
        for (const CSSPropertyPtr &property : attribute.properties())
            askValue(property->property(), CSSCascade::withoutImportant(property->value()));
    }
    const std::function<void(const DOMCSSStyleSheetPtr &)> walkSheet = [&](const DOMCSSStyleSheetPtr &sheet) {
        if (!sheet || !sheet->isReadable())
            return;
        if (element) {
            // The rules that may apply, found once for the element and the
            // sheet as they are (copied: an imported sheet's own may move them).
            const SheetHits hits = hitsOf(sheet, element);
            for (const DOMCSSRulePtr &media : hits.mediaRules) {
                if (media->media())
                    questions.mediaQueries.append(media->media()->mediaText());
            }
            questions.conditions += hits.supportsConditions;
            for (const SheetHits::Hit &hit : hits.hits) {
                if (hit.imported)
                    walkSheet(hit.imported);
                else if (hit.declaration->type() != RuleType::Media)
                    askValues(hit.declaration);
                for (const auto &[rule, declaration] : hit.inner)
                    askValues(declaration);
            }
            return;
        }
        const std::shared_ptr<StyleSheetPairing> pairing = pairingOf(sheet, fileOfSheet(sheet));
        const std::function<void(const DOMCSSRuleList &)> walk = [&](const DOMCSSRuleList &rules) {
            for (int i = 0; i < rules.length(); ++i) {
                const DOMCSSRulePtr rule = rules.item(i);
                if (rule->type() == DOMCSSRule::IMPORT_RULE) {
                    walkSheet(rule->styleSheet());
                    continue;
                }
                if (rule->type() == DOMCSSRule::MEDIA_RULE && rule->media())
                    questions.mediaQueries.append(rule->media()->mediaText());
                if (rule->type() == DOMCSSRule::MEDIA_RULE || isGroupingRule(*rule)) {
                    walk(rule->cssRules());
                    continue;
                }
                const StyleDeclarationPtr declaration = pairing ? pairing->declarationOf(rule.get()) : nullptr;
                if (declaration && rule->type() == DOMCSSRule::STYLE_RULE)
                    askValues(declaration);
            }
        };
        walk(sheet->cssRules());
    };
    DOMStyleSheetList &sheets = doc->styleSheets();
    for (int i = 0; i < sheets.length(); ++i)
        walkSheet(sheets.item(i));
    questions.mediaQueries.removeDuplicates();
    questions.conditions.removeDuplicates();
    return questions;
}

quint64 CSSOutlineDelegate::pageStateOf(DOMElement *element) const
{
    // The document's tree and the rule objects of its sheets.
    DOMDocument *doc = element ? element->ownerDocument() : document();
    if (!doc)
        return 0;
    quint64 state = (1469598103934665603ull ^ quint64(quintptr(doc)) ^ doc->treeVersion()) * 1099511628211ull;
    DOMStyleSheetList &sheets = doc->styleSheets();
    for (int i = 0; i < sheets.length(); ++i)
        state = (state ^ sheets.item(i)->rulesStamp()) * 1099511628211ull;
    return state;
}

void CSSOutlineDelegate::askAgainUntilAnswered(WebEngineCache *engine, const DOMNodePtr &held,
                                               std::function<void()> done, int attempt)
{
    auto *element = held && held->isElement() ? static_cast<DOMElement *>(held.get()) : nullptr;
    const quint64 generation = m_buildGeneration;
    // The answer may come after the panel has gone (the page outlives it).
    const QPointer<CSSOutlineDelegate> guard(this);
    // The questions are made again on the answer only when what they were
    // made from changed on the way.
    const auto questions = std::make_shared<const WebEngineQuestions>(questionsFor(element));
    const quint64 asked = pageStateOf(element);
    engine->prefetch(*questions, [guard, held, done, attempt, generation, questions, asked] {
        if (!guard)
            return;
        // The page's style sheets may have come with the answer (they arrive
        // with the first one), or changed while it was on its way, which drops
        // it: asked again for what the page has now, a few times at most. The
        // engine is looked up again: a document the page no longer shows has
        // none. A page that let the questions time out is not asked again.
        auto *target = held && held->isElement() ? static_cast<DOMElement *>(held.get()) : nullptr;
        DOMDocument *doc = target ? target->ownerDocument() : guard->document();
        auto *current = doc ? dynamic_cast<WebEngineCache *>(doc->engineQueries()) : nullptr;
        if (current && !current->isSilent() && generation == guard->m_buildGeneration && attempt < 3
            && !current->hasAnswers(guard->pageStateOf(target) == asked ? *questions : guard->questionsFor(target))) {
            guard->askAgainUntilAnswered(current, held, done, attempt + 1);
            return;
        }
        done();
    });
}

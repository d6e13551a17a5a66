// CSSOutlineDelegate: the lookups between rows, parsed items and live rules,
// the page's style sheets of a file, and searches in the outline's rows.

#include "CSSOutlineDelegate.h"

#include "StyleSheetPairing.h"

#include "platform/foundation/Log.h"
#include "platform/kit/OutlineItemModel.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/StyleSheetAddress.h"

#include <QRegularExpression>

namespace {

// Deeper imports than any page nests are not followed (the browser itself
// stops a ring of imports).
constexpr int kMaxImportDepth = 64;

// The first row of the roots, their children or their grandchildren (depth
// 0, 1, 2), each row before its children, that matches.
CSSRulePtr firstOfThreeLevels(const QList<CSSRulePtr> &roots, const std::function<bool(const CSSRulePtr &, int)> &matches)
{
    for (const CSSRulePtr &row : roots) {
        if (matches(row, 0))
            return row;
        for (const CSSRulePtr &child : row->children()) {
            if (matches(child, 1))
                return child;
            for (const CSSRulePtr &grandChild : child->children()) {
                if (matches(grandChild, 2))
                    return grandChild;
            }
        }
    }
    return nullptr;
}

} // namespace

CSSRulePtr CSSOutlineDelegate::cssRuleByStyleDeclaration(const StyleDeclarationPtr &declaration)
{
    if (!declaration)
        return nullptr;
    const int type = declaration->type();
    for (const CSSRulePtr &row : allCSSRules()) {
        if (row->styleDeclaration() == declaration)
            return row;
        const int rowType = row->styleDeclaration() ? row->styleDeclaration()->type() : RuleType::Other;
        if ((type == RuleType::Style || type == RuleType::MediaStyle) && rowType == RuleType::Media) {
            for (const CSSRulePtr &child : row->children()) {
                if (child->styleDeclaration() == declaration)
                    return child;
            }
        }
        if (type == RuleType::Keyframe && rowType == RuleType::Keyframes) {
            File *file = declaration->parentFile();
            const StyleDeclarationPtr owner = file ? file->getMediaOwner(*declaration) : nullptr;
            if (owner && owner == row->styleDeclaration()) {
                for (const CSSRulePtr &child : row->children()) {
                    if (child->styleDeclaration() == declaration)
                        return child;
                }
            }
        }
    }
    return nullptr;
}

DOMCSSRulePtr CSSOutlineDelegate::pairedRuleOf(const File *file, const StyleDeclaration *declaration) const
{
    for (const auto &[key, other] : m_pairings.asKeyValueRange()) {
        Q_UNUSED(key);
        if (other && other->file() == file) {
            if (DOMCSSRulePtr rule = other->ruleOf(declaration))
                return rule;
        }
    }
    return nullptr;
}

DOMCSSRulePtr CSSOutlineDelegate::domCSSRuleByStyleDeclaration(const StyleDeclarationPtr &declaration)
{
    // By the rule the item was paired with, never by counting items.
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file)
        return nullptr;
    const DOMCSSStyleSheetPtr sheet = styleSheetWithFile(file);
    const std::shared_ptr<StyleSheetPairing> pairing = pairingOf(sheet, file);
    if (pairing) {
        if (DOMCSSRulePtr rule = pairing->ruleOf(declaration.get()))
            return rule;
    }
    // An imported sheet of the same file pairs on its own.
    if (DOMCSSRulePtr rule = pairedRuleOf(file, declaration.get()))
        return rule;
    // An item of a model the text was read again over (it changed in a code
    // view between an edit and its undo) stands in the page where it stood
    // then: an undo or redo holding it reaches the page too (#84).
    const auto kept = m_liveRulesOfItems.constFind(declaration.get());
    if (kept != m_liveRulesOfItems.cend() && kept->item.lock() == declaration)
        return kept->rule.lock();
    return nullptr;
}

DOMCSSStyleDeclarationPtr CSSOutlineDelegate::domCSSStyleDeclarationByStyleDeclaration(const StyleDeclarationPtr &declaration)
{
    const DOMCSSRulePtr rule = domCSSRuleByStyleDeclaration(declaration);
    if (!rule) {
        cssOperationError(0, QStringLiteral("%1 not found.").arg(declaration ? declaration->description() : QString()));
        return nullptr;
    }
    const DOMCSSStyleDeclarationPtr style = rule->style();
    if (!style)
        cssOperationError(1, QStringLiteral("%1 not matched %2.").arg(rule->cssText(), declaration->description()));
    return style;
}

DOMCSSStyleDeclarationPtr CSSOutlineDelegate::domCSSStyleDeclarationByRule(const CSSRulePtr &row)
{
    if (!row || !row->rule() || row->rule()->type() == DOMCSSRule::KEYFRAMES_RULE)
        return nullptr;
    // A declaration of a keyframe: the style of the keyframe it stands in.
    const CSSRulePtr keyframe = row->animationOwner();
    if (keyframe && keyframe->rule() && keyframe->rule()->type() == DOMCSSRule::KEYFRAME_RULE)
        return keyframe->rule()->style();
    return row->rule()->style();
}

CSSRulePtr CSSOutlineDelegate::cssRuleByDOMCSSStyleRule(const DOMCSSRulePtr &rule)
{
    if (!rule)
        return nullptr;
    // A rule inside a media block is a child of the block's row (#77); a
    // declaration row carries its rule's live rule too, but no item.
    const std::function<CSSRulePtr(const QList<CSSRulePtr> &)> shown = [&](const QList<CSSRulePtr> &rows) -> CSSRulePtr {
        for (const CSSRulePtr &row : rows) {
            if (row->rule() == rule && row->styleDeclaration())
                return row;
            if (row->rule() && row->rule()->type() == DOMCSSRule::MEDIA_RULE) {
                if (const CSSRulePtr found = shown(row->children()))
                    return found;
            }
        }
        return nullptr;
    };
    if (const CSSRulePtr found = shown(m_rules))
        return found;
    // A rule the panel does not show: a row of its own for the item it is
    // paired with, so that an edit reaches the file wherever the rule stands.
    DOMCSSStyleSheetPtr sheet = rule->parentStyleSheet();
    for (DOMCSSRulePtr parent = rule->parentRule(); !sheet && parent; parent = parent->parentRule())
        sheet = parent->parentStyleSheet();
    const std::shared_ptr<StyleSheetPairing> pairing = pairingOf(sheet, fileOfSheet(sheet));
    const StyleDeclarationPtr declaration = pairing ? pairing->declarationOf(rule.get()) : nullptr;
    if (!declaration || declaration->isRemoved() || rule->type() != DOMCSSRule::STYLE_RULE)
        return nullptr;
    return rowFor(rule, declaration, false);
}

CSSRulePtr CSSOutlineDelegate::propertyRuleByProperty(const CSSPropertyPtr &property)
{
    // The rows shown first: a commit in the panel finds its row there, and
    // the rows of every rule of the page are not made for it (#68).
    const auto holds = [&property](const CSSRulePtr &row, int) { return row->property() == property; };
    if (const CSSRulePtr shown = firstOfThreeLevels(m_rules, holds))
        return shown;
    return firstOfThreeLevels(allCSSRules(), holds);
}

CSSRulePtr CSSOutlineDelegate::propertyRuleByPropertyInStyles(const CSSPropertyPtr &property) const
{
    // Below the declarations a longhand is found by its name.
    return firstOfThreeLevels(m_rules, [&property](const CSSRulePtr &row, int depth) {
        if (depth < 2)
            return row->property() == property;
        return row->property() && property && row->property()->property() == property->property();
    });
}

QList<DOMCSSRulePtr> CSSOutlineDelegate::createAllRuleList(DOMElement *element, const QString &pseudoElement) const
{
    QList<DOMCSSRulePtr> rules;
    DOMDocument *doc = element ? element->ownerDocument() : nullptr;
    if (!doc)
        return rules;
    for (const DOMMatchedRule &matched : doc->getMatchedCSSRules(element, pseudoElement, false)) {
        if (const DOMCSSRulePtr rule = doc->styleSheets().ruleForId(matched.ruleId))
            rules.append(rule);
    }
    return rules;
}

QList<DOMCSSStyleSheetPtr> CSSOutlineDelegate::sheetsInOrder() const
{
    QList<DOMCSSStyleSheetPtr> ordered;
    DOMDocument *doc = document();
    if (!doc)
        return ordered;
    // Each sheet before the sheets it imports, at any depth.
    const std::function<void(const DOMCSSStyleSheetPtr &, int)> walk = [&](const DOMCSSStyleSheetPtr &sheet, int depth) {
        if (!sheet || depth > kMaxImportDepth)
            return;
        ordered.append(sheet);
        const DOMCSSRuleList rules = sheet->cssRules();
        for (int i = 0; i < rules.length(); ++i) {
            const DOMCSSRulePtr rule = rules.item(i);
            if (rule->type() == DOMCSSRule::IMPORT_RULE)
                walk(rule->styleSheet(), depth + 1);
        }
    };
    const DOMStyleSheetList &sheets = doc->styleSheets();
    for (int i = 0; i < sheets.length(); ++i)
        walk(sheets.item(i), 0);
    return ordered;
}

DOMCSSStyleSheetPtr CSSOutlineDelegate::styleSheetWithFile(File *file) const
{
    // A file linked more than once is the page's last sheet of it: its rules
    // come after the others' and win over them (#86).
    if (!file)
        return nullptr;
    const QList<DOMCSSStyleSheetPtr> sheets = sheetsInOrder();
    for (auto it = sheets.crbegin(); it != sheets.crend(); ++it) {
        if (StyleSheetAddress::names((*it)->href(), *file))
            return *it;
    }
    return nullptr;
}

QList<File *> CSSOutlineDelegate::getSortedStyleFiles() const
{
    const QList<File *> files = const_cast<CSSOutlineDelegate *>(this)->styleFiles();
    DOMDocument *doc = document();
    if (!doc || doc->styleSheets().length() == 0)
        return files;
    // Each file once, where its sheet stands (its last one).
    QList<File *> sorted;
    for (const DOMCSSStyleSheetPtr &sheet : sheetsInOrder()) {
        if (File *file = StyleSheetAddress::fileOf(sheet->href(), files)) {
            sorted.removeOne(file);
            sorted.append(file);
        }
    }
    return sorted;
}

QList<File *> CSSOutlineDelegate::sheetFileCandidates() const
{
    QList<File *> files = const_cast<CSSOutlineDelegate *>(this)->styleFiles();
    for (const QPointer<File> &file : m_offeredStyleFiles) {
        if (file && !files.contains(file.data()))
            files.append(file.data());
    }
    return files;
}

void CSSOutlineDelegate::tellUnlistedSheets()
{
    const QList<File *> files = sheetFileCandidates();
    for (const DOMCSSStyleSheetPtr &sheet : sheetsInOrder()) {
        const QString href = sheet->href();
        QString why;
        File *file = StyleSheetAddress::fileOf(href, files);
        if (href.isEmpty())
            why = QStringLiteral("a <style> element's sheet is part of the page's HTML; its rules are not listed");
        else if (!sheet->isReadable())
            why = unreadableSheetNote(*sheet);
        else if (!file)
            why = QStringLiteral("the style sheet %1 is no file of the project; its rules are not listed").arg(href);
        else if (styleSheetWithFile(file) != sheet)
            why = QStringLiteral("the style sheet %1 is linked again later in the page; its rules are listed from the last link "
                                 "(%2)")
                      .arg(href, file->path());
        tellOnce(why);
    }
}

QString CSSOutlineDelegate::unreadableSheetNote(const DOMCSSStyleSheet &sheet)
{
    return QStringLiteral("the style sheet %1 keeps its rules from the page (another origin); it is not listed").arg(sheet.href());
}

void CSSOutlineDelegate::tellOnce(const QString &why)
{
    if (why.isEmpty() || m_toldSheets.contains(why))
        return;
    m_toldSheets.insert(why);
    QM_INFO(why);
}

QList<File *> CSSOutlineDelegate::getLocalStyleSheets() const
{
    return const_cast<CSSOutlineDelegate *>(this)->styleFiles();
}

CSSRulePtr CSSOutlineDelegate::findInOutline(const QList<CSSRulePtr> &nodes,
                                             const std::function<bool(const CSSRulePtr &)> &matches) const
{
    // Depth first, each row before its children, into the rows the outline has.
    for (const CSSRulePtr &node : nodes) {
        if (matches(node))
            return node;
        if (!m_outlineView->itemModel()->containsItem(node.get()))
            continue;
        if (const CSSRulePtr found = findInOutline(node->children(), matches))
            return found;
    }
    return nullptr;
}

CSSRulePtr CSSOutlineDelegate::searchNode(const QList<CSSRulePtr> &nodes, const CSSRule *row) const
{
    return findInOutline(nodes, [row](const CSSRulePtr &node) { return node.get() == row; });
}

CSSRulePtr CSSOutlineDelegate::treeNodeByStyleDeclaration(const StyleDeclarationPtr &declaration,
                                                          const QList<CSSRulePtr> &nodes) const
{
    return findInOutline(nodes, [&declaration](const CSSRulePtr &node) { return node->styleDeclaration() == declaration; });
}

CSSRulePtr CSSOutlineDelegate::treeNodeByCSSProperty(const CSSPropertyPtr &property, const QList<CSSRulePtr> &nodes) const
{
    return findInOutline(nodes, [&property](const CSSRulePtr &node) { return node->property() == property; });
}

void CSSOutlineDelegate::expandParentsOfItem(const CSSRulePtr &row)
{
    QList<void *> ancestors;
    for (void *parent = m_outlineView->parentForItem(row.get()); parent; parent = m_outlineView->parentForItem(parent))
        ancestors.prepend(parent);
    for (void *ancestor : std::as_const(ancestors))
        m_outlineView->expandItem(ancestor);
}

QString CSSOutlineDelegate::noPriorityValueName(const QString &value)
{
    // The priority ends the value; CSS allows blanks after "!" and any case.
    static const QRegularExpression priority(QStringLiteral("!\\s*important(?=\\s*;?\\s*$)"), QRegularExpression::CaseInsensitiveOption);
    return QString(value).remove(priority).trimmed();
}

bool CSSOutlineDelegate::hasImportantPriority(const QString &value)
{
    static const QRegularExpression priority(QStringLiteral("!\\s*important\\s*;?\\s*$"), QRegularExpression::CaseInsensitiveOption);
    return priority.match(value).hasMatch();
}

void CSSOutlineDelegate::cssOperationError(int code, const QString &message) const
{
    QM_ERROR(QStringLiteral("CSSOperationError:%1\n%2").arg(code).arg(message));
}

// The style-rule queries of DOMDocument (declared in platform/web/dom/DOMDocument.h)
// over the live style sheets of the CSSOM mirror.

#include "platform/foundation/Log.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"

#include <QSet>

namespace {

// Walks the rules in document order without recursion; an import rule is
// entered when its sheet has not been entered yet (the engine leaves
// cyclic imports empty, but a sheet is never walked twice), a grouping
// rule when the caller says so.
void walkRules(const DOMCSSRuleList &rules, const std::function<bool(const DOMCSSRule &)> &entersChildren,
               const std::function<void(const DOMCSSRulePtr &)> &visit)
{
    struct Level
    {
        DOMCSSRuleList rules;
        int next = 0;
    };
    QList<Level> levels{{rules, 0}};
    QSet<const DOMCSSStyleSheet *> entered;
    while (!levels.isEmpty()) {
        Level &level = levels.last();
        if (level.next >= level.rules.length()) {
            levels.removeLast();
            continue;
        }
        const DOMCSSRulePtr rule = level.rules.item(level.next++);
        if (!rule)
            continue;
        visit(rule);
        if (rule->type() == DOMCSSRule::IMPORT_RULE) {
            const DOMCSSStyleSheetPtr sheet = rule->styleSheet();
            if (sheet && !entered.contains(sheet.get())) {
                entered.insert(sheet.get());
                levels.append({sheet->cssRules(), 0});
            }
        } else if (entersChildren(*rule)) {
            levels.append({rule->cssRules(), 0});
        }
    }
}

} // namespace

QList<DOMCSSRulePtr> DOMDocument::allRules() const
{
    QList<DOMCSSRulePtr> list;
    for (const DOMCSSStyleSheetPtr &sheet : styleSheets().sheets())
        childRulesByRule(sheet->cssRules(), list, ImportOnly::Yes);
    return list;
}

void DOMDocument::childRulesByRule(const DOMCSSRuleList &rules, QList<DOMCSSRulePtr> &list, ImportOnly importOnly)
{
    // Once inside a grouping rule, its grouping children are followed too.
    const auto entersChildren = [importOnly](const DOMCSSRule &rule) {
        return importOnly == ImportOnly::No
            && (rule.type() == DOMCSSRule::MEDIA_RULE || rule.type() == DOMCSSRule::KEYFRAMES_RULE);
    };
    walkRules(rules, entersChildren, [&list](const DOMCSSRulePtr &rule) { list.append(rule); });
}

void DOMDocument::printCSSStructure() const
{
    for (const DOMCSSStyleSheetPtr &sheet : styleSheets().sheets())
        printStyleSheet(*sheet);
}

void DOMDocument::printStyleSheet(const DOMCSSStyleSheet &sheet)
{
    walkRules(
        sheet.cssRules(), [](const DOMCSSRule &) { return false; },
        [](const DOMCSSRulePtr &rule) { QM_DEBUG(QStringLiteral("%1 %2").arg(rule->cssText()).arg(rule->type())); });
}

DOMCSSRulePtr DOMDocument::keyframeStyleBy(const QString &, const QString &) const
{
    return nullptr;
}

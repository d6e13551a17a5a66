#include "DOMCSSStyleSheet.h"

#include "DOMStyleSheetList.h"

#include "platform/web/dom/DOMDocument.h"

#include <QJsonObject>

#include <atomic>

namespace {

quint64 nextRulesStamp()
{
    static std::atomic<quint64> s_next{0};
    return ++s_next;
}

} // namespace

DOMCSSStyleSheet::DOMCSSStyleSheet(DOMCSSKey, qint64 sheetId, Origin origin)
    : m_sheetId(sheetId)
    , m_origin(origin)
    , m_rulesStamp(nextRulesStamp())
{
    m_media.setChangedHandler([this](const QString &text) {
        if (m_list)
            m_list->sendCommand({{QStringLiteral("op"), QStringLiteral("setMediaText")},
                                 {QStringLiteral("sheet"), double(m_sheetId)},
                                 {QStringLiteral("rule"), double(0)},
                                 {QStringLiteral("text"), text}});
    });
}

DOMCSSStyleSheet::~DOMCSSStyleSheet()
{
    for (const DOMCSSRulePtr &rule : std::as_const(m_rules)) {
        if (rule->m_parentStyleSheet == this)
            rule->setParents(nullptr, nullptr);
    }
}

DOMStyleSheetList *DOMCSSStyleSheet::styleSheetList() const
{
    return m_list;
}

void DOMCSSStyleSheet::setDisabled(bool disabled)
{
    if (m_disabled == disabled)
        return;
    m_disabled = disabled;
    if (m_list)
        m_list->sendCommand({{QStringLiteral("op"), QStringLiteral("setDisabled")},
                             {QStringLiteral("sheet"), double(m_sheetId)},
                             {QStringLiteral("value"), disabled}});
}

bool DOMCSSStyleSheet::followText(const QString &text)
{
    if (!m_list || !m_readable)
        return false;
    m_list->sendCommand({{QStringLiteral("op"), QStringLiteral("followText")},
                         {QStringLiteral("sheet"), double(m_sheetId)},
                         {QStringLiteral("text"), text}});
    return true;
}

DOMNode *DOMCSSStyleSheet::ownerNode() const
{
    if (!m_list || !m_list->document() || !m_ownerNodeId)
        return nullptr;
    return m_list->document()->nodeForId(m_ownerNodeId);
}

DOMCSSRulePtr DOMCSSStyleSheet::ownerRule() const
{
    return m_ownerRule ? m_ownerRule->shared_from_this() : nullptr;
}

DOMCSSStyleSheetPtr DOMCSSStyleSheet::parentStyleSheet() const
{
    return m_ownerRule ? m_ownerRule->parentStyleSheet() : nullptr;
}

// After the steps of CSSOM's "insert a CSS rule": the index, the text, the
// place, then the @namespace rule's state check.
DOMCSSInsertion DOMCSSStyleSheet::checkInsertion(const DOMCSSRuleList &rules, const QString &text, int index,
                                                 bool grouping, DOMCSSParsedRule *parsed)
{
    // 1. and 2.
    if (index < 0 || index > rules.length())
        return DOMCSSInsertion::failure(1, QStringLiteral("the index %1 is outside [0, %2]").arg(index).arg(rules.length()));
    // 3.
    QString error;
    std::optional<DOMCSSParsedRule> rule = DOMCSSParser::parseRule(text, &error);
    if (!rule)
        return DOMCSSInsertion::failure(12, error);
    DOMCSSInsertion result = checkPlacement(rules, rule->type, index, grouping);
    if (result && parsed)
        *parsed = *rule;
    return result;
}

DOMCSSInsertion DOMCSSStyleSheet::checkPlacement(const DOMCSSRuleList &rules, int type, int index, bool grouping)
{
    if (index < 0 || index > rules.length())
        return DOMCSSInsertion::failure(1, QStringLiteral("the index %1 is outside [0, %2]").arg(index).arg(rules.length()));
    if (type == DOMCSSRule::CHARSET_RULE)
        return DOMCSSInsertion::failure(12, QStringLiteral("@charset cannot be inserted"));

    // 4.
    const bool isImport = type == DOMCSSRule::IMPORT_RULE;
    const bool isNamespace = type == DOMCSSRule::NAMESPACE_RULE;
    if (grouping && (isImport || isNamespace))
        return DOMCSSInsertion::failure(3, QStringLiteral("@%1 cannot stand inside a block")
                                               .arg(isImport ? QLatin1String("import") : QLatin1String("namespace")));
    if (!grouping) {
        const auto typeAt = [&rules](int i) { return rules.item(i)->type(); };
        for (int i = 0; i < index; ++i) {
            if (isImport && typeAt(i) != DOMCSSRule::IMPORT_RULE)
                return DOMCSSInsertion::failure(3, QStringLiteral("@import must come before the other rules"));
        }
        for (int i = index; i < rules.length(); ++i) {
            if (typeAt(i) == DOMCSSRule::IMPORT_RULE && !isImport)
                return DOMCSSInsertion::failure(3, QStringLiteral("only @import may stand before @import"));
            if (typeAt(i) == DOMCSSRule::NAMESPACE_RULE && !isImport && !isNamespace)
                return DOMCSSInsertion::failure(3, QStringLiteral("only @import and @namespace may stand before @namespace"));
        }
        // 5.
        if (isNamespace) {
            for (int i = 0; i < rules.length(); ++i) {
                if (typeAt(i) != DOMCSSRule::IMPORT_RULE && typeAt(i) != DOMCSSRule::NAMESPACE_RULE)
                    return DOMCSSInsertion::failure(11, QStringLiteral("@namespace cannot join a sheet that has other rules"));
            }
        }
    }
    DOMCSSInsertion result;
    result.index = index;
    return result;
}

void DOMCSSStyleSheet::adoptRule(const DOMCSSRulePtr &rule, int index)
{
    m_rules.insert(index, rule);
    rule->setParents(this, nullptr);
    if (m_list)
        m_list->registerRule(rule.get());
    noteRulesChanged();
}

void DOMCSSStyleSheet::detachRule(int index)
{
    const DOMCSSRulePtr rule = m_rules.takeAt(index);
    if (m_list)
        m_list->unregisterRule(rule.get());
    rule->setParents(nullptr, nullptr);
    noteRulesChanged();
}

void DOMCSSStyleSheet::noteRulesChanged()
{
    // Imports do not go round in a circle (an insertion that would is
    // refused), but a bound costs nothing.
    DOMCSSStyleSheet *sheet = this;
    for (int depth = 0; sheet && depth < 64; ++depth) {
        sheet->m_rulesStamp = nextRulesStamp();
        sheet = sheet->m_ownerRule ? sheet->m_ownerRule->m_parentStyleSheet : nullptr;
    }
}

void DOMCSSStyleSheet::sendInsertion(int index, const QString &text)
{
    if (m_list)
        m_list->sendCommand(DOMCSSRule::insertionCommand(m_sheetId, 0, m_rules, index, text));
}

DOMCSSInsertion DOMCSSStyleSheet::insertRule(const QString &rule, int index)
{
    DOMCSSParsedRule parsed;
    DOMCSSInsertion result = checkInsertion(cssRules(), rule, index, false, &parsed);
    if (!result)
        return result;
    if (!m_readable)
        return DOMCSSInsertion::failure(18, QStringLiteral("the page does not let this sheet be changed"));
    adoptRule(DOMCSSRule::fromParsed(parsed, DOMStyleSheetList::allocateRuleId()), index);
    sendInsertion(index, rule);
    return result;
}

DOMCSSInsertion DOMCSSStyleSheet::insertRule(const DOMCSSRulePtr &rule, int index)
{
    if (const DOMCSSInsertion detached = DOMCSSRule::checkDetached(rule, m_ownerRule); !detached)
        return detached;
    DOMCSSInsertion result = checkPlacement(cssRules(), rule->type(), index, false);
    if (!result)
        return result;
    if (!m_readable)
        return DOMCSSInsertion::failure(18, QStringLiteral("the page does not let this sheet be changed"));
    adoptRule(rule, index);
    sendInsertion(index, rule->cssText());
    return result;
}

DOMCSSInsertion DOMCSSStyleSheet::deleteRule(int index)
{
    if (index < 0 || index >= m_rules.size())
        return DOMCSSInsertion::failure(1, QStringLiteral("the index %1 is outside the rules").arg(index));
    const qint64 ruleId = m_rules.at(index)->ruleId();
    detachRule(index);
    if (m_list)
        m_list->sendCommand({{QStringLiteral("op"), QStringLiteral("deleteRule")}, {QStringLiteral("rule"), double(ruleId)}});
    DOMCSSInsertion result;
    result.index = index;
    return result;
}

int DOMCSSStyleSheet::indexOfRule(const DOMCSSRulePtr &rule) const
{
    return int(m_rules.indexOf(rule));
}

void DOMCSSStyleSheet::removeRuleByRule(const DOMCSSRulePtr &rule)
{
    const int index = indexOfRule(rule);
    if (index >= 0)
        removeRule(index);
}

#include "DOMCSSRule.h"

#include "DOMCSSStyleSheet.h"
#include "DOMStyleSheetList.h"

#include "platform/web/dom/DOMLog.h"
#include "platform/web/dom/DOMSelectorEngine.h"

#include <QJsonArray>

// Commands (DOMStyleSheetList's handler), rules named by id:
//   {"op": "insertRule", "sheet": id, "parent": rule id or 0, "before": rule id or 0, "text", "rule": its id,
//    "ids": [the ids of the rules inside it, in tree order]}
//   {"op": "deleteRule", "rule": id, "parent": the rule it stood in, if any}
//   {"op": "appendRule", "parent": keyframes id, "text", "rule": new id}
//   {"op": "setSelectorText" | "setKeyText" | "setMediaText", "rule": id, "text"}

DOMCSSInsertion DOMCSSInsertion::failure(int code, const QString &message)
{
    DOMCSSInsertion result;
    result.exceptionCode = code;
    switch (code) {
    case 1:
        result.exceptionName = QStringLiteral("IndexSizeError");
        break;
    case 3:
        result.exceptionName = QStringLiteral("HierarchyRequestError");
        break;
    case 11:
        result.exceptionName = QStringLiteral("InvalidStateError");
        break;
    default:
        result.exceptionName = QStringLiteral("SyntaxError");
        break;
    }
    result.message = message;
    return result;
}

DOMCSSRule::DOMCSSRule(DOMCSSKey, int type, qint64 ruleId) : m_type(type), m_ruleId(ruleId)
{
    switch (type) {
    case STYLE_RULE:
    case PAGE_RULE:
    case FONT_FACE_RULE:
    case KEYFRAME_RULE:
        m_style = std::make_unique<DOMCSSStyleDeclaration>();
        m_style->m_parentRule = this;
        break;
    case MEDIA_RULE:
    case IMPORT_RULE:
        m_media = std::make_unique<DOMMediaList>();
        m_media->setChangedHandler([this](const QString &text) {
            noteRuleChanged();
            sendCommand({{QStringLiteral("op"), QStringLiteral("setMediaText")},
                         {QStringLiteral("rule"), double(m_ruleId)},
                         {QStringLiteral("text"), text}});
        });
        break;
    default:
        break;
    }
}

DOMCSSRule::~DOMCSSRule()
{
    // Children and an imported sheet that are held elsewhere lose their parent.
    for (const DOMCSSRulePtr &child : std::as_const(m_rules)) {
        if (child->m_parentRule == this)
            child->setParents(nullptr, nullptr);
    }
    if (m_styleSheet && m_styleSheet->m_ownerRule == this)
        m_styleSheet->m_ownerRule = nullptr;
}

DOMCSSStyleSheetPtr DOMCSSRule::parentStyleSheet() const
{
    return m_parentStyleSheet ? m_parentStyleSheet->shared_from_this() : nullptr;
}

DOMCSSRulePtr DOMCSSRule::parentRule() const
{
    return m_parentRule ? m_parentRule->shared_from_this() : nullptr;
}

// A part's handle keeps the whole rule alive.
DOMCSSStyleDeclarationPtr DOMCSSRule::style() const
{
    return m_style ? DOMCSSStyleDeclarationPtr(shared_from_this(), m_style.get()) : nullptr;
}

DOMMediaListPtr DOMCSSRule::media() const
{
    return m_media ? DOMMediaListPtr(shared_from_this(), m_media.get()) : nullptr;
}

bool DOMCSSRule::isSelfOrParent(const DOMCSSRule *rule) const
{
    for (const DOMCSSRule *at = this; at;) {
        if (at == rule)
            return true;
        if (at->m_parentRule)
            at = at->m_parentRule;
        else
            at = at->m_parentStyleSheet ? at->m_parentStyleSheet->m_ownerRule : nullptr;
    }
    return false;
}

QJsonArray DOMCSSRule::descendantIds() const
{
    QJsonArray ids;
    std::vector<const DOMCSSRule *> pending;
    for (qsizetype i = m_rules.size() - 1; i >= 0; --i)
        pending.push_back(m_rules.at(i).get());
    while (!pending.empty()) {
        const DOMCSSRule *next = pending.back();
        pending.pop_back();
        ids.append(double(next->m_ruleId));
        for (qsizetype i = next->m_rules.size() - 1; i >= 0; --i)
            pending.push_back(next->m_rules.at(i).get());
    }
    return ids;
}

QJsonObject DOMCSSRule::insertionCommand(qint64 sheetId, qint64 parentId, const QList<DOMCSSRulePtr> &rules,
                                         int index, const QString &text)
{
    const DOMCSSRulePtr &rule = rules.at(index);
    const qint64 before = index + 1 < rules.size() ? rules.at(index + 1)->ruleId() : 0;
    return {{QStringLiteral("op"), QStringLiteral("insertRule")},
            {QStringLiteral("sheet"), double(sheetId)},
            {QStringLiteral("parent"), double(parentId)},
            {QStringLiteral("before"), double(before)},
            {QStringLiteral("text"), text},
            {QStringLiteral("rule"), double(rule->ruleId())},
            {QStringLiteral("ids"), rule->descendantIds()}};
}

DOMStyleSheetList *DOMCSSRule::styleSheetList() const
{
    const DOMCSSRule *rule = this;
    while (rule->m_parentRule)
        rule = rule->m_parentRule;
    return rule->m_parentStyleSheet ? rule->m_parentStyleSheet->styleSheetList() : nullptr;
}

void DOMCSSRule::sendCommand(QJsonObject command) const
{
    if (DOMStyleSheetList *list = styleSheetList())
        list->sendCommand(command);
}

void DOMCSSRule::noteRuleChanged() const
{
    if (m_parentStyleSheet)
        m_parentStyleSheet->noteRulesChanged();
}

QString DOMCSSRule::conditionText() const
{
    if (m_type == MEDIA_RULE)
        return m_media->mediaText();
    return m_conditionText;
}

QString DOMCSSRule::cssText() const
{
    const auto block = [this](const QString &head) {
        QString text = head + QLatin1String(" {\n");
        for (const DOMCSSRulePtr &rule : m_rules)
            text += QLatin1String("  ") + rule->cssText() + QLatin1Char('\n');
        return text + QLatin1Char('}');
    };
    const auto declarations = [this](const QString &head) {
        const QString body = m_style->cssText();
        return body.isEmpty() ? head + QLatin1String(" { }") : head + QLatin1String(" { ") + body + QLatin1String(" }");
    };
    switch (m_type) {
    case STYLE_RULE:
        return declarations(m_selectorText);
    case KEYFRAME_RULE:
        return declarations(m_keyText);
    case PAGE_RULE:
        return declarations(m_selectorText.isEmpty() ? QStringLiteral("@page")
                                                     : QStringLiteral("@page ") + m_selectorText);
    case FONT_FACE_RULE:
        return declarations(QStringLiteral("@font-face"));
    case MEDIA_RULE:
        return block(QStringLiteral("@media ") + m_media->mediaText());
    case SUPPORTS_RULE:
        return block(QStringLiteral("@supports ") + m_conditionText);
    case KEYFRAMES_RULE: {
        QString text = (m_prefixed ? QStringLiteral("@-webkit-keyframes ") : QStringLiteral("@keyframes ")) + m_name
            + QLatin1String(" { \n");
        for (const DOMCSSRulePtr &rule : m_rules)
            text += QLatin1String("  ") + rule->cssText() + QLatin1Char('\n');
        return text + QLatin1Char('}');
    }
    case IMPORT_RULE:
        if (m_href.isEmpty())
            return m_text;
        return QStringLiteral("@import url(\"%1\")").arg(m_href)
            + (m_media->mediaText().isEmpty() ? QString() : QLatin1Char(' ') + m_media->mediaText()) + QLatin1Char(';');
    default:
        return m_text;
    }
}

void DOMCSSRule::setSelectorText(const QString &text)
{
    if (m_type != STYLE_RULE && m_type != PAGE_RULE)
        return;
    const QString selector = text.simplified();
    if (m_type == STYLE_RULE && !DOMSelectorEngine::parse(selector)) {
        qCDebug(lcWeb) << "the selector" << text << "is ignored: it is not valid";
        return;
    }
    m_selectorText = selector;
    noteRuleChanged();
    sendCommand({{QStringLiteral("op"), QStringLiteral("setSelectorText")},
                 {QStringLiteral("rule"), double(m_ruleId)},
                 {QStringLiteral("text"), selector}});
}

void DOMCSSRule::setKeyText(const QString &text)
{
    if (m_type != KEYFRAME_RULE || !DOMCSSParser::isValidKeyText(text))
        return;
    m_keyText = DOMCSSParser::normalizedKeyText(text);
    noteRuleChanged();
    sendCommand({{QStringLiteral("op"), QStringLiteral("setKeyText")},
                 {QStringLiteral("rule"), double(m_ruleId)},
                 {QStringLiteral("text"), text}});
}

void DOMCSSRule::setParents(DOMCSSStyleSheet *sheet, DOMCSSRule *parent)
{
    m_parentStyleSheet = sheet;
    m_parentRule = parent;
    for (const DOMCSSRulePtr &child : std::as_const(m_rules))
        child->setParents(sheet, this);
}

void DOMCSSRule::adoptChild(const DOMCSSRulePtr &child, int index)
{
    m_rules.insert(index, child);
    child->setParents(m_parentStyleSheet, this);
    if (DOMStyleSheetList *list = styleSheetList())
        list->registerRule(child.get());
    noteRuleChanged();
}

void DOMCSSRule::detachChild(int index)
{
    const DOMCSSRulePtr child = m_rules.takeAt(index);
    if (DOMStyleSheetList *list = styleSheetList())
        list->unregisterRule(child.get());
    child->setParents(nullptr, nullptr);
    noteRuleChanged();
}

bool DOMCSSRule::isGrouping() const
{
    return m_type == MEDIA_RULE || m_type == SUPPORTS_RULE || m_type == UNKNOWN_RULE;
}

DOMCSSInsertion DOMCSSRule::insertRule(const QString &rule, int index)
{
    if (!isGrouping())
        return DOMCSSInsertion::failure(3, QStringLiteral("this rule holds no rules"));
    DOMCSSParsedRule parsed;
    DOMCSSInsertion result = DOMCSSStyleSheet::checkInsertion(cssRules(), rule, index, true, &parsed);
    if (!result)
        return result;
    adoptChild(fromParsed(parsed, DOMStyleSheetList::allocateRuleId()), index);
    sendCommand(insertionCommand(0, m_ruleId, m_rules, index, rule));
    return result;
}

DOMCSSInsertion DOMCSSRule::insertRule(const DOMCSSRulePtr &rule, int index)
{
    if (!isGrouping())
        return DOMCSSInsertion::failure(3, QStringLiteral("this rule holds no rules"));
    if (const DOMCSSInsertion detached = checkDetached(rule, this); !detached)
        return detached;
    DOMCSSInsertion result = DOMCSSStyleSheet::checkPlacement(cssRules(), rule->type(), index, true);
    if (!result)
        return result;
    adoptChild(rule, index);
    sendCommand(insertionCommand(0, m_ruleId, m_rules, index, rule->cssText()));
    return result;
}

DOMCSSInsertion DOMCSSRule::checkDetached(const DOMCSSRulePtr &rule, const DOMCSSRule *holder)
{
    if (!rule || rule->m_parentStyleSheet || rule->m_parentRule)
        return DOMCSSInsertion::failure(3, QStringLiteral("only a detached rule can be inserted"));
    if (holder && holder->isSelfOrParent(rule.get()))
        return DOMCSSInsertion::failure(3, QStringLiteral("a rule cannot hold itself"));
    return {};
}

DOMCSSInsertion DOMCSSRule::deleteRule(int index)
{
    if (index < 0 || index >= m_rules.size())
        return DOMCSSInsertion::failure(1, QStringLiteral("the index %1 is outside the rules").arg(index));
    const qint64 ruleId = m_rules.at(index)->ruleId();
    detachChild(index);
    // The parent is named too: an answer to an earlier write of it must not
    // put the rule back (#77).
    sendCommand({{QStringLiteral("op"), QStringLiteral("deleteRule")}, {QStringLiteral("rule"), double(ruleId)},
                 {QStringLiteral("parent"), double(m_ruleId)}});
    DOMCSSInsertion result;
    result.index = index;
    return result;
}

void DOMCSSRule::appendRule(const QString &rule)
{
    if (m_type != KEYFRAMES_RULE)
        return;
    // The engine takes a keyframe through its keyframes list's reader.
    const std::optional<DOMCSSParsedRule> wrapped =
        DOMCSSParser::parseRule(QStringLiteral("@keyframes x { ") + rule + QStringLiteral(" }"));
    if (!wrapped || wrapped->children.size() != 1) {
        qCDebug(lcWeb) << "appendRule ignores" << rule;
        return;
    }
    const DOMCSSRulePtr created = fromParsed(wrapped->children.first(), DOMStyleSheetList::allocateRuleId());
    adoptChild(created, int(m_rules.size()));
    sendCommand({{QStringLiteral("op"), QStringLiteral("appendRule")},
                 {QStringLiteral("parent"), double(m_ruleId)},
                 {QStringLiteral("text"), rule},
                 {QStringLiteral("rule"), double(created->ruleId())}});
}

DOMCSSInsertion DOMCSSRule::appendRule(const DOMCSSRulePtr &rule)
{
    if (m_type != KEYFRAMES_RULE || !rule || rule->type() != KEYFRAME_RULE)
        return DOMCSSInsertion::failure(3, QStringLiteral("only a keyframe can join a keyframes rule"));
    if (const DOMCSSInsertion detached = checkDetached(rule, this); !detached)
        return detached;
    const int index = int(m_rules.size());
    adoptChild(rule, index);
    sendCommand({{QStringLiteral("op"), QStringLiteral("appendRule")},
                 {QStringLiteral("parent"), double(m_ruleId)},
                 {QStringLiteral("text"), rule->cssText()},
                 {QStringLiteral("rule"), double(rule->ruleId())}});
    DOMCSSInsertion result;
    result.index = index;
    return result;
}

DOMCSSRulePtr DOMCSSRule::findRule(const QString &key) const
{
    if (m_type != KEYFRAMES_RULE || !DOMCSSParser::isValidKeyText(key))
        return nullptr;
    const QString wanted = DOMCSSParser::normalizedKeyText(key);
    // The last keyframe of that key, as the engine finds it.
    for (qsizetype i = m_rules.size() - 1; i >= 0; --i) {
        if (m_rules.at(i)->keyText() == wanted)
            return m_rules.at(i);
    }
    return nullptr;
}

void DOMCSSRule::deleteRuleWithKey(const QString &key)
{
    const qsizetype index = m_rules.indexOf(findRule(key));
    if (index >= 0)
        deleteRule(int(index));
}

DOMCSSRulePtr DOMCSSRule::fromParsed(const DOMCSSParsedRule &parsed, qint64 ruleId)
{
    auto rule = std::make_shared<DOMCSSRule>(DOMCSSKey(), parsed.type, ruleId);
    rule->m_atName = parsed.atName;
    rule->m_text = parsed.text;
    switch (parsed.type) {
    case STYLE_RULE:
    case PAGE_RULE:
        rule->m_selectorText = parsed.prelude;
        break;
    case KEYFRAME_RULE:
        rule->m_keyText = parsed.prelude;
        break;
    case MEDIA_RULE:
        rule->m_media->resetFromEngine(parsed.prelude);
        break;
    case SUPPORTS_RULE:
        rule->m_conditionText = parsed.prelude;
        break;
    case KEYFRAMES_RULE:
        rule->m_name = parsed.prelude;
        rule->m_prefixed = parsed.atName.startsWith(QLatin1String("-webkit-"));
        break;
    default:
        rule->m_name = parsed.prelude;
        break;
    }
    if (rule->m_style)
        rule->m_style->resetFromText(parsed.declarations);
    for (const DOMCSSParsedRule &child : parsed.children) {
        // Children of program-made rules get ids the page will learn from the insertion's answer.
        const DOMCSSRulePtr made = fromParsed(child, DOMStyleSheetList::allocateRuleId());
        rule->m_rules.append(made);
        made->m_parentRule = rule.get();
    }
    return rule;
}

namespace {

std::optional<QList<DOMCSSDeclaration>> itemsOf(const QJsonObject &json)
{
    const auto it = json.constFind(QStringLiteral("items"));
    if (it == json.constEnd())
        return std::nullopt;
    QList<DOMCSSDeclaration> items;
    for (const QJsonValue &value : it->toArray()) {
        const QJsonArray item = value.toArray();
        items.append({item.at(0).toString(), item.at(1).toString(), item.at(2).toString()});
    }
    return items;
}

} // namespace

DOMCSSRulePtr DOMCSSRule::fromJson(const QJsonObject &json, DOMStyleSheetList &list)
{
    const qint64 ruleId = qint64(json.value(QStringLiteral("id")).toDouble());
    auto rule = std::make_shared<DOMCSSRule>(DOMCSSKey(), json.value(QStringLiteral("type")).toInt(), ruleId);
    rule->updateFromJson(json, list);
    return rule;
}

void DOMCSSRule::updateFromJson(const QJsonObject &json, DOMStyleSheetList &list)
{
    const auto take = [this](QString &field, const QString &value) {
        if (field == value)
            return;
        field = value;
        noteRuleChanged();
    };
    take(m_selectorText, json.value(QStringLiteral("sel")).toString());
    take(m_keyText, json.value(QStringLiteral("key")).toString());
    take(m_name, json.value(QStringLiteral("name")).toString());
    take(m_conditionText, json.value(QStringLiteral("cond")).toString());
    m_href = json.value(QStringLiteral("href")).toString();
    m_text = json.value(QStringLiteral("text")).toString();
    if (const bool prefixed = json.value(QStringLiteral("prefixed")).toBool(); prefixed != m_prefixed) {
        m_prefixed = prefixed;
        noteRuleChanged();
    }
    if (m_style)
        m_style->resetFromEngine(json.value(QStringLiteral("css")).toString(), itemsOf(json));
    if (m_media) {
        const QString media = json.value(QStringLiteral("media")).toString();
        if (media != m_media->mediaText())
            noteRuleChanged();
        m_media->resetFromEngine(media);
    }
    if (m_type == IMPORT_RULE) {
        const QJsonObject sheet = json.value(QStringLiteral("sheet")).toObject();
        if (!sheet.isEmpty()) {
            if (m_styleSheet) {
                list.unregisterSheet(m_styleSheet.get());
                m_styleSheet->m_ownerRule = nullptr;
            }
            m_styleSheet = list.sheetFromJson(sheet);
            m_styleSheet->m_ownerRule = this;
            if (styleSheetList())
                list.registerSheet(m_styleSheet.get());
            noteRuleChanged();
        }
    }

    const QJsonArray children = json.value(QStringLiteral("rules")).toArray();
    // Keep the objects of children whose types line up; the program may hold them.
    bool sameShape = children.size() == m_rules.size();
    for (int i = 0; sameShape && i < children.size(); ++i)
        sameShape = children.at(i).toObject().value(QStringLiteral("type")).toInt() == m_rules.at(i)->type();
    DOMStyleSheetList *registry = styleSheetList();
    if (sameShape) {
        for (int i = 0; i < children.size(); ++i) {
            const DOMCSSRulePtr &child = m_rules.at(i);
            const qint64 engineId = qint64(children.at(i).toObject().value(QStringLiteral("id")).toDouble());
            if (registry)
                registry->unregisterRule(child.get());
            child->m_ruleId = engineId;
            child->updateFromJson(children.at(i).toObject(), list);
            if (registry)
                registry->registerRule(child.get());
        }
        return;
    }
    // Rules came or went: those the page still has by their ids keep their
    // objects, as a sheet's do.
    QHash<qint64, DOMCSSRulePtr> kept;
    for (const DOMCSSRulePtr &child : std::as_const(m_rules))
        kept.insert(child->ruleId(), child);
    while (!m_rules.isEmpty())
        detachChild(int(m_rules.size()) - 1);
    for (const QJsonValue &value : children) {
        const QJsonObject child = value.toObject();
        DOMCSSRulePtr rule = kept.take(qint64(child.value(QStringLiteral("id")).toDouble()));
        if (rule && rule->type() == child.value(QStringLiteral("type")).toInt())
            rule->updateFromJson(child, list);
        else
            rule = fromJson(child, list);
        adoptChild(rule, int(m_rules.size()));
    }
}

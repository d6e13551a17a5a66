// DOMStyleSheetList: the sheets and rules of the engine's report given as arrays.

#include "DOMStyleSheetList.h"

#include "DOMCSSRule.h"
#include "DOMCSSStyleDeclaration.h"

#include "platform/web/dom/DOMLog.h"

namespace {

// [css] or [css, items] from field at on: the items as name and value in
// turn, the name behind '!' when it is important.
void readStyleCompact(DOMCSSStyleDeclaration &style, const QJsonArray &json, qsizetype at)
{
    const QString css = json.at(at).toString();
    if (json.size() <= at + 1) {
        style.resetFromEngine(css, std::nullopt);
        return;
    }
    const QJsonArray flat = json.at(at + 1).toArray();
    QList<DOMCSSDeclaration> items;
    items.reserve(flat.size() / 2);
    for (qsizetype i = 0; i + 1 < flat.size(); i += 2) {
        QString name = flat.at(i).toString();
        QString priority;
        if (name.startsWith(QLatin1Char('!'))) {
            name.remove(0, 1);
            priority = QStringLiteral("important");
        }
        items.append({name, flat.at(i + 1).toString(), priority});
    }
    style.resetFromEngine(css, std::move(items));
}

} // namespace

DOMCSSRulePtr DOMStyleSheetList::ruleFromCompact(const QJsonArray &json)
{
    const int type = json.at(0).toInt();
    auto rule = std::make_shared<DOMCSSRule>(DOMCSSKey(), type, qint64(json.at(1).toDouble()));
    QJsonArray children;
    switch (type) {
    case DOMCSSRule::STYLE_RULE:
    case DOMCSSRule::PAGE_RULE:
        rule->m_selectorText = json.at(2).toString();
        break;
    case DOMCSSRule::IMPORT_RULE:
        rule->m_href = json.at(2).toString();
        rule->m_media->resetFromEngine(json.at(3).toString());
        if (const QJsonValue sheet = json.at(4); sheet.isArray()) {
            rule->m_styleSheet = sheetFromCompact(sheet.toArray());
            rule->m_styleSheet->m_ownerRule = rule.get();
        }
        return rule;
    case DOMCSSRule::MEDIA_RULE:
        rule->m_media->resetFromEngine(json.at(2).toString());
        children = json.at(3).toArray();
        break;
    case DOMCSSRule::FONT_FACE_RULE:
    case DOMCSSRule::COUNTER_STYLE_RULE:
        rule->m_name = json.at(2).toString();
        break;
    case DOMCSSRule::KEYFRAMES_RULE:
        rule->m_name = json.at(2).toString();
        rule->m_prefixed = json.at(3).toInt() != 0;
        children = json.at(4).toArray();
        break;
    case DOMCSSRule::KEYFRAME_RULE:
        rule->m_keyText = json.at(2).toString();
        break;
    case DOMCSSRule::SUPPORTS_RULE:
        rule->m_conditionText = json.at(2).toString();
        children = json.at(3).toArray();
        break;
    default:
        rule->m_text = json.at(2).toString();
        rule->m_name = json.at(3).toString();
        children = json.at(4).toArray();
        break;
    }
    if (rule->m_style)
        readStyleCompact(*rule->m_style, json, 3);
    rule->m_rules.reserve(children.size());
    for (const QJsonValue &child : std::as_const(children)) {
        const DOMCSSRulePtr made = ruleFromCompact(child.toArray());
        made->m_parentRule = rule.get();
        rule->m_rules.append(made);
    }
    return rule;
}

DOMCSSStyleSheetPtr DOMStyleSheetList::sheetFromCompact(const QJsonArray &json)
{
    auto sheet = std::make_shared<DOMCSSStyleSheet>(DOMCSSKey(), qint64(json.at(0).toDouble()));
    sheet->m_href = json.at(1).toString();
    sheet->m_title = json.at(2).toString();
    sheet->m_media.resetFromEngine(json.at(3).toString());
    sheet->m_disabled = json.at(4).toInt() != 0;
    sheet->m_ownerNodeId = qint64(json.at(5).toDouble());
    const QJsonValue rules = json.at(6);
    sheet->m_readable = rules.isArray();
    if (!sheet->m_readable) {
        qCInfo(lcWeb) << "the rules of" << sheet->m_href << "cannot be read (another origin); it stays empty";
        return sheet;
    }
    const QJsonArray list = rules.toArray();
    sheet->m_rules.reserve(list.size());
    for (const QJsonValue &rule : list) {
        const DOMCSSRulePtr made = ruleFromCompact(rule.toArray());
        made->setParents(sheet.get(), nullptr);
        sheet->m_rules.append(made);
    }
    return sheet;
}

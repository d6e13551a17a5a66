// DOMStyleSheetList: the sheets and rules of the engine's report given as
// arrays, read in place from the report's JSON text.

#include "DOMStyleSheetList.h"

#include "DOMCSSRule.h"
#include "DOMCSSStyleDeclaration.h"

#include "platform/web/dom/DOMJsonReader.h"
#include "platform/web/dom/DOMLog.h"

namespace {

// The fields of the engine's arrays, each read after the comma before it.
// Null reads as an empty string and a number as a double, as from a JSON list.
bool readCompactString(DOMJsonReader &reader, QString &target)
{
    if (!reader.expect(','))
        return false;
    if (reader.peek() == 'n') {
        target.clear();
        return reader.readLiteral("null");
    }
    return reader.readStringInto(target);
}

bool readCompactId(DOMJsonReader &reader, qint64 &target)
{
    return reader.expect(',') && reader.readId(target);
}

// [css] or [css, items] from the next field on, up to the array's end: the
// items as name and value in turn, the name behind '!' when it is important.
bool readStyleCompact(DOMJsonReader &reader, DOMCSSStyleDeclaration &style)
{
    QString css;
    if (!readCompactString(reader, css))
        return false;
    if (reader.peek() != ',') {
        style.resetFromEngine(css, std::nullopt);
        return reader.expect(']');
    }
    reader.expect(',');
    QList<DOMCSSDeclaration> items;
    QString name;
    int index = 0;
    const bool read = reader.readElements([&] {
        QString text;
        if (!reader.readStringInto(text))
            return false;
        if (index++ % 2 == 0) {
            name = std::move(text);
            return true;
        }
        QString priority;
        if (name.startsWith(QLatin1Char('!'))) {
            name.remove(0, 1);
            priority = QStringLiteral("important");
        }
        items.append({std::move(name), std::move(text), std::move(priority)});
        return true;
    });
    if (!read)
        return false;
    style.resetFromEngine(css, std::move(items));
    return reader.expect(']');
}

} // namespace

bool DOMStyleSheetList::readSheetHead(DOMJsonReader &reader, qint64 &sheetId)
{
    return reader.expect('[') && reader.readId(sheetId);
}

bool DOMStyleSheetList::readRulesCompact(DOMJsonReader &reader, QList<DOMCSSRulePtr> &rules)
{
    return reader.readElements([&] {
        DOMCSSRulePtr rule = ruleFromCompact(reader);
        if (!rule)
            return false;
        rules.append(std::move(rule));
        return true;
    });
}

DOMCSSRulePtr DOMStyleSheetList::ruleFromCompact(DOMJsonReader &reader)
{
    int type = 0;
    qint64 id = 0;
    if (!reader.expect('[') || !reader.readInt(type) || !readCompactId(reader, id))
        return nullptr;
    auto rule = std::make_shared<DOMCSSRule>(DOMCSSKey(), type, id);
    QString media;
    qint64 flag = 0;
    bool read = true;
    bool hasRules = false;
    switch (rule->m_type) {
    case DOMCSSRule::STYLE_RULE:
    case DOMCSSRule::PAGE_RULE:
        read = readCompactString(reader, rule->m_selectorText);
        break;
    case DOMCSSRule::IMPORT_RULE:
        if (!readCompactString(reader, rule->m_href) || !readCompactString(reader, media) || !reader.expect(','))
            return nullptr;
        rule->m_media->resetFromEngine(media);
        if (reader.peek() == '[') {
            qint64 sheetId = 0;
            if (!readSheetHead(reader, sheetId))
                return nullptr;
            rule->m_styleSheet = sheetFromCompact(reader, sheetId);
            if (!rule->m_styleSheet)
                return nullptr;
            rule->m_styleSheet->m_ownerRule = rule.get();
        } else if (!reader.skipValue()) {
            return nullptr;
        }
        return reader.expect(']') ? rule : nullptr;
    case DOMCSSRule::MEDIA_RULE:
        read = readCompactString(reader, media) && reader.expect(',');
        rule->m_media->resetFromEngine(media);
        hasRules = true;
        break;
    case DOMCSSRule::FONT_FACE_RULE:
        read = readCompactString(reader, rule->m_name);
        break;
    case DOMCSSRule::KEYFRAMES_RULE:
        read = readCompactString(reader, rule->m_name) && readCompactId(reader, flag) && reader.expect(',');
        rule->m_prefixed = flag != 0;
        hasRules = true;
        break;
    case DOMCSSRule::KEYFRAME_RULE:
        read = readCompactString(reader, rule->m_keyText);
        break;
    case DOMCSSRule::SUPPORTS_RULE:
        read = readCompactString(reader, rule->m_conditionText) && reader.expect(',');
        hasRules = true;
        break;
    default:
        read = readCompactString(reader, rule->m_text) && readCompactString(reader, rule->m_name) && reader.expect(',');
        // Rules inside it, or 0.
        hasRules = reader.peek() == '[';
        if (read && !hasRules)
            read = reader.skipValue();
        break;
    }
    if (!read)
        return nullptr;
    if (rule->m_style)
        return readStyleCompact(reader, *rule->m_style) ? rule : nullptr;
    if (hasRules) {
        if (!readRulesCompact(reader, rule->m_rules))
            return nullptr;
        for (const DOMCSSRulePtr &child : std::as_const(rule->m_rules))
            child->m_parentRule = rule.get();
    }
    return reader.expect(']') ? rule : nullptr;
}

DOMCSSStyleSheetPtr DOMStyleSheetList::sheetFromCompact(DOMJsonReader &reader, qint64 sheetId)
{
    auto sheet = std::make_shared<DOMCSSStyleSheet>(DOMCSSKey(), sheetId);
    QString media;
    qint64 disabled = 0;
    if (!readCompactString(reader, sheet->m_href) || !readCompactString(reader, sheet->m_title)
        || !readCompactString(reader, media) || !readCompactId(reader, disabled)
        || !readCompactId(reader, sheet->m_ownerNodeId) || !reader.expect(','))
        return nullptr;
    sheet->m_media.resetFromEngine(media);
    sheet->m_disabled = disabled != 0;
    sheet->m_readable = reader.peek() == '[';
    if (!sheet->m_readable) {
        qCInfo(lcWeb) << "the rules of" << sheet->m_href << "cannot be read (another origin); it stays empty";
        return reader.skipValue() && reader.expect(']') ? sheet : nullptr;
    }
    if (!readRulesCompact(reader, sheet->m_rules))
        return nullptr;
    for (const DOMCSSRulePtr &rule : std::as_const(sheet->m_rules))
        rule->setParents(sheet.get(), nullptr);
    return reader.expect(']') ? sheet : nullptr;
}

#include "DOMStyleSheetList.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMJsonReader.h"
#include "platform/web/dom/DOMLog.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <atomic>
#include <optional>

DOMStyleSheetList::DOMStyleSheetList(DOMDocument *document) : m_document(document) {}

DOMStyleSheetList::~DOMStyleSheetList()
{
    // Sheets held elsewhere, imported ones too, outlive the list.
    for (const DOMCSSStyleSheetPtr &sheet : std::as_const(m_sheets))
        sheet->m_list = nullptr;
    for (DOMCSSStyleSheet *sheet : std::as_const(m_sheetsById))
        sheet->m_list = nullptr;
}

DOMCSSRulePtr DOMStyleSheetList::ruleForId(qint64 ruleId) const
{
    DOMCSSRule *rule = m_rulesById.value(ruleId);
    return rule ? rule->shared_from_this() : nullptr;
}

DOMCSSStyleSheetPtr DOMStyleSheetList::sheetForId(qint64 sheetId) const
{
    DOMCSSStyleSheet *sheet = m_sheetsById.value(sheetId);
    return sheet ? sheet->shared_from_this() : nullptr;
}

qint64 DOMStyleSheetList::allocateRuleId()
{
    // One counter for the whole program: the page side keeps one map of them.
    static std::atomic<qint64> s_next{-1};
    return s_next--;
}

DOMCSSStyleDeclarationPtr DOMStyleSheetList::createCSSStyleDeclaration() const
{
    std::weak_ptr<DOMDocument> document;
    if (m_document)
        document = std::static_pointer_cast<DOMDocument>(m_document->weak_from_this().lock());
    return std::make_shared<DOMCSSStyleDeclaration>(document);
}

void DOMStyleSheetList::sendCommand(const QJsonObject &command)
{
    if (m_engineUpdates > 0 || !m_commandHandler)
        return;
    m_commandHandler(command);
}

void DOMStyleSheetList::registerRule(DOMCSSRule *rule)
{
    std::vector<DOMCSSRule *> pending{rule};
    while (!pending.empty()) {
        DOMCSSRule *next = pending.back();
        pending.pop_back();
        m_rulesById.insert(next->ruleId(), next);
        if (next->m_styleSheet)
            registerSheet(next->m_styleSheet.get());
        for (const DOMCSSRulePtr &child : std::as_const(next->m_rules))
            pending.push_back(child.get());
    }
}

void DOMStyleSheetList::unregisterRule(DOMCSSRule *rule)
{
    std::vector<DOMCSSRule *> pending{rule};
    while (!pending.empty()) {
        DOMCSSRule *next = pending.back();
        pending.pop_back();
        if (m_rulesById.value(next->ruleId()) == next)
            m_rulesById.remove(next->ruleId());
        if (next->m_styleSheet)
            unregisterSheet(next->m_styleSheet.get());
        for (const DOMCSSRulePtr &child : std::as_const(next->m_rules))
            pending.push_back(child.get());
    }
}

void DOMStyleSheetList::registerSheet(DOMCSSStyleSheet *sheet)
{
    sheet->m_list = this;
    m_sheetsById.insert(sheet->sheetId(), sheet);
    for (const DOMCSSRulePtr &rule : std::as_const(sheet->m_rules)) {
        rule->setParents(sheet, nullptr);
        registerRule(rule.get());
    }
}

void DOMStyleSheetList::unregisterSheet(DOMCSSStyleSheet *sheet)
{
    if (m_sheetsById.value(sheet->sheetId()) == sheet)
        m_sheetsById.remove(sheet->sheetId());
    for (const DOMCSSRulePtr &rule : std::as_const(sheet->m_rules))
        unregisterRule(rule.get());
    sheet->m_list = nullptr;
}

DOMCSSStyleSheetPtr DOMStyleSheetList::sheetFromJson(const QJsonObject &json)
{
    auto sheet = std::make_shared<DOMCSSStyleSheet>(DOMCSSKey(), qint64(json.value(QStringLiteral("id")).toDouble()));
    sheet->m_href = json.value(QStringLiteral("href")).toString();
    sheet->m_title = json.value(QStringLiteral("title")).toString();
    sheet->m_media.resetFromEngine(json.value(QStringLiteral("media")).toString());
    sheet->m_disabled = json.value(QStringLiteral("disabled")).toBool();
    sheet->m_readable = json.value(QStringLiteral("readable")).toBool(true);
    sheet->m_ownerNodeId = qint64(json.value(QStringLiteral("owner")).toDouble());
    if (!sheet->m_readable)
        qCInfo(lcWeb) << "the rules of" << sheet->m_href << "cannot be read (another origin); it stays empty";
    const QJsonArray rules = json.value(QStringLiteral("rules")).toArray();
    sheet->m_rules.reserve(rules.size());
    for (const QJsonValue &rule : rules) {
        const DOMCSSRulePtr made = DOMCSSRule::fromJson(rule.toObject(), *this);
        made->setParents(sheet.get(), nullptr);
        sheet->m_rules.append(made);
    }
    return sheet;
}

void DOMStyleSheetList::readFromEngine(const QJsonArray &sheets)
{
    readFromEngine(QJsonDocument(sheets).toJson(QJsonDocument::Compact));
}

bool DOMStyleSheetList::readFromEngine(QByteArrayView text)
{
    // The report is read whole before the list changes: a sheet as arrays is
    // built at once, a known one kept by id, one given as an object taken as such.
    struct Reported
    {
        DOMCSSStyleSheetPtr sheet;
        qint64 knownId = 0;
        std::optional<QJsonObject> object;
    };
    ++m_engineUpdates;
    QList<Reported> reported;
    DOMJsonReader reader(text);
    const bool read = reader.readElements([&] {
        const qsizetype start = reader.position();
        if (reader.peek() == '{') {
            if (!reader.skipValue())
                return false;
            reported.append({nullptr, 0, QJsonDocument::fromJson(reader.textFrom(start).toByteArray()).object()});
            return true;
        }
        qint64 sheetId = 0;
        if (!readSheetHead(reader, sheetId))
            return false;
        if (reader.peek() == ']') {
            reader.expect(']');
            reported.append({nullptr, sheetId, std::nullopt});
            return true;
        }
        DOMCSSStyleSheetPtr sheet = sheetFromCompact(reader, sheetId);
        reported.append({sheet, 0, std::nullopt});
        return sheet != nullptr;
    });
    if (!read || reader.peek() != 0) {
        qCWarning(lcWeb) << "the engine's report of the style sheets is not a list of sheets:"
                         << (reader.error().isEmpty() ? QStringLiteral("unexpected text") : reader.error()) << "at"
                         << reader.position();
        --m_engineUpdates;
        return false;
    }
    QHash<qint64, DOMCSSStyleSheetPtr> previous;
    for (const DOMCSSStyleSheetPtr &sheet : std::as_const(m_sheets))
        previous.insert(sheet->sheetId(), sheet);
    QList<DOMCSSStyleSheetPtr> next;
    next.reserve(reported.size());
    for (const Reported &item : std::as_const(reported)) {
        if (item.sheet) {
            registerSheet(item.sheet.get());
            next.append(item.sheet);
            continue;
        }
        const QJsonObject json = item.object.value_or(QJsonObject());
        const qint64 sheetId = item.object ? qint64(json.value(QStringLiteral("id")).toDouble()) : item.knownId;
        if (!item.object || json.value(QStringLiteral("known")).toBool()) {
            if (const DOMCSSStyleSheetPtr kept = previous.take(sheetId)) {
                next.append(kept);
                continue;
            }
            qCWarning(lcWeb) << "the page named style sheet" << sheetId << "as known, but the mirror has none";
            continue;
        }
        if (const DOMCSSStyleSheetPtr known = previous.take(sheetId)) {
            // The page's scripts changed its rules: the sheet and the rules it
            // still has keep their objects.
            updateSheet(*known, json);
            next.append(known);
            continue;
        }
        const DOMCSSStyleSheetPtr sheet = sheetFromJson(json);
        registerSheet(sheet.get());
        next.append(sheet);
    }
    for (const DOMCSSStyleSheetPtr &gone : std::as_const(previous))
        unregisterSheet(gone.get());
    m_sheets = next;
    --m_engineUpdates;
    return true;
}

void DOMStyleSheetList::updateSheet(DOMCSSStyleSheet &sheet, const QJsonObject &json)
{
    sheet.m_media.resetFromEngine(json.value(QStringLiteral("media")).toString());
    sheet.m_disabled = json.value(QStringLiteral("disabled")).toBool();
    QHash<qint64, DOMCSSRulePtr> kept;
    for (const DOMCSSRulePtr &rule : std::as_const(sheet.m_rules))
        kept.insert(rule->ruleId(), rule);
    while (!sheet.m_rules.isEmpty())
        sheet.detachRule(int(sheet.m_rules.size()) - 1);
    for (const QJsonValue &value : json.value(QStringLiteral("rules")).toArray()) {
        const QJsonObject ruleJson = value.toObject();
        DOMCSSRulePtr rule = kept.value(qint64(ruleJson.value(QStringLiteral("id")).toDouble()));
        if (rule && rule->type() == ruleJson.value(QStringLiteral("type")).toInt())
            rule->updateFromJson(ruleJson, *this);
        else
            rule = DOMCSSRule::fromJson(ruleJson, *this);
        sheet.adoptRule(rule, int(sheet.m_rules.size()));
    }
}

void DOMStyleSheetList::updateRuleFromEngine(const QJsonObject &rule)
{
    const qint64 ruleId = qint64(rule.value(QStringLiteral("id")).toDouble());
    const DOMCSSRulePtr mirrored = ruleForId(ruleId);
    if (!mirrored)
        return; // deleted since
    if (mirrored->type() != rule.value(QStringLiteral("type")).toInt()) {
        qCWarning(lcWeb) << "the page's rule" << ruleId << "changed its type; it is read again";
    }
    ++m_engineUpdates;
    mirrored->updateFromJson(rule, *this);
    --m_engineUpdates;
}

void DOMStyleSheetList::ruleRefused(qint64 ruleId, const QString &message)
{
    const DOMCSSRulePtr rule = ruleForId(ruleId);
    if (!rule)
        return;
    const QString text = rule->cssText();
    ++m_engineUpdates;
    if (const DOMCSSRulePtr parent = rule->parentRule()) {
        const int index = int(parent->m_rules.indexOf(rule));
        if (index >= 0)
            parent->detachChild(index);
    } else if (const DOMCSSStyleSheetPtr sheet = rule->parentStyleSheet()) {
        const int index = sheet->indexOfRule(rule);
        if (index >= 0)
            sheet->detachRule(index);
    }
    --m_engineUpdates;
    qCWarning(lcWeb) << "the page refused the rule" << text << ":" << message;
    if (m_refusalHandler)
        m_refusalHandler(text, message);
}

QString DOMStyleSheetList::debugDump() const
{
    QStringList lines;
    for (const DOMCSSStyleSheetPtr &sheet : m_sheets) {
        lines.append(QStringLiteral("sheet %1").arg(sheet->href().isEmpty() ? QStringLiteral("(inline)") : sheet->href()));
        const DOMCSSRuleList rules = sheet->cssRules();
        for (int i = 0; i < rules.length(); ++i)
            lines.append(QStringLiteral("  ") + rules.item(i)->cssText());
    }
    return lines.join(QLatin1Char('\n'));
}

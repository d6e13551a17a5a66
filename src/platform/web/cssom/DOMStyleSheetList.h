#pragma once

#include "DOMCSSStyleSheet.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>

#include <functional>
#include <memory>

class DOMDocument;
class DOMJsonReader;

// The style sheets of a mirrored document (document.styleSheets), in document
// order, and the registry from the bridge's ids to sheets and rules.
//
// JSON of the engine's report of the sheets (readFromEngine()): a list whose
// items are sheets new to the mirror as arrays (DOMStyleSheetListCompact.cpp),
//   [id, href | null, title, media, disabled 0|1, owner node id | 0, [rule, ...] | 0 (unreadable)]
//   rule: [type, id, ...]: 1 and 6 [sel, css, items?]; 3 [href, media, sheet | 0];
//         4 [media, rules]; 5 and 11 [name | null, css, items?]; 7 [name, prefixed 0|1, rules];
//         8 [key, css, items?]; 12 [cond, rules]; any other [cssText, name | null, rules | 0]
//   items: name and value in turn, the name behind '!' when it is important;
//   left out when the items are the declarations of css;
// sheets the mirror has already seen as [id] (or {"id": 5, "known": true}), and
// sheets whose number of rules the page's scripts changed as objects (their
// objects stay):
//   {"id": 5, "href": "file:///a.css" | null, "owner": <node id> | 0, "title": "",
//    "media": "screen", "disabled": false, "readable": true, "rules": [rule, ...]}
// rule:
//   {"id": 7, "type": 1, "sel": ".a", "css": "color: red;", "items": [[name, value, priority], ...]}
//   {"id": 8, "type": 4, "media": "screen", "rules": [...]}
//   {"id": 9, "type": 7, "name": "spin", "prefixed": true, "rules": [{"id": 10, "type": 8, "key": "0%", "css": ...}]}
//   {"id": 11, "type": 12, "cond": "(display: grid)", "rules": [...]}
//   {"id": 12, "type": 3, "href": "b.css", "media": "", "sheet": {sheet}}
//   {"id": 13, "type": 5, "css": ...}   {"id": 14, "type": 6, "sel": ":first", "css": ...}
//   any other: {"id", "type", "text": cssText, "name"?, "rules"?}
// "items" is left out when the items are the declarations of "css". A sheet
// given whole as an object is read as new when the mirror does not have it.
//
// Writes of the program are handed to the command handler as JSON commands,
// in order (see DOMCSSRule.cpp and DOMCSSStyleDeclaration.cpp for their forms).
//
// The document owns its list; the list owns its sheets, and hands them and
// their rules out as shared handles (see "Ownership" in DOMCSSRule.h). A sheet
// that leaves the list, or outlives it, replays nothing and has no owner node.
class DOMStyleSheetList
{
public:
    explicit DOMStyleSheetList(DOMDocument *document = nullptr);
    ~DOMStyleSheetList();
    DOMStyleSheetList(const DOMStyleSheetList &) = delete;
    DOMStyleSheetList &operator=(const DOMStyleSheetList &) = delete;

    int length() const { return int(m_sheets.size()); }
    // Null outside [0, length).
    DOMCSSStyleSheetPtr item(int index) const
    {
        return index >= 0 && index < m_sheets.size() ? m_sheets.at(index) : nullptr;
    }
    const QList<DOMCSSStyleSheetPtr> &sheets() const { return m_sheets; }

    DOMDocument *document() const { return m_document; }
    // The rules and sheets of the list (imported ones too) by id; null when unknown.
    DOMCSSRulePtr ruleForId(qint64 ruleId) const;
    DOMCSSStyleSheetPtr sheetForId(qint64 sheetId) const;

    // A scratch declaration whose validity questions go to the document's engine.
    DOMCSSStyleDeclarationPtr createCSSStyleDeclaration() const;

    // Replays the program's writes; none while null.
    void setCommandHandler(std::function<void(const QJsonObject &)> handler) { m_commandHandler = std::move(handler); }
    // Told when the engine refuses a rule that the mirror had accepted (the
    // mirror has dropped it again): the rule's text and the engine's message.
    void setRefusalHandler(std::function<void(const QString &, const QString &)> handler)
    {
        m_refusalHandler = std::move(handler);
    }

    // The engine's report of the whole list as its JSON text, read in place;
    // sheets it names as known keep their objects. Nothing is replayed. False
    // (logged, the list as it was) when the text is no such list.
    bool readFromEngine(QByteArrayView text);
    // The same from the report as a JSON list.
    void readFromEngine(const QJsonArray &sheets);
    // The engine's state of one rule after a write (by the rule's id).
    void updateRuleFromEngine(const QJsonObject &rule);
    // The engine refused the insertion of the rule with that id.
    void ruleRefused(qint64 ruleId, const QString &message);

    // The text of every sheet, rule by rule, for tests and logs.
    QString debugDump() const;

    // A new id for a rule the program makes; never one the page uses.
    static qint64 allocateRuleId();

private:
    friend class DOMCSSRule;
    friend class DOMCSSStyleSheet;
    friend class DOMCSSStyleDeclaration;

    void sendCommand(const QJsonObject &command);
    void registerRule(DOMCSSRule *rule);
    void unregisterRule(DOMCSSRule *rule);
    void registerSheet(DOMCSSStyleSheet *sheet);
    void unregisterSheet(DOMCSSStyleSheet *sheet);
    DOMCSSStyleSheetPtr sheetFromJson(const QJsonObject &json);
    // DOMStyleSheetListCompact.cpp: from the reader's position; null when the
    // text is not of the form. A sheet's from after its id.
    DOMCSSStyleSheetPtr sheetFromCompact(DOMJsonReader &reader, qint64 sheetId);
    // A sheet's "[" and id.
    static bool readSheetHead(DOMJsonReader &reader, qint64 &sheetId);
    DOMCSSRulePtr ruleFromCompact(DOMJsonReader &reader);
    bool readRulesCompact(DOMJsonReader &reader, QList<DOMCSSRulePtr> &rules);
    void updateSheet(DOMCSSStyleSheet &sheet, const QJsonObject &json);

    DOMDocument *m_document; // Not owned.
    QList<DOMCSSStyleSheetPtr> m_sheets;
    // Every rule and sheet in the list; each leaves it before it is let go.
    QHash<qint64, DOMCSSRule *> m_rulesById;        // Not owned.
    QHash<qint64, DOMCSSStyleSheet *> m_sheetsById; // Not owned.
    std::function<void(const QJsonObject &)> m_commandHandler;
    std::function<void(const QString &, const QString &)> m_refusalHandler;
    int m_engineUpdates = 0; // > 0 while the engine's state is being read
};

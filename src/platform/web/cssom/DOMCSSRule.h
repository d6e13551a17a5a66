#pragma once

#include "DOMCSSParser.h"
#include "DOMCSSRuleList.h"
#include "DOMCSSStyleDeclaration.h"
#include "DOMMediaList.h"

#include <QJsonObject>
#include <QString>

#include <memory>

class DOMCSSStyleSheet;
class DOMStyleSheetList;

// The answer of an insertion: the index of the new rule, or the DOM exception
// the engine would raise (code and name: 12 "SyntaxError", 1 "IndexSizeError",
// 3 "HierarchyRequestError") with a readable message.
struct DOMCSSInsertion
{
    int index = -1;
    int exceptionCode = 0;
    QString exceptionName;
    QString message;

    bool isOk() const { return exceptionCode == 0; }
    explicit operator bool() const { return isOk(); }
    static DOMCSSInsertion failure(int code, const QString &message);
};

// One rule of a mirrored style sheet, of any CSSOM type: the accessors of the
// other types answer empty values. It carries the id the bridge shares with the
// page; writes change the mirror at once and are replayed by that id.
//
// Ownership: a sheet or grouping rule owns its rules; a rule taken out of its
// list stays whole while someone holds it, without parents.
//
// The DOMCSSRule(Utils) operations (selector() to removeRuleByRule()) are in
// DOMCSSRuleUtils.cpp.
class DOMCSSRule : public std::enable_shared_from_this<DOMCSSRule>
{
public:
    enum Type {
        UNKNOWN_RULE = 0,
        STYLE_RULE = 1,
        CHARSET_RULE = 2,
        IMPORT_RULE = 3,
        MEDIA_RULE = 4,
        FONT_FACE_RULE = 5,
        PAGE_RULE = 6,
        KEYFRAMES_RULE = 7,
        KEYFRAME_RULE = 8,
        NAMESPACE_RULE = 10,
        COUNTER_STYLE_RULE = 11,
        SUPPORTS_RULE = 12,
        FONT_FEATURE_VALUES_RULE = 14,
    };

    DOMCSSRule(int type, qint64 ruleId);
    ~DOMCSSRule();
    DOMCSSRule(const DOMCSSRule &) = delete;
    DOMCSSRule &operator=(const DOMCSSRule &) = delete;

    int type() const { return m_type; }
    qint64 ruleId() const { return m_ruleId; }
    QString cssText() const;

    DOMCSSStyleSheet *parentStyleSheet() const { return m_parentStyleSheet; }
    DOMCSSRule *parentRule() const { return m_parentRule; }

    // Style and page rules.
    QString selectorText() const { return m_selectorText; }
    // An invalid selector is ignored, as the engine ignores it.
    void setSelectorText(const QString &text);
    // Style, page, font-face and keyframe rules; null for the others.
    DOMCSSStyleDeclaration *style() const { return m_style.get(); }
    // Media and import rules; null for the others.
    DOMMediaList *media() const { return m_media.get(); }
    // Supports and media rules.
    QString conditionText() const;
    // Keyframes rules (and the other named at-rules).
    QString name() const { return m_name; }
    // Keyframe rules: "0%", "50%, 60%".
    QString keyText() const { return m_keyText; }
    void setKeyText(const QString &text);
    // Import rules.
    QString href() const { return m_href; }
    DOMCSSStyleSheet *styleSheet() const { return m_styleSheet.get(); }
    // Whether a keyframes rule was written with the "-webkit-" prefix.
    bool isPrefixed() const { return m_prefixed; }

    // Media, supports and keyframes rules (and other grouping rules).
    DOMCSSRuleList cssRules() const { return DOMCSSRuleList(&m_rules); }
    // Grouping rules.
    DOMCSSInsertion insertRule(const QString &rule, int index);
    DOMCSSInsertion deleteRule(int index);
    // Keyframes rules: a bad keyframe is ignored, as the engine ignores it.
    void appendRule(const QString &rule);
    void deleteRuleWithKey(const QString &key);
    DOMCSSRule *findRule(const QString &key) const;

    // DOMCSSRule(Utils).
    QString selector() const;
    QString cssBody() const;
    QString animationName() const;
    int indexOfRule(const DOMCSSRule *rule) const;
    void removeRuleByRule(const DOMCSSRule *rule);

    // The mirror that replays this rule's writes, or null for a detached rule.
    DOMStyleSheetList *styleSheetList() const;

    // Building from text and from the engine's reports.
    static std::shared_ptr<DOMCSSRule> fromParsed(const DOMCSSParsedRule &parsed, qint64 ruleId);
    static std::shared_ptr<DOMCSSRule> fromJson(const QJsonObject &json, DOMStyleSheetList &list);
    // Takes the engine's state of this rule in place; children keep their
    // objects where the engine's list has the same types.
    void updateFromJson(const QJsonObject &json, DOMStyleSheetList &list);

private:
    friend class DOMCSSStyleDeclaration;
    friend class DOMCSSStyleSheet;
    friend class DOMStyleSheetList;

    void sendCommand(QJsonObject command) const;
    void setParents(DOMCSSStyleSheet *sheet, DOMCSSRule *parent);
    void adoptChild(const std::shared_ptr<DOMCSSRule> &child, int index);
    void detachChild(int index);

    int m_type;
    qint64 m_ruleId;
    QString m_atName;
    QString m_selectorText;
    QString m_name;
    QString m_keyText;
    QString m_conditionText;
    QString m_href;
    QString m_text; // the engine's cssText for rules the mirror does not model
    bool m_prefixed = false;
    std::unique_ptr<DOMCSSStyleDeclaration> m_style;
    std::unique_ptr<DOMMediaList> m_media;
    std::shared_ptr<DOMCSSStyleSheet> m_styleSheet;
    QList<std::shared_ptr<DOMCSSRule>> m_rules;
    DOMCSSStyleSheet *m_parentStyleSheet = nullptr; // Not owned.
    DOMCSSRule *m_parentRule = nullptr;             // Not owned.
};

using DOMCSSRulePtr = std::shared_ptr<DOMCSSRule>;

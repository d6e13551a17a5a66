#pragma once

#include "DOMCSSParser.h"
#include "DOMCSSRuleList.h"
#include "DOMCSSStyleDeclaration.h"
#include "DOMMediaList.h"

#include <QJsonArray>
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

// Grants the constructors of rules and sheets to the CSSOM mirror only: they
// are made with DOMCSSRule::fromParsed()/fromJson() and DOMStyleSheetList, and
// always live in a shared pointer.
class DOMCSSKey
{
    friend class DOMCSSRule;
    friend class DOMCSSStyleSheet;
    friend class DOMStyleSheetList;
    friend class UserAgentStyleSheet;
    DOMCSSKey() = default;
};

// One rule of a mirrored style sheet, of any CSSOM type: the accessors of the
// other types answer empty values. It carries the id the bridge shares with the
// page; writes change the mirror at once and are replayed by that id.
//
// Ownership, the same for style sheets, rules, style declarations and media
// lists: a sheet owns its rules, a grouping rule its child rules, an import
// rule its sheet, and a rule or sheet its declaration and media list. Every
// accessor that answers one of these objects answers a shared handle
// (DOMCSSRulePtr, DOMCSSStyleSheetPtr, DOMCSSStyleDeclarationPtr,
// DOMMediaListPtr, DOMCSSRuleList), and whoever keeps an object past the
// current call (an undo action, a panel row, a drag) keeps its handle; a raw
// pointer is never kept across a turn of the event loop. A handle keeps its
// object whole however the object leaves the page: a deleted rule keeps its
// id, declarations and children, with parentStyleSheet() and parentRule()
// null; a sheet whose owner node was removed keeps its rules and replays
// nothing. A declaration's or media list's handle keeps its rule or sheet
// alive too. Re-inserting a held rule (undo) puts back the same object with
// its id. When a parent dies, the children still held elsewhere lose it.
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

    DOMCSSRule(DOMCSSKey, int type, qint64 ruleId);
    ~DOMCSSRule();
    DOMCSSRule(const DOMCSSRule &) = delete;
    DOMCSSRule &operator=(const DOMCSSRule &) = delete;

    int type() const { return m_type; }
    qint64 ruleId() const { return m_ruleId; }
    QString cssText() const;

    // Null for a detached rule (and parentRule() for a top-level one).
    DOMCSSStyleSheetPtr parentStyleSheet() const;
    DOMCSSRulePtr parentRule() const;

    // Style and page rules.
    QString selectorText() const { return m_selectorText; }
    // An invalid selector is ignored, as the engine ignores it.
    void setSelectorText(const QString &text);
    // Style, page, font-face and keyframe rules; null for the others.
    DOMCSSStyleDeclarationPtr style() const;
    // Media and import rules; null for the others.
    DOMMediaListPtr media() const;
    // Supports and media rules.
    QString conditionText() const;
    // Keyframes rules (and the other named at-rules).
    QString name() const { return m_name; }
    // Keyframe rules: "0%", "50%, 60%".
    QString keyText() const { return m_keyText; }
    void setKeyText(const QString &text);
    // Import rules.
    QString href() const { return m_href; }
    DOMCSSStyleSheetPtr styleSheet() const { return m_styleSheet; }
    // Whether a keyframes rule was written with the "-webkit-" prefix.
    bool isPrefixed() const { return m_prefixed; }

    // Media, supports and keyframes rules (and other grouping rules).
    DOMCSSRuleList cssRules() const { return DOMCSSRuleList(shared_from_this(), &m_rules); }
    // Grouping rules.
    DOMCSSInsertion insertRule(const QString &rule, int index);
    // Puts a detached rule back (the undo of deleteRule()): the same object,
    // with its id and children.
    DOMCSSInsertion insertRule(const DOMCSSRulePtr &rule, int index);
    DOMCSSInsertion deleteRule(int index);
    // Keyframes rules: a bad keyframe is ignored, as the engine ignores it.
    void appendRule(const QString &rule);
    // Keyframes rules: puts a detached keyframe back at the end.
    DOMCSSInsertion appendRule(const DOMCSSRulePtr &rule);
    void deleteRuleWithKey(const QString &key);
    DOMCSSRulePtr findRule(const QString &key) const;

    // DOMCSSRule(Utils).
    QString selector() const;
    QString cssBody() const;
    QString animationName() const;
    int indexOfRule(const DOMCSSRulePtr &rule) const;
    void removeRuleByRule(const DOMCSSRulePtr &rule);

    // The mirror that replays this rule's writes, or null for a detached rule.
    DOMStyleSheetList *styleSheetList() const;

    // Building from text and from the engine's reports.
    static DOMCSSRulePtr fromParsed(const DOMCSSParsedRule &parsed, qint64 ruleId);
    static DOMCSSRulePtr fromJson(const QJsonObject &json, DOMStyleSheetList &list);
    // Takes the engine's state of this rule in place; children keep their
    // objects where the engine's list has the same types.
    void updateFromJson(const QJsonObject &json, DOMStyleSheetList &list);

private:
    friend class DOMCSSStyleDeclaration;
    friend class DOMCSSStyleSheet;
    friend class DOMStyleSheetList;

    void sendCommand(QJsonObject command) const;
    // The sheet's rules stamp moves on (DOMCSSStyleSheet::rulesStamp()).
    void noteRuleChanged() const;
    void setParents(DOMCSSStyleSheet *sheet, DOMCSSRule *parent);
    void adoptChild(const DOMCSSRulePtr &child, int index);
    void detachChild(int index);
    bool isGrouping() const;
    // A failure unless rule is detached and does not hold the rule that would
    // hold it (null for a top-level sheet).
    static DOMCSSInsertion checkDetached(const DOMCSSRulePtr &rule, const DOMCSSRule *holder);
    static QJsonObject insertionCommand(qint64 sheetId, qint64 parentId, const QList<DOMCSSRulePtr> &rules,
                                        int index, const QString &text);
    // Whether rule is this rule or holds it (through parents and imports).
    bool isSelfOrParent(const DOMCSSRule *rule) const;
    // The ids of the descendants in tree order, for the page to give its copies.
    QJsonArray descendantIds() const;

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
    DOMCSSStyleSheetPtr m_styleSheet;
    QList<DOMCSSRulePtr> m_rules;
    // Cleared when the parent lets the rule go or dies.
    DOMCSSStyleSheet *m_parentStyleSheet = nullptr; // Not owned.
    DOMCSSRule *m_parentRule = nullptr;             // Not owned.
};

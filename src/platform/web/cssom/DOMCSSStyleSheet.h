#pragma once

#include "DOMCSSRule.h"
#include "DOMCSSRuleList.h"
#include "DOMMediaList.h"

#include <QString>

#include <memory>

class DOMNode;
class DOMStyleSheetList;

// One mirrored style sheet of a page (a style element, a linked or an
// imported sheet), or the browser's default sheet. It owns its rules.
// insertRule() answers at once from the text (DOMCSSParser) and the sheet's
// order rules; the engine's refusal of an accepted rule, should one come, is
// reported by the sheet list (DOMStyleSheetList::setRefusalHandler()).
//
// The DOMCSSStyleSheet(Utils) operations are indexOfRule() and removeRuleByRule().
class DOMCSSStyleSheet
{
public:
    enum class Origin { Author, UserAgent };

    DOMCSSStyleSheet(qint64 sheetId, Origin origin = Origin::Author);
    ~DOMCSSStyleSheet();
    DOMCSSStyleSheet(const DOMCSSStyleSheet &) = delete;
    DOMCSSStyleSheet &operator=(const DOMCSSStyleSheet &) = delete;

    qint64 sheetId() const { return m_sheetId; }
    Origin origin() const { return m_origin; }
    QString type() const { return QStringLiteral("text/css"); }
    // Null for a style element's sheet.
    QString href() const { return m_href; }
    QString title() const { return m_title; }
    DOMMediaList *media() { return &m_media; }
    bool disabled() const { return m_disabled; }
    void setDisabled(bool disabled);

    // The style or link element; null for imported sheets and when the node is gone.
    DOMNode *ownerNode() const;
    qint64 ownerNodeId() const { return m_ownerNodeId; }
    // The import rule of an imported sheet.
    DOMCSSRule *ownerRule() const { return m_ownerRule; }
    DOMCSSStyleSheet *parentStyleSheet() const;
    // Whether the page let the rules be read (a cross-origin sheet does not).
    bool isReadable() const { return m_readable; }

    DOMCSSRuleList cssRules() const { return DOMCSSRuleList(&m_rules); }
    DOMCSSRuleList rules() const { return cssRules(); }
    DOMCSSInsertion insertRule(const QString &rule, int index);
    DOMCSSInsertion deleteRule(int index);
    void removeRule(int index) { deleteRule(index); }

    // DOMCSSStyleSheet(Utils): the index of that very rule object, -1 when absent.
    int indexOfRule(const DOMCSSRule *rule) const;
    void removeRuleByRule(const DOMCSSRule *rule);

    DOMStyleSheetList *styleSheetList() const;

    // The checks of an insertion into a list of rules (a sheet's, or a
    // grouping rule's when grouping): text, index and order.
    static DOMCSSInsertion checkInsertion(const DOMCSSRuleList &rules, const QString &text, int index,
                                          bool grouping, DOMCSSParsedRule *parsed);

private:
    friend class DOMCSSRule;
    friend class DOMStyleSheetList;
    friend class UserAgentStyleSheet;

    void adoptRule(const DOMCSSRulePtr &rule, int index);
    void detachRule(int index);

    qint64 m_sheetId;
    Origin m_origin;
    QString m_href;
    QString m_title;
    DOMMediaList m_media;
    bool m_disabled = false;
    bool m_readable = true;
    qint64 m_ownerNodeId = 0;
    DOMCSSRule *m_ownerRule = nullptr;    // Not owned.
    DOMStyleSheetList *m_list = nullptr;  // Not owned.
    QList<DOMCSSRulePtr> m_rules;
};

using DOMCSSStyleSheetPtr = std::shared_ptr<DOMCSSStyleSheet>;

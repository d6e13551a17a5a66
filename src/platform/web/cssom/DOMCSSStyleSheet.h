#pragma once

#include "DOMCSSRule.h"
#include "DOMCSSRuleList.h"
#include "DOMMediaList.h"

#include <QString>

#include <memory>

class DOMNode;
class DOMStyleSheetList;

// One mirrored style sheet of a page (a style element, a linked or an
// imported sheet), or the browser's default sheet. It owns its rules and its
// media list, and is held by shared handles as DOMCSSRule.h describes: a sheet
// whose owner node was removed stays whole while held, without its list.
// insertRule() answers at once from the text (DOMCSSParser) and the sheet's
// order rules; the engine's refusal of an accepted rule, should one come, is
// reported by the sheet list (DOMStyleSheetList::setRefusalHandler()).
//
// The DOMCSSStyleSheet(Utils) operations are indexOfRule() and removeRuleByRule().
class DOMCSSStyleSheet : public std::enable_shared_from_this<DOMCSSStyleSheet>
{
public:
    enum class Origin { Author, UserAgent };

    DOMCSSStyleSheet(DOMCSSKey, qint64 sheetId, Origin origin = Origin::Author);
    ~DOMCSSStyleSheet();
    DOMCSSStyleSheet(const DOMCSSStyleSheet &) = delete;
    DOMCSSStyleSheet &operator=(const DOMCSSStyleSheet &) = delete;

    qint64 sheetId() const { return m_sheetId; }
    Origin origin() const { return m_origin; }
    QString type() const { return QStringLiteral("text/css"); }
    // Null for a style element's sheet.
    QString href() const { return m_href; }
    QString title() const { return m_title; }
    DOMMediaListPtr media() const { return DOMMediaListPtr(shared_from_this(), &m_media); }
    bool disabled() const { return m_disabled; }
    void setDisabled(bool disabled);

    // The style or link element; null for imported sheets, for a sheet that
    // left its list, and when the node is gone.
    DOMNode *ownerNode() const;
    qint64 ownerNodeId() const { return m_ownerNodeId; }
    // The import rule of an imported sheet.
    DOMCSSRulePtr ownerRule() const;
    DOMCSSStyleSheetPtr parentStyleSheet() const;
    // Whether the page let the rules be read (a cross-origin sheet does not).
    bool isReadable() const { return m_readable; }

    DOMCSSRuleList cssRules() const { return DOMCSSRuleList(shared_from_this(), &m_rules); }
    DOMCSSRuleList rules() const { return cssRules(); }
    DOMCSSInsertion insertRule(const QString &rule, int index);
    // Puts a detached rule back (the undo of deleteRule()): the same object,
    // with its id and children.
    DOMCSSInsertion insertRule(const DOMCSSRulePtr &rule, int index);
    DOMCSSInsertion deleteRule(int index);
    void removeRule(int index) { deleteRule(index); }

    // The page's copy takes the sheet's new text as a load would read it:
    // the rules that differ change in place where they can (and keep their
    // objects), the others are deleted or inserted. Unlike the other writes
    // the mirror follows the page's answer, not the call: only the engine
    // reads a whole sheet as a load does. False, with nothing sent, for a
    // sheet that replays nothing (out of its list, or another origin's).
    bool followText(const QString &text);

    // Changes whenever a rule is inserted, deleted or replaced anywhere in the
    // sheet (in its blocks, and in the sheets it imports), and when a rule's
    // selector, key text, name or media changes: what the rules are, not what
    // they declare. No two sheets, nor two states of one, share a stamp.
    quint64 rulesStamp() const { return m_rulesStamp; }

    // DOMCSSStyleSheet(Utils): the index of that very rule object, -1 when absent.
    int indexOfRule(const DOMCSSRulePtr &rule) const;
    void removeRuleByRule(const DOMCSSRulePtr &rule);

    DOMStyleSheetList *styleSheetList() const;

    // The checks of an insertion into a list of rules (a sheet's, or a
    // grouping rule's when grouping): text, index and order.
    static DOMCSSInsertion checkInsertion(const DOMCSSRuleList &rules, const QString &text, int index,
                                          bool grouping, DOMCSSParsedRule *parsed);
    // The same checks for a rule of that type, already read.
    static DOMCSSInsertion checkPlacement(const DOMCSSRuleList &rules, int type, int index, bool grouping);

private:
    friend class DOMCSSRule;
    friend class DOMStyleSheetList;
    friend class UserAgentStyleSheet;

    void adoptRule(const DOMCSSRulePtr &rule, int index);
    void detachRule(int index);
    // Sends the insertion of the rule now at index to the page.
    void sendInsertion(int index, const QString &text);
    // A new stamp for the sheet and the sheets that import it.
    void noteRulesChanged();

    qint64 m_sheetId;
    Origin m_origin;
    QString m_href;
    QString m_title;
    mutable DOMMediaList m_media;
    bool m_disabled = false;
    bool m_readable = true;
    qint64 m_ownerNodeId = 0;
    // Cleared when the import rule or the list lets the sheet go or dies.
    DOMCSSRule *m_ownerRule = nullptr;    // Not owned.
    DOMStyleSheetList *m_list = nullptr;  // Not owned.
    QList<DOMCSSRulePtr> m_rules;
    quint64 m_rulesStamp;
};

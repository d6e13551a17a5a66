#pragma once

#include "DOMCSSParser.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class DOMCSSRule;
class DOMDocument;
class DOMStyleSheetList;

// The declarations of a mirrored rule (or a scratch declaration made with
// DOMDocument::createCSSStyleDeclaration()). It answers at once from what it
// holds: the engine's own state (its longhand items and its cssText, where
// shorthands are folded back) as last reported, with the program's later
// writes laid over it. Writes are replayed to the page by the rule's id; the
// engine's answer then replaces the local state, so values read back in the
// engine's serialisation ("rgb(...)", "0px") once it has answered.
//
// A rule's declaration is part of its rule: DOMCSSRule::style() answers a
// handle that keeps the rule alive (see "Ownership" in DOMCSSRule.h). A scratch
// declaration is its own object and does not keep its document alive.
class DOMCSSStyleDeclaration
{
public:
    // A scratch declaration: never replayed; validity answers come from the
    // document's engine while the document lives and has one.
    explicit DOMCSSStyleDeclaration(std::weak_ptr<DOMDocument> document = {});
    DOMCSSStyleDeclaration(const DOMCSSStyleDeclaration &) = delete;
    DOMCSSStyleDeclaration &operator=(const DOMCSSStyleDeclaration &) = delete;

    // Items are the engine's longhands (or the written declarations until it answers).
    int length() const;
    // The name of item index; empty outside [0, length).
    QString item(int index) const;
    // An item's value, or a shorthand's as the engine folds it; empty when absent.
    QString getPropertyValue(const QString &name) const;
    QString getPropertyPriority(const QString &name) const;
    // An empty value removes the property. priority: "important" or empty.
    // Writes go under the name the engine lists the property under: an
    // alias's standard name, and the unprefixed name of a "-webkit-" name
    // the engine does not know.
    void setProperty(const QString &name, const QString &value, const QString &priority = {});
    // Answers the value the property had; an alias removes its standard name.
    QString removeProperty(const QString &name);
    QString cssText() const;
    void setCssText(const QString &text);

    // Null for a scratch declaration.
    std::shared_ptr<DOMCSSRule> parentRule() const;

    // DOMCSSStyleDeclaration(Utils): whether the page takes the value for the
    // property (any "!important" removed). It leaves the property unset on
    // this declaration, whatever it held before.
    bool isValid(const QString &name, const QString &value);
    // The same without touching the declaration: asked of the engine when
    // its answer is not at hand; unknown without an engine.
    std::optional<bool> takes(const QString &name, const QString &value) const;

    // The engine's state, as the bridge reports it; no command is sent.
    // Without items, the items are the declarations of cssText.
    void resetFromEngine(const QString &cssText, std::optional<QList<DOMCSSDeclaration>> items);
    // The written declarations of a rule read from text, until the engine answers.
    void resetFromText(const QList<DOMCSSDeclaration> &declarations);
    // Items as (name, value, priority).
    const QList<DOMCSSDeclaration> &items() const;

private:
    friend class DOMCSSRule;

    static QString normalizedName(const QString &name);
    // The name the engine lists the property under (the engine asked once a name).
    QString engineName(const QString &name) const;
    // The entry of that name, else of the name the engine lists it under.
    const DOMCSSDeclaration *entryNamed(const QString &name) const;
    const QList<DOMCSSDeclaration> &textEntries() const;
    static int indexIn(const QList<DOMCSSDeclaration> &list, const QString &name);
    void send(const QString &op, const QString &name, const QString &value, const QString &priority);
    DOMDocument *document() const;

    DOMCSSRule *m_parentRule = nullptr; // Not owned; the rule owns this declaration.
    std::weak_ptr<DOMDocument> m_document; // scratch declarations only
    QString m_cssText;
    mutable std::optional<QList<DOMCSSDeclaration>> m_items;
    mutable std::optional<QList<DOMCSSDeclaration>> m_textEntries;
};

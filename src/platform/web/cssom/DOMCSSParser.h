#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One declaration of a rule body: the name (lower-cased unless a custom
// property), the value as written and trimmed, and the priority ("important" or empty).
struct DOMCSSDeclaration
{
    QString name;
    QString value;
    QString priority;

    bool operator==(const DOMCSSDeclaration &other) const = default;
};

// A rule read from text, before it becomes a mirror rule: what the mirror
// needs to answer at once, and to tell whether the engine would refuse it.
struct DOMCSSParsedRule
{
    int type = 0;           // the CSSOM rule-type numbers (DOMCSSRule::Type)
    QString atName;         // "media", "-webkit-keyframes" ...; empty for style rules and keyframes
    QString prelude;        // selector, media list, condition, keyframes name, key list, page selector
    QList<DOMCSSDeclaration> declarations;
    QList<DOMCSSParsedRule> children;
    QString text;           // the rule's own text, trimmed
};

// A small reader of CSS rule text, after the syntax of CSS: comments, strings,
// escapes and nested blocks are skipped as units, a block left open at the end
// of the text is closed there, and bad declarations and inner rules are dropped
// as an engine drops them. It knows the rules the mirror models; it does not
// check values (the engine is asked for that).
namespace DOMCSSParser {

// Exactly one rule; nullopt with the reason otherwise (empty text, two rules,
// a bad selector or key, an unknown or misplaced at-rule).
std::optional<DOMCSSParsedRule> parseRule(const QString &text, QString *error = nullptr);

// The rules of a list (a style sheet or a grouping rule's body); bad rules are skipped.
QList<DOMCSSParsedRule> parseRuleList(const QString &text);

// The declarations of a declaration block's text, without the braces.
QList<DOMCSSDeclaration> parseDeclarations(const QString &text);

// The text split at the separator where it stands outside strings, comments and brackets.
QStringList splitTopLevel(const QString &text, QChar separator);

// Whether every key of a keyframe's key list is "from", "to" or a percentage.
bool isValidKeyText(const QString &keyText);
// "from" as "0%", "to" as "100%", separators as ", ".
QString normalizedKeyText(const QString &keyText);

// "name: value;" or "name: value !important;", joined by single spaces.
QString serializeDeclarations(const QList<DOMCSSDeclaration> &declarations);

} // namespace DOMCSSParser

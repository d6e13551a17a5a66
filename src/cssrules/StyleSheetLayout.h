#pragma once

#include <QString>

class StyleSheetSource;

// How a style sheet's text is laid out: the one place that decides how the
// text an edit creates is written (rules, blocks, keyframes, declarations),
// so that it looks like the text around it. Read from the sheet itself
// (of()), or the generators' own (generated()) for a sheet made anew and
// the whole text "minifyCSS" writes.
struct StyleSheetLayout
{
    // Without the blanks and line breaks a person puts in.
    bool minified = false;
    // One level of indentation.
    QString indent = QStringLiteral("    ");
    // Between a declaration's name and its value: ":" or ": ".
    QString colon = QStringLiteral(":");
    // Between a selector and its "{".
    QString beforeBrace = QStringLiteral(" ");
    // Whether the last declaration of a block ends with ";" (minified
    // sheets often leave it out).
    bool lastSemicolon = true;
    // Between two top-level items of formatted text: "\n" or "\n\n".
    QString ruleGap = QStringLiteral("\n\n");
    // "\n", or "\r\n" in a sheet written with those.
    QString lineBreak = QStringLiteral("\n");
    // The generators write the copies of an "@-webkit-" keyframes rule with
    // forms of their own; a sheet's layout writes them as it writes the rest.
    QString keyframeColon = QStringLiteral(":");
    QString unprefixedKeyframesBrace = QStringLiteral(" ");

    static StyleSheetLayout generated(bool minify, const QString &indent);
    // The layout of the source's text, from the rules and declarations
    // nearest the place (a position in the text), never from comments; what
    // they do not show is that of a new sheet, indented by fallbackIndent.
    static StyleSheetLayout of(const StyleSheetSource &source, qsizetype near, const QString &fallbackIndent);

    // Whether a text is written minified: its rules in lines far longer than
    // a person writes, or on one line without the blanks a person puts
    // after "{", ":" and ";". Its comments do not count.
    static bool isMinified(const QString &text);
    // The blanks the line holding position starts with.
    static QString indentOfLine(const QString &text, qsizetype position);

    // "name: value", without the ";".
    QString declaration(const QString &name, const QString &value) const { return name + colon + value; }
    // "selector {".
    QString opening(const QString &selector) const { return selector + beforeBrace + u'{'; }
    // A block's declarations, written minified, closed: without the last
    // ";" where the sheet leaves it out.
    QString closed(const QString &body) const;
};

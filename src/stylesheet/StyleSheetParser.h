#pragma once

#include "StyleDeclaration.h"

#include <QList>
#include <QString>

class File;
class VendarPrefixSettings;

// Turns the text of a style sheet into the flat item list of the style-sheet
// model: one StyleDeclaration per style rule, at-rule block or statement and
// one StyleComment per comment outside rule bodies, each with its selector,
// body, range, rule type, nesting marks and line number. One pass over the
// characters records the spans of blocks, statements and comments; a second
// pass over the sorted spans makes the items. It does not validate CSS and
// never fails: odd input gives odd items.
//
// Quoted strings (backslash escapes honoured) and unquoted url() contents are
// opaque to the first pass, so braces, semicolons and comment marks inside
// them do not count. A block, comment or final statement still open at the
// end of the text is kept as an item that reaches to the end. Blocks nested
// more than 32 deep stay text of their outer block, so hostile input costs
// linear time. A broken sheet gets one log line.
class StyleSheetParser
{
public:
    // Items in ascending order of range location; empty for an empty text or a
    // text without blocks, statements or comments. Every item gets parentFile.
    // Vendor prefixes are folded under the current project's settings.
    static QList<StyleDeclarationPtr> parseStyleSheet(const QString &text,
                                                      File *parentFile = nullptr);
    static QList<StyleDeclarationPtr> parseStyleSheet(const QString &text, File *parentFile,
                                                      const VendarPrefixSettings &settings);

    // The exclusive end offset of every line, line terminator included.
    static QList<qsizetype> lineEnds(QStringView text);
    // The 1-based line that holds the item's range location.
    static qsizetype getLineNum(const QList<qsizetype> &lineEnds,
                                const StyleDeclaration &declaration);
    // Whether the text right after the at-sign at index starts with the
    // lower-case at-rule name (a prefix test: "mediax" is a media rule).
    static bool isRule(QStringView text, QStringView ruleName, qsizetype index);

    // A selector with the text up to a stray "*/" dropped, one blank after each
    // comma, one blank on each side of ">", "@charset ...;" removed, trimmed.
    static QString planeSelector(const QString &selector);
    // Removes every "/* ... */" that does not span a line break.
    static QString removeComment(const QString &text);
    // Line breaks and tabs deleted, comments removed, blanks trimmed.
    static QString planeBody(const QString &text);
    // "\n" and "\t" deleted, comments removed.
    static QString preInitialize(const QString &text);
};

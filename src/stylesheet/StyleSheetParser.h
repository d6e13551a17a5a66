#pragma once

#include "StyleDeclaration.h"

#include <QList>
#include <QString>

class File;
class VendarPrefixSettings;

// Turns the text of a style sheet into the flat item list of the style-sheet
// model: one StyleDeclaration per style rule, at-rule block or statement and
// one StyleComment per comment outside rule bodies, each with its selector,
// body, range, rule type, nesting marks and line number (that of the
// selector's first character). One pass over the
// characters records the spans of blocks, statements and comments
// (StyleSheetScanner); a second pass makes the items. It does not validate
// CSS and never fails: odd input gives odd items, and no text is lost.
//
// Structure is decided as CSS tokenising decides it: strings, escapes,
// comments and unquoted url() are opaque, and (), [] and {} nest inside
// selectors and values. The rules inside any block at-rule (but
// "font-face") are items of their own, marked inBraket; rules nested in a
// style rule stay text of its body. Every statement at-rule is an item. A
// block, comment or statement still open at the end of the text, and text
// after the last rule, are kept as items that reach to the end. At-rule
// blocks nested more than 32 deep stay text of their outer block, so hostile
// input costs linear time. A broken sheet gets one log line.
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
    // Whether the text, read alone, leaves no block, comment or statement
    // open and no text after its last item: what follows it in a longer
    // text is read as if it stood alone.
    static bool endsAtTopLevel(QStringView text);
    // Where the selector of a block whose "{" is at blockStart begins: the
    // first character at or after boundary that is neither white space nor
    // inside a comment; blockStart when there is none. An item's line number
    // is the line of this character.
    static qsizetype selectorStart(QStringView text, qsizetype boundary, qsizetype blockStart);
    // The 1-based line that holds the item's range location.
    static qsizetype getLineNum(const QList<qsizetype> &lineEnds,
                                const StyleDeclaration &declaration);
    // Whether the text right after the at-sign at index starts with the
    // lower-case at-rule name (a prefix test: "mediax" is a media rule).
    static bool isRule(QStringView text, QStringView ruleName, qsizetype index);

    // A selector with every run of white space made one blank, one blank after
    // each comma and on each side of ">" (not of ">="), trimmed; strings and
    // escaped characters stay as written.
    static QString planeSelector(const QString &selector);
    // Removes every "/* ... */" that does not span a line break.
    static QString removeComment(const QString &text);
    // Line breaks and tabs deleted, comments removed, blanks trimmed.
    static QString planeBody(const QString &text);
    // "\n" and "\t" deleted, comments removed.
    static QString preInitialize(const QString &text);
};

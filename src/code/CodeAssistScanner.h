#pragma once

#include <QString>
#include <QStringView>

// The scans of the code assist over a text and a caret (an index into the
// text, 0 to its length). Each reads one character at a time from the caret
// and never outside the text: a caret out of range is held to it, and a scan
// that reaches an end without finding what it looks for gives the empty or
// "none" answer.
class CodeAssistScanner
{
public:
    CodeAssistScanner() = delete;

    // The partial word before the caret: from just after the first blank,
    // tab, line break, quote, ";", "<", "{", "}" or "#" met going back; a ">"
    // met first, or the start of the text, gives an empty word.
    static QString word(QStringView text, int caret);
    // The same, not stopping at blanks (a property and its value go
    // together), stopping at ">" too, and keeping a "#" it stops at; trimmed.
    static QString cssWord(QStringView text, int caret);
    // The value typed after a colon: stops at tab, line break, quote, ":",
    // ";", ">", "<", "{", "}" and "#", not at blanks; untrimmed.
    static QString valueWord(QStringView text, int caret);
    // The name of the tag the caret stands in or after; empty inside braces,
    // for a closing tag, or with no "<" before the caret.
    static QString headForInsertionPoint(QStringView text, int caret);
    // The open tag around the caret, "<" to the first ">" after it; empty
    // when a ">" comes before the caret first.
    static QString parentTagText(QStringView text, int caret);

    struct Classification
    {
        int codeType = -1;
        QString currentTag;
        QString attributeName;
        QString parentTag;
        QString tagText;
    };
    // What kind of text the caret is in. styleSheet: the file is a style
    // sheet, so tags are not looked for.
    static Classification classify(QStringView text, int caret, bool styleSheet);
};

#pragma once

#include <QString>

// Small text helpers shared by the style-sheet parser and the body splitter.
namespace CSSText {

// Trims blanks and tabs (only those) at both ends.
QString trimmedBlanks(QStringView text);

inline bool isLineBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == 0x2028 || u == 0x2029 || u == 0x0085;
}

inline bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'\\' || c.unicode() >= 0x80;
}

// True when the "(" at index opens a url(): "url" (any case) stands right
// before it and does not end a longer name.
bool isUrlOpening(QStringView text, qsizetype parenIndex);

// For a url() whose "(" is at parenIndex and whose content is not quoted: the
// index of its ")" on the same line (backslash escapes honoured), else -1.
qsizetype unquotedUrlEnd(QStringView text, qsizetype parenIndex);

// The index of the first line break at or after index, or the length.
qsizetype lineEnd(QStringView text, qsizetype index);

// The index just past the quoted string whose opening quote is at index: its
// closing quote + 1, or the index of an unescaped line break, or the length of
// the text, whichever comes first.
qsizetype quotedStringEnd(QStringView text, qsizetype quoteIndex);

} // namespace CSSText

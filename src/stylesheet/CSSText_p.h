#pragma once

#include <QString>

// Small text helpers shared by the style-sheet parser and the body splitter.
namespace CSSText {

// FNV-1a over UTF-16 units: for the short names of properties, cheaper than
// the library's hash.
inline size_t nameHash(QStringView name)
{
    size_t hash = 14695981039346656037ull;
    for (const QChar c : name)
        hash = (hash ^ c.unicode()) * 1099511628211ull;
    return hash;
}

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

// For a url() whose "(" is at parenIndex: the index of its ")" when its
// content is not quoted (backslash escapes honoured, line breaks allowed, as
// CSS reads it), -1 when no ")" follows, s_quotedUrl when the content is a
// string (the url() then nests as any other parenthesis).
constexpr qsizetype s_quotedUrl = -2;
qsizetype unquotedUrlEnd(QStringView text, qsizetype parenIndex);

// The index just past the quoted string whose opening quote is at index: its
// closing quote + 1, or the index of an unescaped line break, or the length of
// the text, whichever comes first.
qsizetype quotedStringEnd(QStringView text, qsizetype quoteIndex);

// When the character at index begins something whose characters have no
// meaning to the structure (a quoted string, an escaped character, an
// unquoted url()), the index after it; otherwise index.
qsizetype opaqueEnd(QStringView text, qsizetype index);

inline bool isWhiteSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == u'\f';
}

// Selector and statement text as the model keeps it: every run of white
// space one blank, one blank after each comma and on each side of ">" (not
// of ">="), trimmed. Strings and escaped characters stay as written; with
// Comments::Remove, comments go.
enum class Comments { Keep, Remove };
QString planeText(QStringView text, Comments comments);

} // namespace CSSText

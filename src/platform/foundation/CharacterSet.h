#pragma once

#include <QChar>
#include <QString>

// A set of UTF-16 code units: either the characters of a string or one of the
// standard classes (blanks, line breaks, both), optionally inverted. Cheap to
// copy; the empty set contains nothing.
class CharacterSet
{
public:
    CharacterSet() = default;

    static CharacterSet characterSetWithCharactersInString(const QString &characters);
    // Blanks: tab and the Unicode space separators (U+0020, U+00A0, U+2000..., U+3000).
    static CharacterSet whitespaceCharacterSet();
    // Line breaks: U+000A to U+000D, U+0085, U+2028 and U+2029.
    static CharacterSet newlineCharacterSet();
    static CharacterSet whitespaceAndNewlineCharacterSet();

    CharacterSet invertedSet() const;

    bool characterIsMember(QChar c) const;
    bool isEmpty() const { return m_kind == Kind::Characters && m_characters.isEmpty() && !m_inverted; }

    static bool isWhitespace(QChar c);
    static bool isNewline(QChar c);

private:
    enum class Kind { Characters, Whitespace, Newline, WhitespaceAndNewline };
    CharacterSet(Kind kind, QString characters) : m_kind(kind), m_characters(std::move(characters)) {}

    Kind m_kind = Kind::Characters;
    QString m_characters;
    bool m_inverted = false;
};

#include "CharacterSet.h"

CharacterSet CharacterSet::characterSetWithCharactersInString(const QString &characters)
{
    return CharacterSet(Kind::Characters, characters);
}

CharacterSet CharacterSet::whitespaceCharacterSet()
{
    return CharacterSet(Kind::Whitespace, QString());
}

CharacterSet CharacterSet::newlineCharacterSet()
{
    return CharacterSet(Kind::Newline, QString());
}

CharacterSet CharacterSet::whitespaceAndNewlineCharacterSet()
{
    return CharacterSet(Kind::WhitespaceAndNewline, QString());
}

CharacterSet CharacterSet::invertedSet() const
{
    CharacterSet set = *this;
    set.m_inverted = !m_inverted;
    return set;
}

bool CharacterSet::isWhitespace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

bool CharacterSet::isNewline(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

bool CharacterSet::characterIsMember(QChar c) const
{
    bool member = false;
    switch (m_kind) {
    case Kind::Characters:
        member = m_characters.contains(c);
        break;
    case Kind::Whitespace:
        member = isWhitespace(c);
        break;
    case Kind::Newline:
        member = isNewline(c);
        break;
    case Kind::WhitespaceAndNewline:
        member = isWhitespace(c) || isNewline(c);
        break;
    }
    return member != m_inverted;
}

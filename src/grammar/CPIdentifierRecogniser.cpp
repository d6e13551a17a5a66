#include "CPIdentifierRecogniser.h"

static const CPCharacterSet &defaultInitialCharacters()
{
    static const CPCharacterSet set(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_"));
    return set;
}

static const CPCharacterSet &defaultIdentifierCharacters()
{
    static const CPCharacterSet set(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_-1234567890"));
    return set;
}

CPIdentifierRecogniser::CPIdentifierRecogniser(std::optional<CPCharacterSet> initialCharacters,
                                               std::optional<CPCharacterSet> identifierCharacters)
    : m_initialCharacters(std::move(initialCharacters)), m_identifierCharacters(std::move(identifierCharacters))
{
}

std::shared_ptr<CPIdentifierRecogniser> CPIdentifierRecogniser::identifierRecogniser()
{
    return std::make_shared<CPIdentifierRecogniser>();
}

std::shared_ptr<CPIdentifierRecogniser> CPIdentifierRecogniser::identifierRecogniserWithInitialCharacters(
    std::optional<CPCharacterSet> initialCharacters, std::optional<CPCharacterSet> identifierCharacters)
{
    return std::make_shared<CPIdentifierRecogniser>(std::move(initialCharacters), std::move(identifierCharacters));
}

CPTokenPtr CPIdentifierRecogniser::recogniseTokenInString(const QString &input, qsizetype *position) const
{
    const qsizetype start = *position;
    if (start < 0 || start >= input.size())
        return {};
    const CPCharacterSet &initial = m_initialCharacters ? *m_initialCharacters : defaultInitialCharacters();
    if (!initial.contains(input.at(start)))
        return {};
    const CPCharacterSet &rest = m_identifierCharacters ? *m_identifierCharacters : defaultIdentifierCharacters();
    qsizetype end = start + 1;
    while (end < input.size() && rest.contains(input.at(end)))
        ++end;
    *position = end;
    return std::make_shared<CPIdentifierToken>(input.mid(start, end - start));
}

bool CPIdentifierRecogniser::mayStartWith(char16_t asciiCharacter) const
{
    const CPCharacterSet &initial = m_initialCharacters ? *m_initialCharacters : defaultInitialCharacters();
    return initial.contains(QChar(asciiCharacter));
}

QVariantMap CPIdentifierRecogniser::archive() const
{
    QVariantMap map{{QStringLiteral("class"), QStringLiteral("CPIdentifierRecogniser")}};
    if (m_initialCharacters)
        map.insert(QStringLiteral("I.i"), m_initialCharacters->characters());
    if (m_identifierCharacters)
        map.insert(QStringLiteral("I.c"), m_identifierCharacters->characters());
    return map;
}

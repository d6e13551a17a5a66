#include "CPKeywordRecogniser.h"

CPKeywordRecogniser::CPKeywordRecogniser(QString keyword, std::optional<CPCharacterSet> invalidFollowingCharacters)
    : m_keyword(std::move(keyword)), m_invalidFollowingCharacters(std::move(invalidFollowingCharacters))
{
}

std::shared_ptr<CPKeywordRecogniser> CPKeywordRecogniser::recogniserForKeyword(const QString &keyword)
{
    return std::make_shared<CPKeywordRecogniser>(keyword);
}

std::shared_ptr<CPKeywordRecogniser> CPKeywordRecogniser::recogniserForKeyword(
    const QString &keyword, const CPCharacterSet &invalidFollowingCharacters)
{
    return std::make_shared<CPKeywordRecogniser>(keyword, invalidFollowingCharacters);
}

CPTokenPtr CPKeywordRecogniser::recogniseTokenInString(const QString &input, qsizetype *position) const
{
    const qsizetype start = *position;
    const qsizetype length = m_keyword.size();
    if (length == 0 || start < 0 || input.size() - start < length)
        return {};
    if (input.at(start) != m_keyword.at(0)
        || QStringView(input).mid(start, length) != QStringView(m_keyword))
        return {};
    const qsizetype end = start + length;
    if (end < input.size() && m_invalidFollowingCharacters && m_invalidFollowingCharacters->contains(input.at(end)))
        return {};
    *position = end;
    return std::make_shared<CPKeywordToken>(m_keyword);
}

QVariantMap CPKeywordRecogniser::archive() const
{
    QVariantMap map{{QStringLiteral("class"), QStringLiteral("CPKeywordRecogniser")},
                    {QStringLiteral("K.k"), m_keyword}};
    if (m_invalidFollowingCharacters)
        map.insert(QStringLiteral("K.f"), m_invalidFollowingCharacters->characters());
    return map;
}

#pragma once

#include "CPCharacterSet.h"
#include "CPTokenRecogniser.h"

#include <optional>

// Recognises one literal keyword, case-sensitive. With an invalid-following
// set, the keyword is not taken when the character right after it is in the
// set ("px" does not match the start of "pxa").
class CPKeywordRecogniser final : public CPTokenRecogniser
{
public:
    explicit CPKeywordRecogniser(QString keyword = QStringLiteral(" "),
                                 std::optional<CPCharacterSet> invalidFollowingCharacters = std::nullopt);

    static std::shared_ptr<CPKeywordRecogniser> recogniserForKeyword(const QString &keyword);
    static std::shared_ptr<CPKeywordRecogniser> recogniserForKeyword(const QString &keyword,
                                                                     const CPCharacterSet &invalidFollowingCharacters);

    CPTokenPtr recogniseTokenInString(const QString &input, qsizetype *position) const override;
    QVariantMap archive() const override;
    bool mayStartWith(char16_t asciiCharacter) const override
    {
        return !m_keyword.isEmpty() && m_keyword.at(0).unicode() == asciiCharacter;
    }

    const QString &keyword() const { return m_keyword; }
    void setKeyword(const QString &keyword) { m_keyword = keyword; }
    const std::optional<CPCharacterSet> &invalidFollowingCharacters() const { return m_invalidFollowingCharacters; }
    void setInvalidFollowingCharacters(std::optional<CPCharacterSet> characters)
    {
        m_invalidFollowingCharacters = std::move(characters);
    }

private:
    QString m_keyword;
    std::optional<CPCharacterSet> m_invalidFollowingCharacters;
};

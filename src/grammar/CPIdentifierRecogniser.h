#pragma once

#include "CPCharacterSet.h"
#include "CPTokenRecogniser.h"

#include <optional>

// Recognises a name: one initial character, then the longest run of
// identifier characters. Without sets, letters and "_" start a name and
// letters, digits, "_" and "-" continue it.
class CPIdentifierRecogniser final : public CPTokenRecogniser
{
public:
    CPIdentifierRecogniser(std::optional<CPCharacterSet> initialCharacters = std::nullopt,
                           std::optional<CPCharacterSet> identifierCharacters = std::nullopt);

    static std::shared_ptr<CPIdentifierRecogniser> identifierRecogniser();
    static std::shared_ptr<CPIdentifierRecogniser> identifierRecogniserWithInitialCharacters(
        std::optional<CPCharacterSet> initialCharacters, std::optional<CPCharacterSet> identifierCharacters);

    CPTokenPtr recogniseTokenInString(const QString &input, qsizetype *position) const override;
    QVariantMap archive() const override;
    bool mayStartWith(char16_t asciiCharacter) const override;

    const std::optional<CPCharacterSet> &initialCharacters() const { return m_initialCharacters; }
    const std::optional<CPCharacterSet> &identifierCharacters() const { return m_identifierCharacters; }

private:
    std::optional<CPCharacterSet> m_initialCharacters;
    std::optional<CPCharacterSet> m_identifierCharacters;
};

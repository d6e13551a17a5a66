#pragma once

#include "grammar/CPTokenRecogniser.h"

// Recognises a hexadecimal colour, "#" and three or six hex digits that no
// letter, digit, "-" or "_" follows, as one token named "Hex" whose content is
// the digits as written. Other recognisers would cut "#1e3" into a number
// (1000) or "#00ff00" into a number and a name, losing digits.
class HexColorRecogniser final : public CPTokenRecogniser
{
public:
    // "Hex".
    static QString tokenName();

    static std::shared_ptr<HexColorRecogniser> hexColorRecogniser();

    CPTokenPtr recogniseTokenInString(const QString &input, qsizetype *position) const override;
    QVariantMap archive() const override;
    bool mayStartWith(char16_t asciiCharacter) const override { return asciiCharacter == u'#'; }
};

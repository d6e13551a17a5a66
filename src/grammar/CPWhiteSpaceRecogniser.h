#pragma once

#include "CPTokenRecogniser.h"

// Recognises the longest non-empty run of white-space and line-break characters.
class CPWhiteSpaceRecogniser final : public CPTokenRecogniser
{
public:
    static std::shared_ptr<CPWhiteSpaceRecogniser> whiteSpaceRecogniser();

    CPTokenPtr recogniseTokenInString(const QString &input, qsizetype *position) const override;
    QVariantMap archive() const override;
    bool mayStartWith(char16_t asciiCharacter) const override { return QChar(asciiCharacter).isSpace(); }
};

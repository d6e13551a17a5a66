#pragma once

#include "CPToken.h"

#include <QVariantMap>

#include <memory>

// The contract of a token recogniser: look at the input at a position and
// either answer a new token, moving the position just past the text it took,
// or answer null and leave the position alone. Recognisers never change after
// they are configured, so one tokeniser may run on any thread.
class CPTokenRecogniser
{
public:
    virtual ~CPTokenRecogniser() = default;
    virtual CPTokenPtr recogniseTokenInString(const QString &input, qsizetype *position) const = 0;

    // False only when no token of this recogniser can begin with the ASCII
    // character; lets the tokeniser skip recognisers that cannot match.
    virtual bool mayStartWith(char16_t asciiCharacter) const { return true; }

    // The recogniser's settings under its archive keys, and "class" naming the kind.
    virtual QVariantMap archive() const = 0;
    // A recogniser rebuilt from archive(); null when the archive names no known kind.
    static std::shared_ptr<CPTokenRecogniser> fromArchive(const QVariantMap &archive);
};

using CPTokenRecogniserPtr = std::shared_ptr<CPTokenRecogniser>;

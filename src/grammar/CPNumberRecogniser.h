#pragma once

#include "CPTokenRecogniser.h"

// Recognises decimal numbers. With floats, a number may carry a fraction and
// an exponent and its value is a double (also for integer-looking text when
// integers are recognised as well); a float-only recogniser needs "." or "e"
// in the text. Otherwise it reads an optional sign and digits as a qlonglong,
// saturating at the type's limits.
class CPNumberRecogniser final : public CPTokenRecogniser
{
public:
    CPNumberRecogniser(bool recognisesInts = false, bool recognisesFloats = false)
        : m_recognisesInts(recognisesInts), m_recognisesFloats(recognisesFloats)
    {
    }

    static std::shared_ptr<CPNumberRecogniser> integerRecogniser();
    static std::shared_ptr<CPNumberRecogniser> floatRecogniser();
    static std::shared_ptr<CPNumberRecogniser> numberRecogniser();

    CPTokenPtr recogniseTokenInString(const QString &input, qsizetype *position) const override;
    QVariantMap archive() const override;
    bool mayStartWith(char16_t asciiCharacter) const override
    {
        return (asciiCharacter >= '0' && asciiCharacter <= '9') || asciiCharacter == '+' || asciiCharacter == '-'
            || (asciiCharacter == '.' && m_recognisesFloats);
    }

    bool recognisesInts() const { return m_recognisesInts; }
    void setRecognisesInts(bool on) { m_recognisesInts = on; }
    bool recognisesFloats() const { return m_recognisesFloats; }
    void setRecognisesFloats(bool on) { m_recognisesFloats = on; }

private:
    bool m_recognisesInts;
    bool m_recognisesFloats;
};

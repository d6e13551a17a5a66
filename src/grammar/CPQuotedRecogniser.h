#pragma once

#include "CPTokenRecogniser.h"

#include <functional>
#include <limits>
#include <optional>

// Recognises text between a start and an end quote, with an optional escape
// sequence. The character after an escape is taken literally unless the
// escape replacer answers a text for it. The content may hold at most
// maximumLength characters; the token is named by the recogniser.
class CPQuotedRecogniser final : public CPTokenRecogniser
{
public:
    // Called with the input and the position just after an escape sequence;
    // answers the replacement and moves the position past what it used, or
    // answers nothing to keep the next character literally.
    using EscapeReplacer = std::function<std::optional<QString>(const QString &input, qsizetype *position)>;

    static constexpr qsizetype Unlimited = std::numeric_limits<qsizetype>::max();

    CPQuotedRecogniser(QString startQuote, QString endQuote, QString escapeSequence, qsizetype maximumLength,
                       QString name);

    static std::shared_ptr<CPQuotedRecogniser> quotedRecogniserWithStartQuote(const QString &startQuote,
                                                                              const QString &endQuote,
                                                                              const QString &name);
    static std::shared_ptr<CPQuotedRecogniser> quotedRecogniserWithStartQuote(const QString &startQuote,
                                                                              const QString &endQuote,
                                                                              const QString &escapeSequence,
                                                                              const QString &name);
    static std::shared_ptr<CPQuotedRecogniser> quotedRecogniserWithStartQuote(const QString &startQuote,
                                                                              const QString &endQuote,
                                                                              const QString &escapeSequence,
                                                                              qsizetype maximumLength,
                                                                              const QString &name);

    CPTokenPtr recogniseTokenInString(const QString &input, qsizetype *position) const override;
    // The replacer is not archived; archiving one with a replacer logs a warning.
    QVariantMap archive() const override;
    bool mayStartWith(char16_t asciiCharacter) const override
    {
        return !m_startQuote.isEmpty() && m_startQuote.at(0).unicode() == asciiCharacter;
    }

    const QString &startQuote() const { return m_startQuote; }
    const QString &endQuote() const { return m_endQuote; }
    // Empty when there is none.
    const QString &escapeSequence() const { return m_escapeSequence; }
    qsizetype maximumLength() const { return m_maximumLength; }
    const QString &name() const { return m_name; }
    const EscapeReplacer &escapeReplacer() const { return m_escapeReplacer; }
    void setEscapeReplacer(EscapeReplacer replacer) { m_escapeReplacer = std::move(replacer); }

private:
    QString m_startQuote;
    QString m_endQuote;
    QString m_escapeSequence;
    EscapeReplacer m_escapeReplacer;
    qsizetype m_maximumLength;
    QString m_name;
};

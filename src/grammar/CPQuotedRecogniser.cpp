#include "CPQuotedRecogniser.h"

#include "GrammarLog.h"

CPQuotedRecogniser::CPQuotedRecogniser(QString startQuote, QString endQuote, QString escapeSequence,
                                       qsizetype maximumLength, QString name)
    : m_startQuote(std::move(startQuote)), m_endQuote(std::move(endQuote)),
      m_escapeSequence(std::move(escapeSequence)), m_maximumLength(maximumLength < 0 ? 0 : maximumLength),
      m_name(std::move(name))
{
}

std::shared_ptr<CPQuotedRecogniser> CPQuotedRecogniser::quotedRecogniserWithStartQuote(const QString &startQuote,
                                                                                       const QString &endQuote,
                                                                                       const QString &name)
{
    return std::make_shared<CPQuotedRecogniser>(startQuote, endQuote, QString(), Unlimited, name);
}

std::shared_ptr<CPQuotedRecogniser> CPQuotedRecogniser::quotedRecogniserWithStartQuote(
    const QString &startQuote, const QString &endQuote, const QString &escapeSequence, const QString &name)
{
    return std::make_shared<CPQuotedRecogniser>(startQuote, endQuote, escapeSequence, Unlimited, name);
}

std::shared_ptr<CPQuotedRecogniser> CPQuotedRecogniser::quotedRecogniserWithStartQuote(
    const QString &startQuote, const QString &endQuote, const QString &escapeSequence, qsizetype maximumLength,
    const QString &name)
{
    return std::make_shared<CPQuotedRecogniser>(startQuote, endQuote, escapeSequence, maximumLength, name);
}

// Index of needle inside [from, end) of the input, entirely within it; -1 when absent.
static qsizetype findIn(const QString &input, const QString &needle, qsizetype from, qsizetype end)
{
    if (needle.isEmpty() || from < 0 || end - from < needle.size())
        return -1;
    const qsizetype found = QStringView(input).first(end).indexOf(needle, from);
    return found;
}

CPTokenPtr CPQuotedRecogniser::recogniseTokenInString(const QString &input, qsizetype *position) const
{
    const qsizetype start = *position;
    if (start < 0 || start >= input.size() || m_startQuote.isEmpty() || m_endQuote.isEmpty())
        return {};
    // The window ends after start quote, maximumLength characters and end quote,
    // cut at the end of the input; the sum saturates for unlimited lengths.
    const qsizetype remaining = input.size() - start;
    qsizetype span = m_startQuote.size();
    span = m_maximumLength > remaining - span ? remaining : span + m_maximumLength;
    span = m_endQuote.size() > remaining - span ? remaining : span + m_endQuote.size();
    const qsizetype windowEnd = start + span;
    if (span < m_startQuote.size() || QStringView(input).mid(start, m_startQuote.size()) != QStringView(m_startQuote))
        return {};

    qsizetype p = start + m_startQuote.size();
    QString content;
    qsizetype endQuote = findIn(input, m_endQuote, p, windowEnd);
    qsizetype escape = findIn(input, m_escapeSequence, p, windowEnd);
    for (;;) {
        if (endQuote < 0)
            return {};
        if (escape < 0 || endQuote < escape) {
            content += QStringView(input).mid(p, endQuote - p);
            *position = endQuote + m_endQuote.size();
            return std::make_shared<CPQuotedToken>(content, m_startQuote, m_name);
        }
        content += QStringView(input).mid(p, escape - p);
        const qsizetype afterEscape = escape + m_escapeSequence.size();
        p = afterEscape;
        std::optional<QString> replacement;
        if (m_escapeReplacer)
            replacement = m_escapeReplacer(input, &p);
        if (replacement) {
            content += *replacement;
            // A replacer must not move back over the escape it was given.
            if (p < afterEscape)
                p = afterEscape;
        } else {
            p = afterEscape;
            if (p >= windowEnd)
                return {};
            content += input.at(p);
            ++p;
        }
        if (endQuote < p)
            endQuote = findIn(input, m_endQuote, p, windowEnd);
        escape = findIn(input, m_escapeSequence, p, windowEnd);
    }
}

QVariantMap CPQuotedRecogniser::archive() const
{
    if (m_escapeReplacer)
        qCWarning(lcGrammar, "Warning: encoding CPQuoteRecogniser with an escapeReplacer set.  This will not be "
                             "recreated when decoded.");
    QVariantMap map{{QStringLiteral("class"), QStringLiteral("CPQuotedRecogniser")},
                    {QStringLiteral("Q.s"), m_startQuote},
                    {QStringLiteral("Q.e"), m_endQuote},
                    {QStringLiteral("Q.m"), QVariant::fromValue(quint64(m_maximumLength))},
                    {QStringLiteral("Q.n"), m_name}};
    if (!m_escapeSequence.isEmpty())
        map.insert(QStringLiteral("Q.es"), m_escapeSequence);
    return map;
}

#include "SyntaxPainter.h"

#include "platform/foundation/Log.h"

namespace {

QString withoutLoneSurrogates(const QString &text)
{
    QString result = text;
    const qsizetype size = result.size();
    QChar *data = nullptr;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = result.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < size && result.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!data)
            data = result.data();
        data[i] = QChar::ReplacementCharacter;
    }
    return result;
}

} // namespace

SyntaxPainter::SyntaxPainter(const QString &text)
    : m_text(withoutLoneSurrogates(text))
    , m_styles(size_t(text.size()), 0)
{
}

void SyntaxPainter::paint(int start, int length, int style)
{
    const int from = std::max(0, start);
    const int to = std::min(size(), start + std::max(0, length));
    if (from < to)
        std::fill(m_styles.begin() + from, m_styles.begin() + to, quint8(style));
}

std::optional<QRegularExpression> SyntaxPainter::compile(const QString &pattern, const char *pass, bool dotAll)
{
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (dotAll)
        options |= QRegularExpression::DotMatchesEverythingOption;
    // Every Unicode line end ends a line, as in ICU, not only the line feed.
    static const QString lineEnds = QStringLiteral("(*ANY)");
    QRegularExpression expression(lineEnds + pattern, options);
    if (!expression.isValid()) {
        QM_DEBUG(QStringLiteral("the %1 pattern does not compile (%2 at %3); the pass is skipped")
                     .arg(QLatin1String(pass), expression.errorString())
                     .arg(expression.patternErrorOffset() - lineEnds.size()));
        return std::nullopt;
    }
    return expression;
}

std::optional<std::vector<SyntaxPainter::Match>> SyntaxPainter::matches(const QString &pattern, const char *pass,
                                                                        bool dotAll) const
{
    const std::optional<QRegularExpression> expression = compile(pattern, pass, dotAll);
    if (!expression)
        return std::nullopt;
    return matches(*expression, pass);
}

std::optional<std::vector<SyntaxPainter::Match>> SyntaxPainter::matches(const QRegularExpression &expression,
                                                                        const char *pass, int from, int to) const
{
    if (to < 0 || to > size())
        to = size();
    const QStringView subject = QStringView(m_text).left(to);
    std::vector<Match> found;
    // One iteration over the text: single matches from an offset would have
    // the engine check the whole rest of the text at each of them.
    QRegularExpressionMatchIterator iterator = expression.globalMatch(subject, from);
    qsizetype resume = from;
    while (iterator.hasNext()) {
        const QRegularExpressionMatch match = iterator.next();
        found.push_back({int(match.capturedStart()), int(match.capturedLength())});
        resume = match.capturedEnd();
    }
    // The iteration also ends when the engine gives up; asking once more
    // from where it stopped tells that from the end of the matches.
    if (resume < to && !expression.match(subject, resume).isValid()) {
        QM_DEBUG(QStringLiteral("the %1 pattern gave up after %2 (the engine's match limit); the pass is skipped")
                     .arg(QLatin1String(pass))
                     .arg(resume));
        return std::nullopt;
    }
    return found;
}

bool SyntaxPainter::followsLetter(int start) const
{
    if (start <= 0 || start > size())
        return false;
    const char16_t c = m_text.at(start - 1).unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

SyntaxSpans SyntaxPainter::spans() const
{
    SyntaxSpans result;
    const int count = size();
    int i = 0;
    while (i < count) {
        const quint8 style = m_styles[size_t(i)];
        int j = i + 1;
        while (j < count && m_styles[size_t(j)] == style)
            ++j;
        if (style)
            result.append({i, j - i, style});
        i = j;
    }
    return result;
}

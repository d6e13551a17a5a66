#include "CPNumberRecogniser.h"

#include <charconv>
#include <cmath>
#include <limits>

std::shared_ptr<CPNumberRecogniser> CPNumberRecogniser::integerRecogniser()
{
    return std::make_shared<CPNumberRecogniser>(true, false);
}

std::shared_ptr<CPNumberRecogniser> CPNumberRecogniser::floatRecogniser()
{
    return std::make_shared<CPNumberRecogniser>(false, true);
}

std::shared_ptr<CPNumberRecogniser> CPNumberRecogniser::numberRecogniser()
{
    return std::make_shared<CPNumberRecogniser>(true, true);
}

static bool isDigit(const QString &input, qsizetype i)
{
    return i < input.size() && input.at(i).unicode() >= '0' && input.at(i).unicode() <= '9';
}

static bool isSign(const QString &input, qsizetype i)
{
    return i < input.size() && (input.at(i) == QLatin1Char('+') || input.at(i) == QLatin1Char('-'));
}

// Reads sign, digits, fraction and exponent; answers the end of the text read,
// or -1 when there is no number.
static qsizetype scanFloat(const QString &input, qsizetype start)
{
    qsizetype i = start;
    if (isSign(input, i))
        ++i;
    qsizetype digits = 0;
    while (isDigit(input, i)) {
        ++i;
        ++digits;
    }
    if (i < input.size() && input.at(i) == QLatin1Char('.')) {
        ++i;
        while (isDigit(input, i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return -1;
    if (i < input.size() && (input.at(i) == QLatin1Char('e') || input.at(i) == QLatin1Char('E'))) {
        qsizetype e = i + 1;
        if (isSign(input, e))
            ++e;
        if (isDigit(input, e)) {
            while (isDigit(input, e))
                ++e;
            i = e;
        }
    }
    return i;
}

static double floatValue(QStringView text)
{
    QByteArray latin = text.toLatin1();
    const char *begin = latin.constData();
    const char *end = begin + latin.size();
    bool negative = false;
    if (begin != end && (*begin == '+' || *begin == '-')) {
        negative = *begin == '-';
        ++begin;
    }
    double value = 0;
    const auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: saturate as strtod does.
        const bool tiny = latin.contains("e-") || latin.contains("E-");
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

CPTokenPtr CPNumberRecogniser::recogniseTokenInString(const QString &input, qsizetype *position) const
{
    const qsizetype start = *position;
    if (start < 0 || start >= input.size())
        return {};
    if (m_recognisesFloats) {
        const qsizetype end = scanFloat(input, start);
        if (end < 0)
            return {};
        const QStringView text = QStringView(input).mid(start, end - start);
        if (!m_recognisesInts && !text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
            return {};
        *position = end;
        return std::make_shared<CPNumberToken>(QVariant(floatValue(text)));
    }
    qsizetype i = start;
    const bool negative = input.at(i) == QLatin1Char('-');
    if (isSign(input, i))
        ++i;
    if (!isDigit(input, i))
        return {};
    // Accumulate towards the sign's side so that the most negative value fits.
    qlonglong value = 0;
    bool saturated = false;
    for (; isDigit(input, i); ++i) {
        const int digit = input.at(i).unicode() - '0';
        if (saturated)
            continue;
        if (negative) {
            if (value < (std::numeric_limits<qlonglong>::min() + digit) / 10) {
                value = std::numeric_limits<qlonglong>::min();
                saturated = true;
            } else {
                value = value * 10 - digit;
            }
        } else {
            if (value > (std::numeric_limits<qlonglong>::max() - digit) / 10) {
                value = std::numeric_limits<qlonglong>::max();
                saturated = true;
            } else {
                value = value * 10 + digit;
            }
        }
    }
    *position = i;
    return std::make_shared<CPNumberToken>(QVariant(value));
}

QVariantMap CPNumberRecogniser::archive() const
{
    return {{QStringLiteral("class"), QStringLiteral("CPNumberRecogniser")},
            {QStringLiteral("N.i"), m_recognisesInts},
            {QStringLiteral("N.f"), m_recognisesFloats}};
}

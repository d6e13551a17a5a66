#include "DOMJsonReader.h"

#include <limits>

#include <charconv>
#include <cstring>
#include <vector>

void DOMJsonReader::skipWhitespace()
{
    while (m_pos < m_size) {
        const char c = m_data[m_pos];
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            return;
        ++m_pos;
    }
}

bool DOMJsonReader::expect(char c)
{
    skipWhitespace();
    if (m_pos < m_size && m_data[m_pos] == c) {
        ++m_pos;
        return true;
    }
    m_error = QStringLiteral("expected '%1'").arg(QLatin1Char(c));
    return false;
}

std::optional<QByteArrayView> DOMJsonReader::readKey()
{
    if (m_pos < m_size && m_data[m_pos] == '"') {
        const qsizetype start = m_pos + 1;
        qsizetype end = start;
        while (end < m_size && m_data[end] != '"' && m_data[end] != '\\'
               && static_cast<unsigned char>(m_data[end]) >= 0x20)
            ++end;
        if (end < m_size && m_data[end] == '"') {
            m_pos = end + 1;
            return QByteArrayView(m_data + start, end - start);
        }
    }
    std::optional<QString> key = readString();
    if (!key)
        return std::nullopt;
    m_keyBuffer = key->toUtf8();
    return QByteArrayView(m_keyBuffer);
}

std::optional<QString> DOMJsonReader::readString()
{
    if (m_pos >= m_size || m_data[m_pos] != '"') {
        m_error = QStringLiteral("expected a string");
        return std::nullopt;
    }
    ++m_pos;
    QString out;
    qsizetype chunk = m_pos;
    while (m_pos < m_size) {
        const unsigned char c = static_cast<unsigned char>(m_data[m_pos]);
        if (c == '"') {
            out += QString::fromUtf8(m_data + chunk, m_pos - chunk);
            ++m_pos;
            return out;
        }
        if (c < 0x20) {
            m_error = QStringLiteral("control character in a string");
            return std::nullopt;
        }
        if (c != '\\') {
            ++m_pos;
            continue;
        }
        out += QString::fromUtf8(m_data + chunk, m_pos - chunk);
        if (++m_pos >= m_size)
            break;
        const char escape = m_data[m_pos++];
        switch (escape) {
        case '"':
        case '\\':
        case '/':
            out += QLatin1Char(escape);
            break;
        case 'b':
            out += QLatin1Char('\b');
            break;
        case 'f':
            out += QLatin1Char('\f');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'u': {
            std::optional<char16_t> unit = readHex4();
            if (!unit)
                return std::nullopt;
            // Surrogates are kept as the units they are; QString holds UTF-16.
            out += QChar(*unit);
            break;
        }
        default:
            m_error = QStringLiteral("unknown escape");
            return std::nullopt;
        }
        chunk = m_pos;
    }
    m_error = QStringLiteral("unterminated string");
    return std::nullopt;
}

std::optional<char16_t> DOMJsonReader::readHex4()
{
    if (m_pos + 4 > m_size) {
        m_error = QStringLiteral("short \\u escape");
        return std::nullopt;
    }
    char16_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = m_data[m_pos++];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) {
            m_error = QStringLiteral("bad \\u escape");
            return std::nullopt;
        }
        value = char16_t(value * 16 + digit);
    }
    return value;
}

std::optional<double> DOMJsonReader::readNumber()
{
    const qsizetype start = m_pos;
    if (m_pos < m_size && m_data[m_pos] == '-')
        ++m_pos;
    const qsizetype digits = m_pos;
    while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9')
        ++m_pos;
    if (m_pos == digits) {
        m_error = QStringLiteral("expected a number");
        return std::nullopt;
    }
    bool integer = true;
    if (m_pos < m_size && m_data[m_pos] == '.') {
        integer = false;
        ++m_pos;
        while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9')
            ++m_pos;
    }
    if (m_pos < m_size && (m_data[m_pos] == 'e' || m_data[m_pos] == 'E')) {
        integer = false;
        ++m_pos;
        if (m_pos < m_size && (m_data[m_pos] == '+' || m_data[m_pos] == '-'))
            ++m_pos;
        while (m_pos < m_size && m_data[m_pos] >= '0' && m_data[m_pos] <= '9')
            ++m_pos;
    }
    if (integer && m_pos - start <= 18) {
        qint64 value = 0;
        std::from_chars(m_data + start, m_data + m_pos, value);
        return double(value);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(m_data + start, m_data + m_pos, value);
    if (error != std::errc() || end != m_data + m_pos) {
        m_error = QStringLiteral("bad number");
        return std::nullopt;
    }
    return value;
}

bool DOMJsonReader::readLiteral(const char *word)
{
    const qsizetype length = qsizetype(std::strlen(word));
    if (m_pos + length <= m_size && std::memcmp(m_data + m_pos, word, size_t(length)) == 0) {
        m_pos += length;
        return true;
    }
    m_error = QStringLiteral("unexpected text");
    return false;
}

bool DOMJsonReader::skipValue()
{
    std::vector<char> closers;
    bool expectValue = true;
    const auto readKeyAndColon = [this] {
        skipWhitespace();
        return readString().has_value() && expect(':');
    };
    while (true) {
        skipWhitespace();
        if (m_pos >= m_size) {
            m_error = QStringLiteral("unexpected end");
            return false;
        }
        const char c = m_data[m_pos];
        if (expectValue) {
            if (c == '{' || c == '[') {
                closers.push_back(c == '{' ? '}' : ']');
                ++m_pos;
                skipWhitespace();
                if (m_pos < m_size && m_data[m_pos] == closers.back()) {
                    ++m_pos;
                    closers.pop_back();
                    expectValue = false;
                    if (closers.empty())
                        return true;
                } else if (c == '{' && !readKeyAndColon()) {
                    return false;
                }
                continue;
            }
            bool ok = true;
            if (c == '"')
                ok = readString().has_value();
            else if (c == 't')
                ok = readLiteral("true");
            else if (c == 'f')
                ok = readLiteral("false");
            else if (c == 'n')
                ok = readLiteral("null");
            else
                ok = readNumber().has_value();
            if (!ok)
                return false;
            expectValue = false;
            if (closers.empty())
                return true;
            continue;
        }
        if (c == ',') {
            ++m_pos;
            if (closers.back() == '}' && !readKeyAndColon())
                return false;
            expectValue = true;
            continue;
        }
        if (c == closers.back()) {
            ++m_pos;
            closers.pop_back();
            if (closers.empty())
                return true;
            continue;
        }
        m_error = QStringLiteral("unbalanced brackets");
        return false;
    }
}

bool DOMJsonReader::isNumberNext() const
{
    return m_pos < m_size && (m_data[m_pos] == '-' || (m_data[m_pos] >= '0' && m_data[m_pos] <= '9'));
}

bool DOMJsonReader::readStringInto(QString &target)
{
    std::optional<QString> text = readString();
    if (!text)
        return false;
    target = std::move(*text);
    return true;
}

std::optional<double> DOMJsonReader::readNumberAhead()
{
    skipWhitespace();
    return isNumberNext() ? readNumber() : std::nullopt;
}

bool DOMJsonReader::readId(qint64 &id)
{
    const std::optional<double> number = readNumberAhead();
    if (number)
        id = idOf(*number);
    return number.has_value();
}

bool DOMJsonReader::readInt(int &value)
{
    const std::optional<double> number = readNumberAhead();
    if (number)
        value = intOf(*number);
    return number.has_value();
}

qint64 DOMJsonReader::idOf(double number)
{
    // Ids are integers well inside a double's exact range; a cast of a
    // larger number would be undefined.
    if (!(number > -9.0e15 && number < 9.0e15) || number != double(qint64(number)))
        return 0;
    return qint64(number);
}

int DOMJsonReader::intOf(double number)
{
    if (!(number >= double(std::numeric_limits<int>::min()) && number <= double(std::numeric_limits<int>::max()))
        || number != double(int(number)))
        return 0;
    return int(number);
}

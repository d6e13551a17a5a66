#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Reads JSON text in place, value by value, without building a JSON tree:
// strict JSON, no recursion (values that are not read are skipped with a
// bracket stack). A read that fails answers false or nullopt and leaves its
// reason in error(). The text must outlive the reader.
class DOMJsonReader
{
public:
    explicit DOMJsonReader(QByteArrayView text) : m_data(text.data()), m_size(text.size()) {}

    qsizetype position() const { return m_pos; }
    const QString &error() const { return m_error; }
    // The next character after white space; 0 at the end.
    char peek()
    {
        skipWhitespace();
        return m_pos < m_size ? m_data[m_pos] : 0;
    }
    // The text from start up to the reader's position.
    QByteArrayView textFrom(qsizetype start) const { return QByteArrayView(m_data + start, m_pos - start); }

    void skipWhitespace();
    // Passes white space and c; false when c is not next.
    bool expect(char c);
    // Keys are short ASCII words, compared as they stand in the text; one
    // with escapes is decoded into a buffer of the reader's.
    std::optional<QByteArrayView> readKey();
    std::optional<QString> readString();
    bool readStringInto(QString &target);
    std::optional<double> readNumber();
    // A number after white space; none, with nothing read, when another value comes.
    std::optional<double> readNumberAhead();
    bool isNumberNext() const;
    // The next value, white space before it passed, as a whole number: an
    // id (0 outside a double's exact range or with a fraction), or an int
    // as QJsonValue::toInt() reads one (0 outside int's range). False when
    // no number is next.
    bool readId(qint64 &id);
    bool readInt(int &value);
    static qint64 idOf(double number);
    static int intOf(double number);
    bool readLiteral(const char *word);
    // Passes over any value, nested ones included, with a stack of brackets.
    bool skipValue();

    // Reads "key": value pairs up to the closing brace; readValue reads the
    // value of each key.
    template<typename ReadValue>
    bool readMembers(ReadValue readValue)
    {
        skipWhitespace();
        if (m_pos < m_size && m_data[m_pos] == '}') {
            ++m_pos;
            return true;
        }
        while (true) {
            skipWhitespace();
            std::optional<QByteArrayView> key = readKey();
            if (!key || !expect(':'))
                return false;
            skipWhitespace();
            if (!readValue(*key))
                return false;
            skipWhitespace();
            if (m_pos < m_size && m_data[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            return expect('}');
        }
    }

    // Reads array elements up to the closing bracket.
    template<typename ReadElement>
    bool readElements(ReadElement readElement)
    {
        if (!expect('['))
            return false;
        skipWhitespace();
        if (m_pos < m_size && m_data[m_pos] == ']') {
            ++m_pos;
            return true;
        }
        while (true) {
            skipWhitespace();
            if (!readElement())
                return false;
            skipWhitespace();
            if (m_pos < m_size && m_data[m_pos] == ',') {
                ++m_pos;
                continue;
            }
            return expect(']');
        }
    }

protected:
    std::optional<char16_t> readHex4();

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    QString m_error;
    QByteArray m_keyBuffer;
};

#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// ASCII-only case mapping and white space, as HTML and CSS define them.
namespace DOMStrings {

inline char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

inline bool isAsciiWhitespace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\f' || u == u'\r';
}

inline QString asciiLower(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= u'A' && c <= u'Z') {
            QString lower = text;
            QChar *data = lower.data();
            for (qsizetype j = i; j < lower.size(); ++j)
                data[j] = QChar(asciiLower(data[j].unicode()));
            return lower;
        }
    }
    return text;
}

inline QString asciiUpper(const QString &text)
{
    QString upper = text;
    QChar *data = upper.data();
    for (qsizetype i = 0; i < upper.size(); ++i) {
        const char16_t c = data[i].unicode();
        if (c >= u'a' && c <= u'z')
            data[i] = QChar(char16_t(c - 32));
    }
    return upper;
}

inline bool equalsIgnoringAsciiCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a.at(i).unicode()) != asciiLower(b.at(i).unicode()))
            return false;
    }
    return true;
}

inline QStringList splitAsciiWhitespace(const QString &text)
{
    QStringList parts;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool space = i == text.size() || isAsciiWhitespace(text.at(i));
        if (space && start >= 0) {
            parts.append(text.mid(start, i - start));
            start = -1;
        } else if (!space && start < 0) {
            start = i;
        }
    }
    return parts;
}

} // namespace DOMStrings

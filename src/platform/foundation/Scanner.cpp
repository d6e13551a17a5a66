#include "Scanner.h"

#include "Assert.h"

Scanner::Scanner(QString string) : m_string(std::move(string)) {}

void Scanner::setScanLocation(qsizetype location)
{
    QM_ASSERT(location >= 0 && location <= m_string.size(), return);
    m_location = location;
}

qsizetype Scanner::skippedLocation() const
{
    qsizetype i = m_location;
    if (m_skip.isEmpty())
        return i;
    while (i < m_string.size() && m_skip.characterIsMember(m_string.at(i)))
        ++i;
    return i;
}

bool Scanner::isAtEnd() const
{
    return skippedLocation() >= m_string.size();
}

bool Scanner::scanRun(const CharacterSet &set, Membership membership, QString *into)
{
    const bool wanted = membership == Membership::In;
    const qsizetype start = skippedLocation();
    qsizetype i = start;
    while (i < m_string.size() && set.characterIsMember(m_string.at(i)) == wanted)
        ++i;
    if (i == start)
        return false;
    if (into)
        *into = m_string.mid(start, i - start);
    m_location = i;
    return true;
}

bool Scanner::scanUpToCharactersFromSet(const CharacterSet &set, QString *into)
{
    return scanRun(set, Membership::NotIn, into);
}

bool Scanner::scanCharactersFromSet(const CharacterSet &set, QString *into)
{
    return scanRun(set, Membership::In, into);
}

bool Scanner::scanUpToString(const QString &stop, QString *into)
{
    const qsizetype start = skippedLocation();
    if (start >= m_string.size())
        return false;
    qsizetype found = stop.isEmpty()
        ? -1
        : m_string.indexOf(stop, start, m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    const qsizetype end = found < 0 ? m_string.size() : found;
    if (end == start)
        return false;
    if (into)
        *into = m_string.mid(start, end - start);
    m_location = end;
    return true;
}

bool Scanner::scanString(const QString &string, QString *into)
{
    const qsizetype start = skippedLocation();
    if (string.isEmpty())
        return false;
    const auto text = QStringView(m_string).mid(start, string.size());
    if (text.compare(string, m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive) != 0)
        return false;
    if (into)
        *into = text.toString();
    m_location = start + string.size();
    return true;
}

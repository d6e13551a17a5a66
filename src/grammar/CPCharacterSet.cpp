#include "CPCharacterSet.h"

#include <algorithm>

CPCharacterSet::CPCharacterSet(const QString &characters)
{
    for (QChar c : characters) {
        const char16_t u = c.unicode();
        if (u < 128)
            m_ascii[u >> 6] |= uint64_t(1) << (u & 63);
        else
            m_others.append(c);
    }
    std::sort(m_others.begin(), m_others.end());
    m_others.erase(std::unique(m_others.begin(), m_others.end()), m_others.end());
}

bool CPCharacterSet::contains(QChar c) const
{
    const char16_t u = c.unicode();
    if (u < 128)
        return (m_ascii[u >> 6] >> (u & 63)) & 1;
    return std::binary_search(m_others.cbegin(), m_others.cend(), c);
}

QString CPCharacterSet::characters() const
{
    QString text;
    for (char16_t u = 0; u < 128; ++u) {
        if ((m_ascii[u >> 6] >> (u & 63)) & 1)
            text.append(QChar(u));
    }
    return text + m_others;
}

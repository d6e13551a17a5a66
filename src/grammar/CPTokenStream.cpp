#include "CPTokenStream.h"

#include <QHash>

CPTokenStream::CPTokenStream(QList<CPTokenPtr> tokens) : m_tokens(std::move(tokens))
{
}

CPTokenPtr CPTokenStream::peekToken()
{
    QMutexLocker locker(&m_lock);
    while (!readable())
        m_readable.wait(&m_lock);
    return m_tokens.isEmpty() ? CPTokenPtr() : m_tokens.first();
}

CPTokenPtr CPTokenStream::popToken()
{
    QMutexLocker locker(&m_lock);
    while (!readable())
        m_readable.wait(&m_lock);
    if (m_tokens.isEmpty())
        return {};
    return m_tokens.takeFirst();
}

void CPTokenStream::pushToken(const CPTokenPtr &token)
{
    QMutexLocker locker(&m_lock);
    m_tokens.append(token);
    m_readable.wakeAll();
}

void CPTokenStream::pushTokens(const QList<CPTokenPtr> &tokens)
{
    QMutexLocker locker(&m_lock);
    m_tokens.append(tokens);
    if (readable())
        m_readable.wakeAll();
}

void CPTokenStream::closeTokenStream()
{
    QMutexLocker locker(&m_lock);
    m_isClosed = true;
    m_readable.wakeAll();
}

bool CPTokenStream::isClosed() const
{
    QMutexLocker locker(&m_lock);
    return m_isClosed;
}

QList<CPTokenPtr> CPTokenStream::tokens() const
{
    return m_tokens;
}

void CPTokenStream::setTokens(const QList<CPTokenPtr> &tokens)
{
    QMutexLocker locker(&m_lock);
    m_tokens = tokens;
    if (readable())
        m_readable.wakeAll();
}

QString CPTokenStream::description() const
{
    QString text;
    for (const CPTokenPtr &token : m_tokens)
        text += token->description() + QLatin1Char(' ');
    return text;
}

bool CPTokenStream::isEqual(const CPTokenStream &other) const
{
    if (m_tokens.size() != other.m_tokens.size())
        return false;
    for (qsizetype i = 0; i < m_tokens.size(); ++i) {
        if (!m_tokens[i]->isEqual(*other.m_tokens[i]))
            return false;
    }
    return true;
}

size_t CPTokenStream::hash() const
{
    size_t seed = 0;
    for (const CPTokenPtr &token : m_tokens)
        seed = qHashMulti(seed, token->hash());
    return seed;
}

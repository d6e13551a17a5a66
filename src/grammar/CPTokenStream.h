#pragma once

#include "CPToken.h"

#include <QList>
#include <QMutex>
#include <QWaitCondition>

// The queue that carries tokens from a tokeniser to a parser. One producer and
// one consumer may use it from two threads: readers block while the stream is
// empty and still open; writers never block. The stream owns the queued tokens;
// a popped token is handed to the caller.
//
// tokens(), description() and equality read the queue without waiting, so use
// them only on a stream that is not being filled.
class CPTokenStream
{
public:
    CPTokenStream() = default;
    explicit CPTokenStream(QList<CPTokenPtr> tokens);
    CPTokenStream(const CPTokenStream &) = delete;
    CPTokenStream &operator=(const CPTokenStream &) = delete;

    // Wait for a token or the close; null when the stream is empty and closed.
    CPTokenPtr peekToken();
    CPTokenPtr popToken();

    void pushToken(const CPTokenPtr &token);
    void pushTokens(const QList<CPTokenPtr> &tokens);
    void closeTokenStream();
    bool isClosed() const;

    QList<CPTokenPtr> tokens() const;
    void setTokens(const QList<CPTokenPtr> &tokens);

    // Each token's description followed by one blank.
    QString description() const;
    bool isEqual(const CPTokenStream &other) const;
    size_t hash() const;

private:
    bool readable() const { return m_isClosed || !m_tokens.isEmpty(); }

    bool m_isClosed = false;
    QList<CPTokenPtr> m_tokens;
    mutable QMutex m_lock;
    QWaitCondition m_readable;
};

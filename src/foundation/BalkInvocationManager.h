#pragma once

#include "Invocation.h"

#include <QList>
#include <QObject>

#include <functional>

// Batches deferred calls: distinct invocations queued within 0.1 s of one
// another run together, in order of arrival, 0.1 s after the last new one,
// followed by one completion step. AppDelegate owns the one batcher of the
// application (the write-back of edited files).
class BalkInvocationManager : public QObject
{
    Q_OBJECT

public:
    explicit BalkInvocationManager(QObject *parent = nullptr);
    ~BalkInvocationManager() override;

    // Queues the invocation unless an equal one is waiting; a repeated request
    // neither postpones the run nor replaces the completion step.
    void addOperation(const Invocation &invocation, bool autoExecute,
                      std::function<void()> completionBlock);
    // (Re)schedules execute() 0.1 s from now.
    void reserveExecute();
    // Runs the queued invocations, then the completion step.
    void execute();
    // Runs them now, when any wait, instead of at their reserved time.
    void flush();

    const QList<Invocation> &operations() const { return m_operations; }
    bool hasCompletionBlock() const { return bool(m_completionBlock); }

private:
    QList<Invocation> m_operations;
    std::function<void()> m_completionBlock;
};

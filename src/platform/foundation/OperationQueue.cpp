#include "OperationQueue.h"

#include <QMutex>
#include <QThread>
#include <QThreadPool>

Operation::Operation() = default;
Operation::~Operation() = default;

BlockOperation::BlockOperation(std::function<void(const Operation &)> block)
    : m_block(std::move(block))
{
}

BlockOperation::~BlockOperation() = default;

void BlockOperation::main()
{
    if (m_block)
        m_block(*this);
}

// The operations of a queue, shared with the runnables that outlive a call.
struct OperationQueue::State
{
    mutable QMutex lock;
    QList<std::shared_ptr<Operation>> operations;
};

OperationQueue::OperationQueue(int maxConcurrentOperationCount)
    : m_state(std::make_shared<State>())
    , m_pool(std::make_unique<QThreadPool>())
{
    if (maxConcurrentOperationCount > 0)
        m_pool->setMaxThreadCount(maxConcurrentOperationCount);
    else
        m_pool->setMaxThreadCount(qMax(2, QThread::idealThreadCount()));
}

OperationQueue::~OperationQueue()
{
    cancelAllOperations();
    m_pool->waitForDone();
}

int OperationQueue::maxConcurrentOperationCount() const
{
    return m_pool->maxThreadCount();
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation)
{
    if (!operation)
        return;
    {
        QMutexLocker locker(&m_state->lock);
        m_state->operations.append(operation);
    }
    std::shared_ptr<State> state = m_state;
    m_pool->start([state, operation] {
        if (!operation->isCancelled())
            operation->main();
        operation->m_finished.store(true);
        QMutexLocker locker(&state->lock);
        state->operations.removeOne(operation);
    });
}

std::shared_ptr<Operation> OperationQueue::addOperationWithBlock(std::function<void(const Operation &)> block)
{
    auto operation = std::make_shared<BlockOperation>(std::move(block));
    addOperation(operation);
    return operation;
}

QList<std::shared_ptr<Operation>> OperationQueue::operations() const
{
    QMutexLocker locker(&m_state->lock);
    return m_state->operations;
}

void OperationQueue::cancelAllOperations()
{
    for (const std::shared_ptr<Operation> &operation : operations())
        operation->cancel();
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    m_pool->waitForDone();
}

#pragma once

#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThreadPool;

// One unit of background work for an OperationQueue. main() runs on a worker
// thread and should look at isCancelled() between its steps: cancelling only
// sets the flag, and an operation cancelled before it starts never runs.
class Operation
{
public:
    Operation();
    virtual ~Operation();
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

    virtual void main() = 0;

    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }
    bool isFinished() const { return m_finished.load(); }

    // What the operation works on, for a queue's owner that cancels the
    // operations of one subject (a project path); empty when none.
    QString subject() const { return m_subject; }
    void setSubject(const QString &subject) { m_subject = subject; }

private:
    friend class OperationQueue;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_finished{false};
    QString m_subject;
};

// An operation made of a function, which is handed the operation itself so
// that it can look at isCancelled().
class BlockOperation final : public Operation
{
public:
    explicit BlockOperation(std::function<void(const Operation &)> block);
    ~BlockOperation() override;

    void main() override;

private:
    std::function<void(const Operation &)> m_block;
};

// Runs operations on worker threads, at most maxConcurrentOperationCount()
// at a time, in the order they were added. The queue keeps its operations
// until they are finished; its destructor cancels those left and waits for
// the running ones.
class OperationQueue
{
public:
    explicit OperationQueue(int maxConcurrentOperationCount = -1);
    ~OperationQueue();
    OperationQueue(const OperationQueue &) = delete;
    OperationQueue &operator=(const OperationQueue &) = delete;

    int maxConcurrentOperationCount() const;

    void addOperation(std::shared_ptr<Operation> operation);
    std::shared_ptr<Operation> addOperationWithBlock(std::function<void(const Operation &)> block);
    // The operations queued or running.
    QList<std::shared_ptr<Operation>> operations() const;
    void cancelAllOperations();
    // Blocks until every operation has finished (or was skipped as cancelled).
    void waitUntilAllOperationsAreFinished();

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::unique_ptr<QThreadPool> m_pool;
};

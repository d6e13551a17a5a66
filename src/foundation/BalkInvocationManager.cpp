#include "BalkInvocationManager.h"

#include "platform/foundation/DelayedPerform.h"

static const QByteArray kExecuteSelector = QByteArrayLiteral("execute");

BalkInvocationManager::BalkInvocationManager(QObject *parent) : QObject(parent) {}

BalkInvocationManager::~BalkInvocationManager() = default;

void BalkInvocationManager::addOperation(const Invocation &invocation, bool autoExecute,
                                         std::function<void()> completionBlock)
{
    if (m_operations.contains(invocation))
        return;
    m_operations.append(invocation);
    if (autoExecute)
        reserveExecute();
    m_completionBlock = std::move(completionBlock);
}

void BalkInvocationManager::reserveExecute()
{
    DelayedPerform::cancel(this, kExecuteSelector, {});
    DelayedPerform::perform(this, kExecuteSelector, {}, 0.1, [this] { execute(); });
}

void BalkInvocationManager::execute()
{
    // Take the batch first: calls queued by the invocations themselves, or by
    // the completion step, start a batch of their own instead of being lost.
    const QList<Invocation> operations = std::exchange(m_operations, {});
    const std::function<void()> completion = std::exchange(m_completionBlock, {});
    for (const Invocation &invocation : operations)
        invocation.invoke();
    if (completion)
        completion();
}

void BalkInvocationManager::flush()
{
    if (m_operations.isEmpty())
        return;
    DelayedPerform::cancel(this, kExecuteSelector, {});
    execute();
}

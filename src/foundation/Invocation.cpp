#include "Invocation.h"

#include "platform/foundation/Log.h"

Invocation::Invocation(TargetRef target, QByteArray selector, QList<TargetRef> arguments,
                       std::function<void()> call)
    : m_target(std::move(target)), m_selector(std::move(selector)),
      m_arguments(std::move(arguments)), m_call(std::move(call))
{
}

Invocation Invocation::invocationWithSelector(const TargetRef &target, const QByteArray &selector,
                                              const QList<TargetRef> &arguments,
                                              std::function<void()> call)
{
    return Invocation(target, selector, arguments, std::move(call));
}

bool Invocation::invoke() const
{
    if (!m_call)
        return false;
    bool alive = m_target.isAlive();
    for (const TargetRef &argument : m_arguments)
        alive = alive && argument.isAlive();
    if (!alive) {
        QM_DEBUG(QStringLiteral("skipped %1 of a destroyed object").arg(QString::fromLatin1(m_selector)));
        return false;
    }
    m_call();
    return true;
}

bool Invocation::isEqual(const Invocation &other) const
{
    return m_target == other.m_target && m_selector == other.m_selector
        && m_arguments == other.m_arguments;
}

#pragma once

#include "TargetRef.h"

#include <QByteArray>
#include <QList>

#include <functional>

// A deferred call with an identity: two invocations are equal when they have
// the same target, the same selector and the same arguments (objects compared
// by identity). The call runs only while its target and arguments are alive.
class Invocation
{
public:
    Invocation() = default;
    Invocation(TargetRef target, QByteArray selector, QList<TargetRef> arguments,
               std::function<void()> call);

    // The invocation of the target's selector with the given arguments; `call`
    // carries out the call itself.
    static Invocation invocationWithSelector(const TargetRef &target, const QByteArray &selector,
                                             const QList<TargetRef> &arguments,
                                             std::function<void()> call);

    const TargetRef &target() const { return m_target; }
    QByteArray selector() const { return m_selector; }
    const QList<TargetRef> &arguments() const { return m_arguments; }

    // Runs the call; answers false, without running it, when the target or an
    // argument has been destroyed.
    bool invoke() const;

    bool isEqual(const Invocation &other) const;
    bool operator==(const Invocation &other) const { return isEqual(other); }

private:
    TargetRef m_target;
    QByteArray m_selector;
    QList<TargetRef> m_arguments;
    std::function<void()> m_call;
};

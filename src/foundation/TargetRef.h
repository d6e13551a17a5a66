#pragma once

#include "platform/foundation/Assert.h"

#include <QObject>
#include <QPointer>

#include <concepts>
#include <functional>
#include <memory>

// What a deferred call (an undo action, a batched write) acts on: an identity,
// to compare and remove calls by target, and a liveness check, so that a call
// whose object has been destroyed is skipped instead of run. Build one from a
// QObject (tracked with a QPointer), from a shared or weak pointer, or from an
// identity with a check of the caller's own (an id looked up in a registry),
// optionally naming the object that handed it out, so that its calls can be
// told apart from the rest.
class TargetRef
{
public:
    TargetRef() = default;

    template<typename T>
        requires std::derived_from<T, QObject>
    TargetRef(T *object) // NOLINT: implicit by design
        : m_identity(static_cast<const QObject *>(object))
    {
        QPointer<QObject> guard(object);
        m_isAlive = [guard] { return !guard.isNull(); };
    }

    template<typename T>
    TargetRef(const std::shared_ptr<T> &object) // NOLINT: implicit by design
        : TargetRef(std::weak_ptr<T>(object))
    {
    }

    template<typename T>
    TargetRef(const std::weak_ptr<T> &object) // NOLINT: implicit by design
        : m_identity(object.lock().get())
    {
        m_isAlive = [object] { return !object.expired(); };
    }

    static TargetRef withCheck(const void *identity, std::function<bool()> isAlive, const void *owner = nullptr)
    {
        QM_ASSERT(identity && isAlive, return {});
        TargetRef ref;
        ref.m_identity = identity;
        ref.m_isAlive = std::move(isAlive);
        ref.m_owner = owner;
        return ref;
    }

    bool isNull() const { return m_identity == nullptr; }
    const void *identity() const { return m_identity; }
    // Who handed the target out (withCheck); null for any other.
    const void *owner() const { return m_owner; }
    bool isAlive() const { return m_identity && m_isAlive && m_isAlive(); }

    bool operator==(const TargetRef &other) const { return m_identity == other.m_identity; }

private:
    const void *m_identity = nullptr;
    std::function<bool()> m_isAlive;
    const void *m_owner = nullptr;
};

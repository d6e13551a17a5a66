#pragma once

#include <QString>

#include <optional>
#include <utility>

// The outcome of an operation that can fail for reasons outside the program
// (file I/O, a process, a parse): a value, or a readable message.
template<typename T>
class Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failure(QString message)
    {
        Result r;
        r.m_error = std::move(message);
        return r;
    }

    bool isOk() const { return m_value.has_value(); }
    explicit operator bool() const { return isOk(); }
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    const T &operator*() const { return *m_value; }
    const T *operator->() const { return &*m_value; }
    T valueOr(T fallback) const { return m_value ? *m_value : std::move(fallback); }
    const QString &error() const { return m_error; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

template<>
class Result<void>
{
public:
    Result() = default;
    static Result failure(QString message)
    {
        Result r;
        r.m_failed = true;
        r.m_error = std::move(message);
        return r;
    }

    bool isOk() const { return !m_failed; }
    explicit operator bool() const { return isOk(); }
    const QString &error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

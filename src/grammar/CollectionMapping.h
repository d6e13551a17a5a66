#pragma once

#include <QList>
#include <QSet>

#include <optional>
#include <type_traits>

// The functional map over arrays and sets: applies a function to every
// element and keeps the results, leaving out every element for which the
// function answers nothing.
namespace CollectionMapping {

template<typename T, typename F>
auto map(const QList<T> &list, F function)
{
    using Result = typename std::invoke_result_t<F, const T &>::value_type;
    QList<Result> results;
    results.reserve(list.size());
    for (const T &element : list) {
        if (std::optional<Result> result = function(element))
            results.append(std::move(*result));
    }
    return results;
}

template<typename T, typename F>
auto map(const QSet<T> &set, F function)
{
    using Result = typename std::invoke_result_t<F, const T &>::value_type;
    QSet<Result> results;
    for (const T &element : set) {
        if (std::optional<Result> result = function(element))
            results.insert(std::move(*result));
    }
    return results;
}

} // namespace CollectionMapping

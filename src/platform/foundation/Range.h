#pragma once

#include <QMetaType>
#include <QtGlobal>

#include <limits>

// A run of UTF-16 code units of a QString: [location, location + length).
struct Range
{
    qsizetype location = 0;
    qsizetype length = 0;

    constexpr qsizetype end() const { return location + length; }
    constexpr bool contains(qsizetype index) const { return index >= location && index < end(); }
    friend constexpr bool operator==(const Range &, const Range &) = default;
};

// "No such index": the answer of searches that find nothing.
inline constexpr qsizetype NotFound = std::numeric_limits<qsizetype>::max();

Q_DECLARE_METATYPE(Range)

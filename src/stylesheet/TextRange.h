#pragma once

#include <QtGlobal>

// A run of characters of a text: [location, location + length), counted in
// UTF-16 code units, so it indexes a QString as it stands.
struct TextRange
{
    qsizetype location = 0;
    qsizetype length = 0;

    qsizetype end() const { return location + length; }
    bool contains(qsizetype index) const { return index >= location && index < end(); }
    friend bool operator==(const TextRange &, const TextRange &) = default;
};

#pragma once

#include <QString>

#include <cstdint>

// A fixed set of UTF-16 characters, built from the characters of a string.
// ASCII look-ups are one bit test; others search the sorted remainder.
class CPCharacterSet
{
public:
    CPCharacterSet() = default;
    explicit CPCharacterSet(const QString &characters);

    bool contains(QChar c) const;
    // The characters, in ascending order.
    QString characters() const;
    bool operator==(const CPCharacterSet &other) const { return characters() == other.characters(); }

private:
    uint64_t m_ascii[2] = {0, 0};
    QString m_others; // sorted, no duplicates
};

#pragma once

#include "CharacterSet.h"

#include <QString>

// A cursor over a string for small hand-written parsers. Before each scan step
// it passes over the characters to be skipped (blanks and line breaks unless
// set otherwise); a step that finds nothing leaves the position where it was.
// String matching ignores case unless setCaseSensitive(true) is called.
class Scanner
{
public:
    explicit Scanner(QString string);

    const QString &string() const { return m_string; }

    qsizetype scanLocation() const { return m_location; }
    void setScanLocation(qsizetype location);

    const CharacterSet &charactersToBeSkipped() const { return m_skip; }
    // An empty set skips nothing.
    void setCharactersToBeSkipped(const CharacterSet &set) { m_skip = set; }

    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool caseSensitive) { m_caseSensitive = caseSensitive; }

    // Each answers whether at least one character was scanned; the scanned
    // text goes to `into` when given.
    bool scanUpToCharactersFromSet(const CharacterSet &set, QString *into = nullptr);
    bool scanCharactersFromSet(const CharacterSet &set, QString *into = nullptr);
    bool scanUpToString(const QString &stop, QString *into = nullptr);
    bool scanString(const QString &string, QString *into = nullptr);

    // True when only characters to be skipped are left.
    bool isAtEnd() const;

private:
    enum class Membership { In, NotIn };
    // Scans the run of characters whose membership in the set is as given.
    bool scanRun(const CharacterSet &set, Membership membership, QString *into);

    qsizetype skippedLocation() const;

    QString m_string;
    qsizetype m_location = 0;
    CharacterSet m_skip = CharacterSet::whitespaceAndNewlineCharacterSet();
    bool m_caseSensitive = false;
};

#pragma once

#include "CPRule.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <vector>

// The gotos of a parser: per state, per nonterminal name, the state to go to
// after a reduction. Immutable once built, so any thread may read it.
class CPShiftReduceGotoTable
{
public:
    explicit CPShiftReduceGotoTable(qsizetype capacity = 0) : m_capacity(capacity) {}

    qsizetype capacity() const { return m_capacity; }

    // Stores the target and answers true, or false when a different target is stored.
    bool setGoto(qsizetype state, const QString &nonTerminalName, qsizetype target);
    // Looks up by the rule's name; none when no goto is stored.
    std::optional<qsizetype> gotoForState(qsizetype state, const CPRule &rule) const;
    std::optional<qsizetype> gotoForState(qsizetype state, const QString &nonTerminalName) const;

    // The compact form the driver runs on; a cell holds the target plus one, 0 for none.
    qsizetype columnForName(const QString &name) const { return m_columnIndex.value(name, -1); }
    qsizetype addColumn(const QString &name);
    const QStringList &columnNames() const { return m_columnNames; }
    qint32 cell(qsizetype state, qsizetype column) const { return m_columns[column][state]; }

private:
    qsizetype m_capacity;
    QStringList m_columnNames;
    QHash<QString, qsizetype> m_columnIndex;
    std::vector<std::vector<qint32>> m_columns;
};

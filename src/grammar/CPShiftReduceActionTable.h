#pragma once

#include "CPShiftReduceAction.h"
#include "CPToken.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class CPGrammar;

// The actions of a parser: per state, per token name, at most one action.
// The number of states is fixed at creation; columns (token names) are added
// as actions arrive. Immutable once built, so any thread may read it.
class CPShiftReduceActionTable
{
public:
    explicit CPShiftReduceActionTable(qsizetype capacity = 0) : m_capacity(capacity) {}

    qsizetype capacity() const { return m_capacity; }

    // Stores the action and answers true, or answers false and changes nothing
    // when a different action is already there (an equal one is fine).
    bool setAction(const CPShiftReduceAction &action, qsizetype state, const QString &name);
    // Looks up by the token's name.
    std::optional<CPShiftReduceAction> actionForState(qsizetype state, const CPToken &token) const;
    std::optional<CPShiftReduceAction> actionForState(qsizetype state, const QString &name) const;
    QSet<QString> acceptableTokenNamesForState(qsizetype state) const;

    // A grid: "State | " and the names, then a row "%5ld | " per state.
    QString description() const;
    QString descriptionWithGrammar(const CPGrammar &grammar) const;

    // The compact form the driver runs on: a column per token name and, per
    // cell, 0 for no action or (payload << 2 | kind) with kind 1 shift (payload
    // the state), 2 reduce (payload an index into rules()), 3 accept.
    enum : qint32 { NoAction = 0, ShiftKind = 1, ReduceKind = 2, AcceptKind = 3 };
    qsizetype columnForName(const QString &name) const { return m_columnIndex.value(name, -1); }
    qsizetype addColumn(const QString &name);
    const QStringList &columnNames() const { return m_columnNames; }
    qint32 cell(qsizetype state, qsizetype column) const { return m_columns[column][state]; }
    bool setCell(qsizetype state, qsizetype column, qint32 code);
    const std::vector<CPRulePtr> &rules() const { return m_rules; }
    qint32 encode(const CPShiftReduceAction &action);
    CPShiftReduceAction decode(qint32 code) const;

private:
    QString describe(const std::function<QString(const CPShiftReduceAction &)> &describeAction) const;

    qsizetype m_capacity;
    QStringList m_columnNames;
    QHash<QString, qsizetype> m_columnIndex;
    std::vector<std::vector<qint32>> m_columns;
    std::vector<CPRulePtr> m_rules;
    QHash<const CPRule *, qint32> m_ruleIndex;
};

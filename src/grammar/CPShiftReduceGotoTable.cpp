#include "CPShiftReduceGotoTable.h"

#include "platform/foundation/Assert.h"

qsizetype CPShiftReduceGotoTable::addColumn(const QString &name)
{
    auto it = m_columnIndex.constFind(name);
    if (it != m_columnIndex.cend())
        return *it;
    m_columnNames.append(name);
    m_columns.emplace_back(size_t(m_capacity), 0);
    m_columnIndex.insert(name, m_columnNames.size() - 1);
    return m_columnNames.size() - 1;
}

bool CPShiftReduceGotoTable::setGoto(qsizetype state, const QString &nonTerminalName, qsizetype target)
{
    QM_ASSERT(state >= 0 && state < m_capacity && target >= 0 && target < m_capacity, return false);
    const qsizetype column = addColumn(nonTerminalName);
    qint32 &cell = m_columns[size_t(column)][size_t(state)];
    const qint32 code = qint32(target + 1);
    if (cell != 0 && cell != code)
        return false;
    cell = code;
    return true;
}

std::optional<qsizetype> CPShiftReduceGotoTable::gotoForState(qsizetype state, const QString &nonTerminalName) const
{
    const qsizetype column = columnForName(nonTerminalName);
    if (column < 0 || state < 0 || state >= m_capacity)
        return std::nullopt;
    const qint32 code = cell(state, column);
    if (code == 0)
        return std::nullopt;
    return code - 1;
}

std::optional<qsizetype> CPShiftReduceGotoTable::gotoForState(qsizetype state, const CPRule &rule) const
{
    return gotoForState(state, rule.name());
}

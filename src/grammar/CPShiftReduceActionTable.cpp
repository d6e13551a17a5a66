#include "CPShiftReduceActionTable.h"

#include "CPGrammar.h"

#include "platform/foundation/Assert.h"

qsizetype CPShiftReduceActionTable::addColumn(const QString &name)
{
    auto it = m_columnIndex.constFind(name);
    if (it != m_columnIndex.cend())
        return *it;
    m_columnNames.append(name);
    m_columns.emplace_back(size_t(m_capacity), NoAction);
    m_columnIndex.insert(name, m_columnNames.size() - 1);
    return m_columnNames.size() - 1;
}

qint32 CPShiftReduceActionTable::encode(const CPShiftReduceAction &action)
{
    switch (action.type()) {
    case CPShiftReduceAction::Type::Shift:
        return qint32(action.newState() << 2) | ShiftKind;
    case CPShiftReduceAction::Type::Reduce: {
        const CPRule *rule = action.reductionRule().get();
        auto it = m_ruleIndex.constFind(rule);
        if (it == m_ruleIndex.cend()) {
            it = m_ruleIndex.insert(rule, qint32(m_rules.size()));
            m_rules.push_back(action.reductionRule());
        }
        return (*it << 2) | ReduceKind;
    }
    case CPShiftReduceAction::Type::Accept:
        return AcceptKind;
    }
    return NoAction;
}

CPShiftReduceAction CPShiftReduceActionTable::decode(qint32 code) const
{
    switch (code & 3) {
    case ShiftKind:
        return CPShiftReduceAction::shiftAction(code >> 2);
    case ReduceKind:
        return CPShiftReduceAction::reduceAction(m_rules.at(size_t(code >> 2)));
    default:
        return CPShiftReduceAction::acceptAction();
    }
}

bool CPShiftReduceActionTable::setCell(qsizetype state, qsizetype column, qint32 code)
{
    QM_ASSERT(state >= 0 && state < m_capacity && column >= 0 && column < qsizetype(m_columns.size()),
              return false);
    qint32 &cell = m_columns[size_t(column)][size_t(state)];
    if (cell != NoAction && cell != code)
        return false;
    cell = code;
    return true;
}

bool CPShiftReduceActionTable::setAction(const CPShiftReduceAction &action, qsizetype state, const QString &name)
{
    QM_ASSERT(state >= 0 && state < m_capacity, return false);
    const qsizetype column = addColumn(name);
    const qint32 existing = m_columns[size_t(column)][size_t(state)];
    if (existing != NoAction && !decode(existing).isEqualToShiftReduceAction(action))
        return false;
    return setCell(state, column, encode(action));
}

std::optional<CPShiftReduceAction> CPShiftReduceActionTable::actionForState(qsizetype state,
                                                                           const QString &name) const
{
    const qsizetype column = columnForName(name);
    if (column < 0 || state < 0 || state >= m_capacity)
        return std::nullopt;
    const qint32 code = cell(state, column);
    if (code == NoAction)
        return std::nullopt;
    return decode(code);
}

std::optional<CPShiftReduceAction> CPShiftReduceActionTable::actionForState(qsizetype state,
                                                                           const CPToken &token) const
{
    return actionForState(state, token.name());
}

QSet<QString> CPShiftReduceActionTable::acceptableTokenNamesForState(qsizetype state) const
{
    QSet<QString> names;
    if (state < 0 || state >= m_capacity)
        return names;
    for (size_t column = 0; column < m_columns.size(); ++column) {
        if (m_columns[column][size_t(state)] != NoAction)
            names.insert(m_columnNames.at(qsizetype(column)));
    }
    return names;
}

QString CPShiftReduceActionTable::describe(
    const std::function<QString(const CPShiftReduceAction &)> &describeAction) const
{
    if (m_capacity == 0)
        return {};
    qsizetype width = 4;
    for (const QString &name : m_columnNames)
        width = std::max(width, name.size() + 1);
    QString text = QStringLiteral("State | ");
    for (const QString &name : m_columnNames)
        text += name.leftJustified(width, QLatin1Char(' '));
    text += QLatin1Char('\n');
    for (qsizetype state = 0; state < m_capacity; ++state) {
        text += QStringLiteral("%1 | ").arg(state, 5);
        for (size_t column = 0; column < m_columns.size(); ++column) {
            const qint32 code = m_columns[column][size_t(state)];
            const QString action = code == NoAction ? QString() : describeAction(decode(code));
            text += action.leftJustified(width, QLatin1Char(' '));
        }
        text += QLatin1Char('\n');
    }
    return text;
}

QString CPShiftReduceActionTable::description() const
{
    return describe([](const CPShiftReduceAction &action) { return action.description(); });
}

QString CPShiftReduceActionTable::descriptionWithGrammar(const CPGrammar &grammar) const
{
    const QList<CPRulePtr> ordered = grammar.orderedRules();
    return describe([&ordered](const CPShiftReduceAction &action) {
        if (action.isReduceAction())
            return QStringLiteral("r%1").arg(ordered.indexOf(action.reductionRule()));
        return action.description();
    });
}

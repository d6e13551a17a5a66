#include "CPShiftReduceParser.h"

#include "CPParseResult.h"
#include "CPValue.h"
#include "GrammarLog.h"

#include "platform/foundation/Assert.h"

CPShiftReduceParser::CPShiftReduceParser(CPGrammarPtr grammar) : CPParser(std::move(grammar))
{
}

void CPShiftReduceParser::setTables(CPShiftReduceActionTable actions, CPShiftReduceGotoTable gotos)
{
    auto tables = std::make_shared<Tables>();
    tables->actions = std::move(actions);
    tables->gotos = std::move(gotos);
    const CPParseResult *rhsItemResult = CPParseResult::rhsItemResultType();
    for (const CPRulePtr &rule : tables->actions.rules()) {
        Reduction reduction;
        reduction.rule = rule;
        reduction.length = int(rule->rightHandSideElements().size());
        reduction.gotoColumn = tables->gotos.columnForName(rule->name());
        reduction.type = rule->representitiveClass();
        reduction.isRHSItemResult = reduction.type == rhsItemResult;
        tables->reductions.push_back(std::move(reduction));
    }
    m_tables = std::move(tables);
}

QVariantMap CPShiftReduceParser::archive() const
{
    auto actionArchive = [](const CPShiftReduceAction &action) {
        QVariantMap map{{QStringLiteral("t"), int(action.type())}};
        if (action.isShiftAction())
            map.insert(QStringLiteral("s"), action.newState());
        else if (action.isReduceAction())
            map.insert(QStringLiteral("r"), action.reductionRule()->archive());
        return map;
    };
    QVariantList actionStates;
    QVariantList gotoStates;
    const CPShiftReduceActionTable &actions = m_tables->actions;
    const CPShiftReduceGotoTable &gotos = m_tables->gotos;
    for (qsizetype state = 0; state < actions.capacity(); ++state) {
        QVariantMap row;
        for (qsizetype column = 0; column < actions.columnNames().size(); ++column) {
            if (const qint32 code = actions.cell(state, column))
                row.insert(actions.columnNames().at(column), actionArchive(actions.decode(code)));
        }
        actionStates.append(row);
        QVariantMap gotoRow;
        for (qsizetype column = 0; column < gotos.columnNames().size(); ++column) {
            if (const qint32 code = gotos.cell(state, column))
                gotoRow.insert(gotos.columnNames().at(column), code - 1);
        }
        gotoStates.append(gotoRow);
    }
    return {{QStringLiteral("g"), grammar() ? grammar()->archive() : QVariantMap()},
            {QStringLiteral("at"), QVariantMap{{QStringLiteral("t"), actionStates}}},
            {QStringLiteral("gt"), QVariantMap{{QStringLiteral("t"), gotoStates}}}};
}

bool CPShiftReduceParser::restore(const QVariantMap &archive)
{
    const QVariantList actionStates = archive.value(QStringLiteral("at")).toMap().value(QStringLiteral("t")).toList();
    const QVariantList gotoStates = archive.value(QStringLiteral("gt")).toMap().value(QStringLiteral("t")).toList();
    if (actionStates.isEmpty() || actionStates.size() != gotoStates.size())
        return false;
    // Reductions refer to the grammar's own rule objects wherever an equal rule exists.
    const QList<CPRulePtr> rules = grammar() ? grammar()->rules() : QList<CPRulePtr>();
    auto ruleFor = [&rules](const QVariantMap &stored) {
        CPRulePtr rule = CPRule::fromArchive(stored);
        for (const CPRulePtr &candidate : rules) {
            if (candidate->isEqual(*rule) && candidate->tagName() == rule->tagName())
                return candidate;
        }
        return rule;
    };
    const qsizetype capacity = actionStates.size();
    CPShiftReduceActionTable actions(capacity);
    CPShiftReduceGotoTable gotos(capacity);
    for (qsizetype state = 0; state < capacity; ++state) {
        const QVariantMap row = actionStates.at(state).toMap();
        for (auto it = row.cbegin(); it != row.cend(); ++it) {
            const QVariantMap stored = it.value().toMap();
            const int type = stored.value(QStringLiteral("t")).toInt();
            bool ok = false;
            if (type == int(CPShiftReduceAction::Type::Shift)) {
                const qsizetype target = stored.value(QStringLiteral("s")).toLongLong();
                ok = target >= 0 && target < capacity
                    && actions.setAction(CPShiftReduceAction::shiftAction(target), state, it.key());
            } else if (type == int(CPShiftReduceAction::Type::Reduce)) {
                ok = actions.setAction(CPShiftReduceAction::reduceAction(ruleFor(stored.value(QStringLiteral("r")).toMap())),
                                       state, it.key());
            } else if (type == int(CPShiftReduceAction::Type::Accept)) {
                ok = actions.setAction(CPShiftReduceAction::acceptAction(), state, it.key());
            }
            if (!ok)
                return false;
        }
        const QVariantMap gotoRow = gotoStates.at(state).toMap();
        for (auto it = gotoRow.cbegin(); it != gotoRow.cend(); ++it) {
            const qsizetype target = it.value().toLongLong();
            if (target < 0 || target >= capacity || !gotos.setGoto(state, it.key(), target))
                return false;
        }
    }
    setTables(std::move(actions), std::move(gotos));
    return true;
}

bool CPShiftReduceParser::build()
{
    QM_ASSERT(grammar(), return false);
    return constructShiftReduceTables() && m_tables;
}

const CPShiftReduceActionTable &CPShiftReduceParser::actionTable() const
{
    return m_tables->actions;
}

const CPShiftReduceGotoTable &CPShiftReduceParser::gotoTable() const
{
    return m_tables->gotos;
}

std::optional<CPShiftReduceAction> CPShiftReduceParser::actionForState(qsizetype state, const CPToken &token) const
{
    return m_tables->actions.actionForState(state, token);
}

std::optional<qsizetype> CPShiftReduceParser::gotoForState(qsizetype state, const CPRule &rule) const
{
    return m_tables->gotos.gotoForState(state, rule);
}

QSet<QString> CPShiftReduceParser::acceptableTokenNamesForState(qsizetype state) const
{
    return m_tables->actions.acceptableTokenNamesForState(state);
}

// Builds the value of a generated rule's match without an intermediate tree.
static QVariant makeRHSItemResult(const CPRule &rule, QVariantList &&children, QVariantMap &&tagValues)
{
    auto result = std::make_shared<CPRHSItemResult>();
    if (rule.tag() == 2 && !children.isEmpty()) {
        // The repeated rule: the tail's contents with this match's values in front.
        QVariant tail = std::move(children.last());
        children.removeLast();
        QVariantList contents = tail.typeId() == QMetaType::QVariantList ? CPValue::takeList(tail) : tail.toList();
        contents.insert(0, children.size(), QVariant());
        for (qsizetype i = 0; i < children.size(); ++i)
            contents[i] = std::move(children[i]);
        result->contents = std::move(contents);
    } else if (rule.tag() != 0) {
        result->contents = std::move(children);
    }
    result->tagValues = std::move(tagValues);
    result->tagName = rule.tagName();
    result->shouldCollapse = rule.shouldCollapse();
    return CPValue::fromRHSItemResult(result);
}

bool CPShiftReduceParser::reduce(const Reduction &reduction, std::vector<StackEntry> &stack)
{
    const size_t length = size_t(reduction.length);
    if (stack.size() < length) {
        qCWarning(lcGrammar, "Parse stack underflow reducing %s", qPrintable(reduction.rule->description()));
        return false;
    }
    const size_t base = stack.size() - length;

    // Children in right-hand-side order, EBNF matches taken apart. Tag records
    // are applied afterwards from the rightmost entry to the leftmost, so the
    // leftmost wins; within one entry its own tag wins over the tags it carries.
    QVariantList children;
    children.reserve(qsizetype(length));
    struct TagRecord {
        QString name;
        QVariant value;
        QVariantMap carried;
    };
    std::vector<TagRecord> tagRecords;
    for (size_t i = base; i < stack.size(); ++i) {
        QVariant &value = stack[i].object;
        if (!CPValue::isRHSItemResult(value)) {
            children.append(std::move(value));
            continue;
        }
        CPRHSItemResultPtr result = std::move(*static_cast<CPRHSItemResultPtr *>(value.data()));
        value = QVariant();
        if (!result) {
            children.append(QVariant());
            continue;
        }
        const bool owned = result.use_count() == 1;
        QVariantList contents = owned ? std::move(result->contents) : result->contents;
        QVariantMap carried = owned ? std::move(result->tagValues) : result->tagValues;
        QVariant tagged;
        const bool hasTag = !result->tagName.isNull();
        if (result->shouldCollapse) {
            if (hasTag && contents.size() == 1)
                tagged = contents.first();
            for (QVariant &element : contents)
                children.append(std::move(element));
        } else {
            if (hasTag)
                tagged = contents;
            children.append(QVariant(std::move(contents)));
        }
        if (tagged.isValid() || !carried.isEmpty())
            tagRecords.push_back({tagged.isValid() ? result->tagName : QString(), std::move(tagged), std::move(carried)});
    }
    QVariantMap tagValues;
    for (auto it = tagRecords.rbegin(); it != tagRecords.rend(); ++it) {
        for (auto carried = it->carried.cbegin(); carried != it->carried.cend(); ++carried)
            tagValues.insert(carried.key(), carried.value());
        if (!it->name.isNull())
            tagValues.insert(it->name, it->value);
    }

    {
        std::vector<QVariant> dropped;
        for (size_t i = base; i < stack.size(); ++i) {
            if (stack[i].object.isValid())
                dropped.push_back(std::move(stack[i].object));
        }
        stack.resize(base);
        CPValue::dispose(dropped);
    }

    QVariant value;
    if (reduction.isRHSItemResult) {
        value = makeRHSItemResult(*reduction.rule, std::move(children), std::move(tagValues));
    } else {
        auto tree = std::make_shared<CPSyntaxTree>(reduction.rule, std::move(children), std::move(tagValues));
        if (reduction.type)
            value = reduction.type->initWithSyntaxTree(tree);
        if (!value.isValid())
            value = delegate() ? delegate()->parserDidProduceSyntaxTree(this, tree) : CPValue::fromSyntaxTree(tree);
    }

    const qint32 from = stack.empty() ? 0 : stack.back().state;
    const qint32 target = reduction.gotoColumn >= 0 ? m_tables->gotos.cell(from, reduction.gotoColumn) : 0;
    if (target == 0) {
        qCWarning(lcGrammar, "No goto for state %d after reducing %s", from,
                  qPrintable(reduction.rule->description()));
        CPValue::dispose(std::move(value));
        return false;
    }
    stack.push_back({std::move(value), target - 1});
    return true;
}

std::optional<CPRecoveryAction> CPShiftReduceParser::error(CPTokenStream &stream, const CPTokenPtr &current,
                                                           qint32 state)
{
    const QSet<QString> expected = acceptableTokenNamesForState(state);
    std::optional<CPRecoveryAction> recovery = delegate()
        ? delegate()->parserDidEncounterErrorOnInputExpecting(this, &stream, expected)
        : CPRecoveryAction::unhandled();
    if (recovery && recovery->recoveryType() == CPRecoveryAction::Type::Unhandled) {
        CPTokenPtr next = stream.peekToken();
        if (!next)
            next = current;
        qCWarning(lcGrammar, "%lld:%lld: parse error.  Expected %s, found %s",
                  static_cast<long long>(next->lineNumber() + 1), static_cast<long long>(next->columnNumber() + 1),
                  qPrintable(CPValue::describeNames(expected)), qPrintable(next->description()));
        recovery.reset();
    }
    return recovery;
}

QVariant CPShiftReduceParser::parse(CPTokenStream &stream)
{
    QM_ASSERT(m_tables, return {});
    const Tables &tables = *m_tables;
    std::vector<StackEntry> stack;
    stack.push_back({QVariant(), 0});
    auto finish = [&stack](QVariant answer) {
        std::vector<QVariant> values;
        values.reserve(stack.size());
        for (StackEntry &entry : stack)
            values.push_back(std::move(entry.object));
        stack.clear();
        CPValue::dispose(values);
        return answer;
    };

    CPTokenPtr current = stream.peekToken();
    bool inserted = false;
    qsizetype column = -1;
    bool columnKnown = false;
    for (;;) {
        // The stream ran out without an end token (a recovery may delete it).
        if (!current)
            return finish({});
        if (!columnKnown) {
            column = tables.actions.columnForName(current->name());
            columnKnown = true;
        }
        const qint32 state = stack.empty() ? 0 : stack.back().state;
        const qint32 code = column < 0 ? CPShiftReduceActionTable::NoAction : tables.actions.cell(state, column);
        switch (code & 3) {
        case CPShiftReduceActionTable::ShiftKind:
            stack.push_back({CPValue::fromToken(current), code >> 2});
            if (!inserted)
                stream.popToken();
            current = stream.peekToken();
            inserted = false;
            columnKnown = false;
            continue;
        case CPShiftReduceActionTable::ReduceKind:
            if (!reduce(tables.reductions[size_t(code >> 2)], stack))
                return finish({});
            continue;
        case CPShiftReduceActionTable::AcceptKind: {
            QVariant answer = stack.empty() ? QVariant() : std::move(stack.back().object);
            return finish(std::move(answer));
        }
        default:
            break;
        }

        const std::optional<CPRecoveryAction> recovery = error(stream, current, state);
        if (!recovery) {
            // An error token unwinds the stack until a state takes "Error".
            if (current->isErrorToken() && !stack.empty()) {
                CPValue::dispose(std::move(stack.back().object));
                stack.pop_back();
                continue;
            }
            return finish({});
        }
        switch (recovery->recoveryType()) {
        case CPRecoveryAction::Type::Insert:
            if (!recovery->additionalToken())
                return finish({});
            current = recovery->additionalToken();
            inserted = true;
            columnKnown = false;
            break;
        case CPRecoveryAction::Type::Delete:
            stream.popToken();
            current = stream.peekToken();
            inserted = false;
            columnKnown = false;
            break;
        case CPRecoveryAction::Type::Stop:
            return finish({});
        default:
            break;
        }
    }
}

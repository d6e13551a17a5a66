#include "CPRHSItem.h"

#include <QStringList>

bool isEqual(const CPRHSElement &a, const CPRHSElement &b)
{
    if (a.index() != b.index())
        return false;
    if (const auto *symbol = std::get_if<CPGrammarSymbol>(&a))
        return *symbol == std::get<CPGrammarSymbol>(b);
    const CPRHSItemPtr &left = std::get<CPRHSItemPtr>(a);
    const CPRHSItemPtr &right = std::get<CPRHSItemPtr>(b);
    return left == right || (left && right && left->isEqual(*right));
}

QString description(const CPRHSElement &element)
{
    if (const auto *symbol = std::get_if<CPGrammarSymbol>(&element))
        return symbol->description();
    const CPRHSItemPtr &item = std::get<CPRHSItemPtr>(element);
    return item ? item->description() : QString();
}

bool CPRHSItem::isEqual(const CPRHSItem &other) const
{
    if (repeats != other.repeats || mayNotExist != other.mayNotExist || shouldCollapse != other.shouldCollapse
        || tag != other.tag || alternatives.size() != other.alternatives.size())
        return false;
    for (qsizetype i = 0; i < alternatives.size(); ++i) {
        const QList<CPRHSElement> &mine = alternatives.at(i);
        const QList<CPRHSElement> &theirs = other.alternatives.at(i);
        if (mine.size() != theirs.size())
            return false;
        for (qsizetype j = 0; j < mine.size(); ++j) {
            if (!::isEqual(mine.at(j), theirs.at(j)))
                return false;
        }
    }
    return true;
}

size_t CPRHSItem::hash() const
{
    size_t seed = qHashMulti(0, repeats, mayNotExist);
    for (const QList<CPRHSElement> &alternative : alternatives) {
        for (const CPRHSElement &element : alternative) {
            if (const auto *symbol = std::get_if<CPGrammarSymbol>(&element))
                seed = qHashMulti(seed, symbol->name(), symbol->isTerminal());
            else if (const CPRHSItemPtr &item = std::get<CPRHSItemPtr>(element))
                seed = qHashMulti(seed, item->hash());
        }
        seed = qHashMulti(seed, alternative.size());
    }
    return seed;
}

QString CPRHSItem::description() const
{
    QStringList parts;
    for (const QList<CPRHSElement> &alternative : alternatives) {
        QStringList elements;
        for (const CPRHSElement &element : alternative)
            elements.append(::description(element));
        parts.append(elements.join(QLatin1Char(' ')));
    }
    QString text = parts.join(QStringLiteral("| "));
    if (!(alternatives.size() == 1 && alternatives.first().size() == 1))
        text = QLatin1Char('(') + text + QLatin1Char(')');
    if (repeats && mayNotExist)
        text += QLatin1Char('*');
    else if (repeats)
        text += QLatin1Char('+');
    else if (mayNotExist)
        text += QLatin1Char('?');
    return text;
}

QSet<QString> CPRHSItem::nestedTags() const
{
    QSet<QString> tags;
    for (const QList<CPRHSElement> &alternative : alternatives) {
        for (const CPRHSElement &element : alternative) {
            const auto *item = std::get_if<CPRHSItemPtr>(&element);
            if (!item || !*item)
                continue;
            if (!(*item)->tag.isNull())
                tags.insert((*item)->tag);
            tags.unite((*item)->nestedTags());
        }
    }
    return tags;
}

int CPRHSItem::nestingOf(const QList<QList<CPRHSElement>> &alternatives)
{
    int deepest = 0;
    for (const QList<CPRHSElement> &alternative : alternatives) {
        for (const CPRHSElement &element : alternative) {
            const auto *item = std::get_if<CPRHSItemPtr>(&element);
            if (item && *item)
                deepest = std::max(deepest, (*item)->nesting);
        }
    }
    return deepest + 1;
}

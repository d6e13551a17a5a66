#include "CPBNFParserDelegate.h"

#include "CPTokenStream.h"
#include "CPValue.h"

#include <QStringList>

namespace {

// Moves a value of type T out of a child; a default T when the child holds something else.
template<typename T>
T take(QVariantList &children, qsizetype index)
{
    if (index >= children.size())
        return T();
    QVariant &child = children[index];
    if (child.metaType() != QMetaType::fromType<T>())
        return T();
    T value = std::move(*static_cast<T *>(child.data()));
    child = QVariant();
    return value;
}

template<typename T>
QVariant wrap(T &&value)
{
    return QVariant::fromValue(std::forward<T>(value));
}

CPTokenPtr tokenAt(const QVariantList &children, qsizetype index)
{
    return index < children.size() ? CPValue::token(children.at(index)) : CPTokenPtr();
}

} // namespace

QString CPEBNFRule::description() const
{
    QStringList parts;
    for (const CPRHSElement &element : elements)
        parts.append(::description(element));
    return QStringLiteral("%1 ::= %2").arg(name, parts.join(QLatin1Char(' ')));
}

bool CPBNFParserDelegate::tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &)
{
    return true;
}

QList<CPTokenPtr> CPBNFParserDelegate::tokeniserWillProduceToken(CPTokeniser *, const CPTokenPtr &token)
{
    if (token->isWhiteSpaceToken())
        return {};
    return {token};
}

CPRHSItemPtr CPBNFParserDelegate::makeItem(QList<QList<CPRHSElement>> alternatives, const CPSyntaxTree &at)
{
    auto item = std::make_shared<CPRHSItem>();
    item->nesting = CPRHSItem::nestingOf(alternatives);
    if (item->nesting > MaximumNesting) {
        // Keep the value's shape but drop what is inside; the reader reports the error.
        if (!m_error.isValid()) {
            CPTokenPtr token;
            for (const QVariant &child : at.children()) {
                if ((token = CPValue::token(child)))
                    break;
            }
            m_error = {QStringLiteral("CPEBNFParserErrorDomain"), CPGrammarError::SyntaxError,
                       QStringLiteral("Could not parse EBNF for grammar.  %1:%2: Groups are nested more than %3 "
                                      "levels deep.")
                           .arg(token ? token->lineNumber() + 1 : 0)
                           .arg(token ? token->columnNumber() + 1 : 0)
                           .arg(MaximumNesting)};
        }
        item->nesting = 1;
        alternatives = {{CPGrammarSymbol::terminalWithName(QStringLiteral("EOF"))}};
    }
    item->alternatives = std::move(alternatives);
    return item;
}

QVariant CPBNFParserDelegate::parserDidProduceSyntaxTree(CPParser *, const CPSyntaxTreePtr &syntaxTree)
{
    QVariantList &children = syntaxTree->children();
    switch (syntaxTree->rule()->tag()) {
    case 0: { // ruleset ::= <ruleset> <rule>
        QList<CPEBNFRule> rules = take<QList<CPEBNFRule>>(children, 0);
        rules.append(take<QList<CPEBNFRule>>(children, 1));
        return wrap(std::move(rules));
    }
    case 1: // ruleset ::= <rule>
    case 3: // rule ::= <unNumbered>
        return wrap(take<QList<CPEBNFRule>>(children, 0));
    case 2: { // rule ::= 'Number' <unNumbered>
        const CPTokenPtr number = tokenAt(children, 0);
        // The rule number is taken as a 32-bit value.
        const qint32 tag = number && number->isNumberToken()
            ? qint32(static_cast<const CPNumberToken &>(*number).integerValue())
            : 0;
        QList<CPEBNFRule> rules = take<QList<CPEBNFRule>>(children, 1);
        for (CPEBNFRule &rule : rules)
            rule.tag = quint64(qint64(tag));
        return wrap(std::move(rules));
    }
    case 4: { // unNumbered ::= 'Identifier' '::=' <rightHandSide> ';'
        const CPTokenPtr identifier = tokenAt(children, 0);
        const QString name = identifier && identifier->isIdentifierToken()
            ? static_cast<const CPIdentifierToken &>(*identifier).identifier()
            : QString();
        QList<CPEBNFRule> rules;
        const QList<QList<CPRHSElement>> alternatives = take<QList<QList<CPRHSElement>>>(children, 2);
        for (const QList<CPRHSElement> &alternative : alternatives)
            rules.append({name, alternative, 0});
        return wrap(std::move(rules));
    }
    case 5: { // rightHandSide ::= <rightHandSide> '|' <sumset>
        QList<QList<CPRHSElement>> alternatives = take<QList<QList<CPRHSElement>>>(children, 0);
        alternatives.append(take<QList<CPRHSElement>>(children, 2));
        return wrap(std::move(alternatives));
    }
    case 6: { // rightHandSide ::= <rightHandSide> '|'
        QList<QList<CPRHSElement>> alternatives = take<QList<QList<CPRHSElement>>>(children, 0);
        alternatives.append(QList<CPRHSElement>());
        return wrap(std::move(alternatives));
    }
    case 7: // rightHandSide ::= <sumset>
        return wrap(QList<QList<CPRHSElement>>{take<QList<CPRHSElement>>(children, 0)});
    case 8: { // sumset ::= <sumset> <taggedRightHandSideItem>
        QList<CPRHSElement> elements = take<QList<CPRHSElement>>(children, 0);
        elements.append(take<CPRHSElement>(children, 1));
        return wrap(std::move(elements));
    }
    case 9: // sumset ::= <taggedRightHandSideItem>
        return wrap(QList<CPRHSElement>{take<CPRHSElement>(children, 0)});
    case 10: // taggedRightHandSideItem ::= <rightHandSideItem>
    case 12: // rightHandSideItem ::= <unit>
    case 14: // unit ::= <grammarSymbol>
    case 19: // grammarSymbol ::= <nonterminal>
    case 20: // grammarSymbol ::= <terminal>
        return wrap(take<CPRHSElement>(children, 0));
    case 11: { // taggedRightHandSideItem ::= 'Identifier' '@' <rightHandSideItem>
        const CPTokenPtr identifier = tokenAt(children, 0);
        CPRHSElement element = take<CPRHSElement>(children, 2);
        CPRHSItemPtr item;
        if (const auto *symbol = std::get_if<CPGrammarSymbol>(&element)) {
            // A bare symbol is wrapped, and its match spliced into the parent.
            item = makeItem({{*symbol}}, *syntaxTree);
            item->shouldCollapse = true;
        } else if (const CPRHSItemPtr &inner = std::get<CPRHSItemPtr>(element)) {
            item = std::make_shared<CPRHSItem>(*inner);
        } else {
            item = makeItem({{}}, *syntaxTree);
        }
        if (identifier && identifier->isIdentifierToken())
            item->tag = static_cast<const CPIdentifierToken &>(*identifier).identifier();
        return wrap(CPRHSElement(item));
    }
    case 13: { // rightHandSideItem ::= <unit> <repeatSymbol>
        CPRHSItemPtr item = makeItem({{take<CPRHSElement>(children, 0)}}, *syntaxTree);
        const CPTokenPtr repeat = tokenAt(children, 1);
        const QString symbol = repeat ? repeat->name() : QString();
        item->repeats = symbol == QLatin1String("*") || symbol == QLatin1String("+");
        item->mayNotExist = symbol == QLatin1String("*") || symbol == QLatin1String("?");
        return wrap(CPRHSElement(item));
    }
    case 15: // unit ::= '(' <rightHandSide> ')'
        return wrap(CPRHSElement(makeItem(take<QList<QList<CPRHSElement>>>(children, 1), *syntaxTree)));
    case 16: // repeatSymbol ::= '*'
    case 17: // repeatSymbol ::= '+'
    case 18: // repeatSymbol ::= '?'
        return children.value(0);
    case 21: { // nonterminal ::= '<' 'Identifier' '>'
        const CPTokenPtr identifier = tokenAt(children, 1);
        const QString name = identifier && identifier->isIdentifierToken()
            ? static_cast<const CPIdentifierToken &>(*identifier).identifier()
            : QString();
        return wrap(CPRHSElement(CPGrammarSymbol::nonTerminalWithName(name)));
    }
    case 22: { // terminal ::= 'String'
        const CPTokenPtr string = tokenAt(children, 0);
        const QString name =
            string && string->isQuotedToken() ? static_cast<const CPQuotedToken &>(*string).content() : QString();
        return wrap(CPRHSElement(CPGrammarSymbol::terminalWithName(name)));
    }
    default:
        return CPValue::fromSyntaxTree(syntaxTree);
    }
}

std::optional<CPRecoveryAction> CPBNFParserDelegate::parserDidEncounterErrorOnInputExpecting(
    CPParser *, CPTokenStream *inputStream, const QSet<QString> &acceptableTokens)
{
    const CPTokenPtr token = inputStream->peekToken();
    if (!m_error.isValid()) {
        m_error = {QStringLiteral("CPEBNFParserErrorDomain"), CPGrammarError::SyntaxError,
                   QStringLiteral("Could not parse EBNF for grammar.  %1:%2: Found %3, Expected %4.")
                       .arg(token ? token->lineNumber() + 1 : 0)
                       .arg(token ? token->columnNumber() + 1 : 0)
                       .arg(token ? token->description() : QStringLiteral("nothing"),
                            CPValue::describeNames(acceptableTokens))};
    }
    return CPRecoveryAction::recoveryActionStop();
}

// CPGrammar: reading grammars written in EBNF.

#include "CPGrammar.h"

#include "CPBNFParserDelegate.h"
#include "CPIdentifierRecogniser.h"
#include "CPKeywordRecogniser.h"
#include "CPLALR1Parser.h"
#include "CPNumberRecogniser.h"
#include "CPParseResult.h"
#include "CPQuotedRecogniser.h"
#include "CPTokeniser.h"
#include "CPValue.h"
#include "CPWhiteSpaceRecogniser.h"
#include "GrammarLog.h"

#include "platform/foundation/Assert.h"

#include <vector>

namespace {

const QString &errorDomain()
{
    static const QString domain = QStringLiteral("CPEBNFParserErrorDomain");
    return domain;
}

CPGrammarSymbol nt(const char *name)
{
    return CPGrammarSymbol::nonTerminalWithName(QString::fromLatin1(name));
}

CPGrammarSymbol t(const char *name)
{
    return CPGrammarSymbol::terminalWithName(QString::fromLatin1(name));
}

// The grammar of grammar texts; each rule's tag selects its value in CPBNFParserDelegate.
CPGrammarPtr makeMetaGrammar()
{
    auto rule = [](quint64 tag, const char *name, QList<CPGrammarSymbol> rhs) {
        return CPRule::ruleWithName(QString::fromLatin1(name), rhs, tag);
    };
    const QList<CPRulePtr> rules{
        rule(0, "ruleset", {nt("ruleset"), nt("rule")}),
        rule(1, "ruleset", {nt("rule")}),
        rule(2, "rule", {t("Number"), nt("unNumbered")}),
        rule(3, "rule", {nt("unNumbered")}),
        rule(4, "unNumbered", {t("Identifier"), t("::="), nt("rightHandSide"), t(";")}),
        rule(5, "rightHandSide", {nt("rightHandSide"), t("|"), nt("sumset")}),
        rule(6, "rightHandSide", {nt("rightHandSide"), t("|")}),
        rule(7, "rightHandSide", {nt("sumset")}),
        rule(8, "sumset", {nt("sumset"), nt("taggedRightHandSideItem")}),
        rule(9, "sumset", {nt("taggedRightHandSideItem")}),
        rule(10, "taggedRightHandSideItem", {nt("rightHandSideItem")}),
        rule(11, "taggedRightHandSideItem", {t("Identifier"), t("@"), nt("rightHandSideItem")}),
        rule(12, "rightHandSideItem", {nt("unit")}),
        rule(13, "rightHandSideItem", {nt("unit"), nt("repeatSymbol")}),
        rule(14, "unit", {nt("grammarSymbol")}),
        rule(15, "unit", {t("("), nt("rightHandSide"), t(")")}),
        rule(16, "repeatSymbol", {t("*")}),
        rule(17, "repeatSymbol", {t("+")}),
        rule(18, "repeatSymbol", {t("?")}),
        rule(19, "grammarSymbol", {nt("nonterminal")}),
        rule(20, "grammarSymbol", {nt("terminal")}),
        rule(21, "nonterminal", {t("<"), t("Identifier"), t(">")}),
        rule(22, "terminal", {t("String")}),
    };
    return CPGrammar::grammarWithStart(QStringLiteral("ruleset"), rules);
}

// Built once; every read parses with a copy that shares these tables.
const CPLALR1Parser *metaParser()
{
    static const std::unique_ptr<CPLALR1Parser> parser = CPLALR1Parser::parserWithGrammar(makeMetaGrammar());
    return parser.get();
}

void configureTokeniser(CPTokeniser &tokeniser)
{
    for (const char *keyword : {"::=", "@", "<", ">", "(", ")", "*", "+", "?", "|", ";"})
        tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(keyword)));
    tokeniser.addTokenRecogniser(CPNumberRecogniser::integerRecogniser());
    tokeniser.addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote(
        QStringLiteral("\""), QStringLiteral("\""), QStringLiteral("\\"), QStringLiteral("String")));
    tokeniser.addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote(
        QStringLiteral("'"), QStringLiteral("'"), QStringLiteral("\\"), QStringLiteral("String")));
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniser());
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
}

CPGrammarError tagError(const QString &description)
{
    return {errorDomain(), CPGrammarError::TagError, description};
}

// Tags within one sequence (an alternative of a rule or of a group) must be
// distinct, nested ones included; repeated groups may hold no tags.
std::optional<CPGrammarError> checkItem(const CPRHSItem &item);

std::optional<CPGrammarError> checkSequence(const QList<CPRHSElement> &elements, const QString &context)
{
    QSet<QString> seen;
    for (const CPRHSElement &element : elements) {
        const auto *item = std::get_if<CPRHSItemPtr>(&element);
        if (!item || !*item)
            continue;
        const QSet<QString> nested = (*item)->nestedTags();
        QSet<QString> clash = nested;
        clash.intersect(seen);
        if (!clash.isEmpty())
            return tagError(QStringLiteral("Duplicate tag names %1 in same part of alternative is not allowed in "
                                           "\"%2\".")
                                .arg(CPValue::describeNames(clash), context));
        seen.unite(nested);
        if (!(*item)->tag.isNull()) {
            if (seen.contains((*item)->tag))
                return tagError(QStringLiteral("Duplicate tag names (%1) in same part of alternative is not "
                                               "allowed in \"%2\".")
                                    .arg((*item)->tag, context));
            seen.insert((*item)->tag);
        }
    }
    for (const CPRHSElement &element : elements) {
        const auto *item = std::get_if<CPRHSItemPtr>(&element);
        if (item && *item) {
            if (std::optional<CPGrammarError> error = checkItem(**item))
                return error;
        }
    }
    return std::nullopt;
}

std::optional<CPGrammarError> checkItem(const CPRHSItem &item)
{
    if (item.repeats && !item.nestedTags().isEmpty())
        return tagError(QStringLiteral("Tag names are not allowed within repeating section of rule \"%1\".")
                            .arg(item.description()));
    for (const QList<CPRHSElement> &alternative : item.alternatives) {
        if (std::optional<CPGrammarError> error = checkSequence(alternative, item.description()))
            return error;
    }
    return std::nullopt;
}

// The distinct items of the rules, nested ones included, in the order met.
class ItemCollector
{
public:
    void collect(const QList<CPRHSElement> &elements)
    {
        for (const CPRHSElement &element : elements) {
            const auto *item = std::get_if<CPRHSItemPtr>(&element);
            if (!item || !*item)
                continue;
            if (indexOf(**item) < 0) {
                m_byHash.insert((*item)->hash(), int(m_items.size()));
                m_items.push_back(*item);
            }
            for (const QList<CPRHSElement> &alternative : (*item)->alternatives)
                collect(alternative);
        }
    }

    int indexOf(const CPRHSItem &item) const
    {
        for (auto it = m_byHash.constFind(item.hash()); it != m_byHash.cend() && it.key() == item.hash(); ++it) {
            if (m_items[size_t(*it)]->isEqual(item))
                return *it;
        }
        return -1;
    }

    const std::vector<CPRHSItemPtr> &items() const { return m_items; }

private:
    std::vector<CPRHSItemPtr> m_items;
    QMultiHash<size_t, int> m_byHash;
};

void collectSymbolNames(const QList<CPRHSElement> &elements, QSet<QString> &names)
{
    for (const CPRHSElement &element : elements) {
        if (const auto *symbol = std::get_if<CPGrammarSymbol>(&element))
            names.insert(symbol->name());
        else if (const CPRHSItemPtr &item = std::get<CPRHSItemPtr>(element)) {
            for (const QList<CPRHSElement> &alternative : item->alternatives)
                collectSymbolNames(alternative, names);
        }
    }
}

} // namespace

CPGrammarPtr CPGrammar::grammarWithStart(const QString &start, const QString &backusNaurForm,
                                         CPGrammarError *error)
{
    auto fail = [error](const CPGrammarError &failure) -> CPGrammarPtr {
        if (error)
            *error = failure;
        return nullptr;
    };

    const CPLALR1Parser *prototype = metaParser();
    QM_ASSERT(prototype, return fail({errorDomain(), CPGrammarError::SyntaxError,
                                      QStringLiteral("Could not build the EBNF reader.")}));

    // 1. Tokenise and parse with the meta-grammar.
    CPBNFParserDelegate delegate;
    CPTokeniser tokeniser;
    configureTokeniser(tokeniser);
    tokeniser.setDelegate(&delegate);
    const std::unique_ptr<CPTokenStream> stream = tokeniser.tokenise(backusNaurForm);
    CPLALR1Parser parser(*prototype);
    parser.setDelegate(&delegate);
    QVariant parsed = parser.parse(*stream);

    // 2. Syntax errors.
    if (delegate.error().isValid())
        return fail(delegate.error());
    if (parsed.metaType() != QMetaType::fromType<QList<CPEBNFRule>>())
        return fail({errorDomain(), CPGrammarError::SyntaxError, QStringLiteral("Could not parse EBNF for grammar.")});
    const QList<CPEBNFRule> written = parsed.value<QList<CPEBNFRule>>();

    // 3. Tags.
    for (const CPEBNFRule &rule : written) {
        if (std::optional<CPGrammarError> tagFailure = checkSequence(rule.elements, rule.description()))
            return fail(*tagFailure);
    }

    // 4. The distinct constructs, and 5. a free name for each.
    ItemCollector collector;
    QSet<QString> names;
    for (const CPEBNFRule &rule : written) {
        collector.collect(rule.elements);
        names.insert(rule.name);
        collectSymbolNames(rule.elements, names);
    }
    const std::vector<CPRHSItemPtr> &items = collector.items();
    QStringList generatedNames;
    for (size_t i = 0; i < items.size(); ++i)
        generatedNames.append(symbolNameNotInSet(names, QStringLiteral("RHS%1").arg(i)));

    // 6. Rewrite: every construct becomes the nonterminal of its generated name.
    auto plain = [&](const QList<CPRHSElement> &elements) {
        QList<CPGrammarSymbol> symbols;
        symbols.reserve(elements.size());
        for (const CPRHSElement &element : elements) {
            if (const auto *symbol = std::get_if<CPGrammarSymbol>(&element)) {
                symbols.append(*symbol);
            } else if (const CPRHSItemPtr &item = std::get<CPRHSItemPtr>(element)) {
                const int index = collector.indexOf(*item);
                symbols.append(CPGrammarSymbol::nonTerminalWithName(generatedNames.at(index)));
            }
        }
        return symbols;
    };
    QList<CPRulePtr> rules;
    for (const CPEBNFRule &rule : written)
        rules.append(std::make_shared<CPRule>(rule.name, plain(rule.elements), rule.tag,
                                              CPParseResult::typeNamed(rule.name)));
    const CPParseResult *resultType = CPParseResult::rhsItemResultType();
    for (size_t i = 0; i < items.size(); ++i) {
        const CPRHSItem &item = *items[i];
        const QString &name = generatedNames.at(qsizetype(i));
        const CPGrammarSymbol self = CPGrammarSymbol::nonTerminalWithName(name);
        auto generate = [&](QList<CPGrammarSymbol> rhs, quint64 tag) {
            auto rule = std::make_shared<CPRule>(name, std::move(rhs), tag, resultType);
            rule->setShouldCollapse(item.shouldCollapse);
            rule->setTagName(item.tag);
            rules.append(rule);
        };
        if (item.alternatives.size() != 1) {
            quint64 tag = 3;
            for (const QList<CPRHSElement> &alternative : item.alternatives)
                generate(plain(alternative), tag++);
            continue;
        }
        const QList<CPGrammarSymbol> alternative = plain(item.alternatives.first());
        if (item.repeats) {
            if (item.mayNotExist)
                generate({}, 0);
            else
                generate(alternative, 1);
            generate(alternative + QList<CPGrammarSymbol>{self}, 2);
        } else if (item.mayNotExist) {
            generate({}, 0);
            generate(alternative, 1);
        } else {
            generate(alternative, 1);
        }
    }

    // 7. The grammar.
    return grammarWithStart(start, rules);
}

CPGrammarPtr CPGrammar::grammarWithStart(const QString &start, const QString &backusNaurForm)
{
    CPGrammarError error;
    CPGrammarPtr grammar = grammarWithStart(start, backusNaurForm, &error);
    if (!grammar)
        qCWarning(lcGrammar, "=== Core Parse Error ===\n%s", qPrintable(error.description));
    return grammar;
}

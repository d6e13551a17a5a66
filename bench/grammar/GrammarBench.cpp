// Builds LALR(1) tables for a grammar of a small programming language read
// from EBNF, and parses a long program with them.
//
//   grammar_bench                  timings of reading, table construction,
//                                  tokenising and parsing
//   grammar_bench --construct-only reads the grammar and builds the tables once
//   grammar_bench --emit-bison     prints the same grammar, rules as generated,
//                                  as a bison input file
//   --repeat N                     the input is the sample program N times (default 400)

#include "grammar/CPGrammar.h"
#include "grammar/CPIdentifierRecogniser.h"
#include "grammar/CPKeywordRecogniser.h"
#include "grammar/CPLALR1Parser.h"
#include "grammar/CPNumberRecogniser.h"
#include "grammar/CPQuotedRecogniser.h"
#include "grammar/CPTokeniser.h"
#include "grammar/CPTokeniserDelegate.h"
#include "grammar/CPValue.h"
#include "grammar/CPWhiteSpaceRecogniser.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QString readText(const QString &name)
{
    QFile file(QStringLiteral(QUILLMARK_BENCH_DATA) + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    return QString::fromUtf8(file.readAll());
}

// Drops white space and comments.
class Filter final : public CPTokeniserDelegate
{
public:
    bool tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &) override { return true; }
    void tokeniserRequestsToken(CPTokeniser *, const CPTokenPtr &token, CPTokenStream *stream) override
    {
        if (!token->isWhiteSpaceToken() && token->name() != QLatin1String("Comment"))
            stream->pushToken(token);
    }
};

// Answers nothing for every reduction, as a delegate that builds no tree.
class Discard final : public CPParserDelegate
{
public:
    QVariant parserDidProduceSyntaxTree(CPParser *, const CPSyntaxTreePtr &) override { return {}; }
};

void configure(CPTokeniser &tokeniser)
{
    tokeniser.addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote(
        QStringLiteral("/*"), QStringLiteral("*/"), QStringLiteral("Comment")));
    tokeniser.addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote(
        QStringLiteral("//"), QStringLiteral("\n"), QStringLiteral("Comment")));
    // Longer punctuation before its prefixes.
    for (const char *keyword : {"...", "..", "**", "?.", "!!", "=>", "==", "!=", "<=", ">=", "->", "+=", "-=",
                                "*=", "/=", "%=", "&&", "||", "#{", "{", "}", "(", ")", "[", "]", ";", ",", ":",
                                ".", "=", "<", ">", "+", "-", "*", "/", "%", "!", "~", "?", "|", "&", "^"})
        tokeniser.addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(keyword)));
    const CPCharacterSet identifierCharacters(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_"));
    for (const char *word :
         {"import", "from", "as", "module", "pub", "internal", "private", "fn", "async", "inline", "static", "struct",
          "enum", "interface", "extends", "impl", "for", "const", "type", "let", "var", "if", "else", "while", "do",
          "in", "switch", "case", "default", "return", "break", "continue", "throw", "try", "catch", "finally",
          "defer", "await", "is", "self", "super", "true", "false", "nil", "new", "match", "_"})
        tokeniser.addTokenRecogniser(
            CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(word), identifierCharacters));
    tokeniser.addTokenRecogniser(CPIdentifierRecogniser::identifierRecogniserWithInitialCharacters(
        CPCharacterSet(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_")), identifierCharacters));
    tokeniser.addTokenRecogniser(CPNumberRecogniser::numberRecogniser());
    tokeniser.addTokenRecogniser(CPQuotedRecogniser::quotedRecogniserWithStartQuote(
        QStringLiteral("\""), QStringLiteral("\""), QStringLiteral("\\"), QStringLiteral("String")));
    tokeniser.addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double millisecondsOf(const std::function<void()> &work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int emitBison(const CPGrammar &grammar)
{
    QTextStream out(stdout);
    QStringList terminals;
    for (const CPRulePtr &rule : grammar.rules()) {
        for (const CPGrammarSymbol &symbol : rule->rightHandSideElements()) {
            if (symbol.isTerminal() && !terminals.contains(symbol.name()))
                terminals.append(symbol.name());
        }
    }
    out << "/* The benchmark grammar, rules as the EBNF reader generates them. */\n";
    for (qsizetype i = 0; i < terminals.size(); ++i)
        out << "%token T" << i << " \"" << terminals.at(i) << "\"\n";
    out << "%start " << grammar.start() << "\n%%\n";
    for (const QString &name : grammar.allNonTerminalNames()) {
        out << name << ":";
        const QList<CPRulePtr> rules = grammar.rulesForNonTerminalWithName(name);
        for (qsizetype r = 0; r < rules.size(); ++r) {
            out << (r == 0 ? " " : "\n  | ");
            const QList<CPGrammarSymbol> &elements = rules.at(r)->rightHandSideElements();
            if (elements.isEmpty())
                out << "%empty";
            for (const CPGrammarSymbol &symbol : elements) {
                if (symbol.isTerminal())
                    out << "T" << terminals.indexOf(symbol.name()) << " ";
                else
                    out << symbol.name() << " ";
            }
        }
        out << "\n  ;\n";
    }
    out << "%%\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    bool constructOnly = false;
    bool bison = false;
    int repeat = 400;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--construct-only"))
            constructOnly = true;
        else if (!std::strcmp(argv[i], "--emit-bison"))
            bison = true;
        else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
    }

    const QString ebnf = readText(QStringLiteral("lang.ebnf"));
    CPGrammarError error;
    CPGrammarPtr grammar = CPGrammar::grammarWithStart(QStringLiteral("Program"), ebnf, &error);
    if (!grammar) {
        std::fprintf(stderr, "grammar error %d: %s\n", error.code, qPrintable(error.description));
        return 1;
    }
    if (bison)
        return emitBison(*grammar);
    std::unique_ptr<CPLALR1Parser> parser = CPLALR1Parser::parserWithGrammar(grammar);
    if (!parser) {
        std::fprintf(stderr, "the grammar is not LALR(1)\n");
        return 1;
    }
    if (constructOnly)
        return 0;

    std::vector<double> reading;
    std::vector<double> construction;
    for (int i = 0; i < 21; ++i) {
        CPGrammarPtr read;
        reading.push_back(millisecondsOf([&] { read = CPGrammar::grammarWithStart(QStringLiteral("Program"), ebnf); }));
        construction.push_back(millisecondsOf([&] { CPLALR1Parser::parserWithGrammar(read); }));
    }
    std::printf("grammar: %lld EBNF rules, %lld plain rules, %lld states, %lld terminals\n",
                static_cast<long long>(ebnf.count(QStringLiteral("::="))),
                static_cast<long long>(grammar->rules().size()),
                static_cast<long long>(parser->actionTable().capacity()),
                static_cast<long long>(parser->actionTable().columnNames().size()));
    std::printf("read EBNF (median of 21): %.3f ms\n", median(reading));
    std::printf("LALR(1) construction (median of 21): %.3f ms\n", median(construction));

    const QString program = readText(QStringLiteral("sample.lang")).repeated(repeat);
    CPTokeniser tokeniser;
    configure(tokeniser);
    Filter filter;
    tokeniser.setDelegate(&filter);
    Discard discard;

    std::vector<double> tokenising;
    std::vector<double> treeParsing;
    std::vector<double> plainParsing;
    qsizetype tokens = 0;
    for (int i = 0; i < 5; ++i) {
        std::unique_ptr<CPTokenStream> stream;
        tokenising.push_back(millisecondsOf([&] { stream = tokeniser.tokenise(program); }));
        tokens = stream->tokens().size();
        const QList<CPTokenPtr> all = stream->tokens();

        CPTokenStream forTrees(all);
        forTrees.closeTokenStream();
        parser->setDelegate(nullptr);
        QVariant tree;
        treeParsing.push_back(millisecondsOf([&] { tree = parser->parse(forTrees); }));
        if (!tree.isValid()) {
            std::fprintf(stderr, "the sample program did not parse\n");
            return 1;
        }
        CPValue::dispose(std::move(tree));

        CPTokenStream plain(all);
        plain.closeTokenStream();
        parser->setDelegate(&discard);
        plainParsing.push_back(millisecondsOf([&] { parser->parse(plain); }));
    }
    const double tokenise = median(tokenising);
    const double trees = median(treeParsing);
    const double plain = median(plainParsing);
    std::printf("input: %lld characters, %lld tokens\n", static_cast<long long>(program.size()),
                static_cast<long long>(tokens));
    std::printf("tokenising (median of 5): %.1f ms, %.2f M tokens/s\n", tokenise, tokens / tokenise / 1000.0);
    std::printf("parsing into syntax trees (median of 5): %.1f ms, %.2f M tokens/s\n", trees,
                tokens / trees / 1000.0);
    std::printf("parsing with a delegate that keeps nothing (median of 5): %.1f ms, %.2f M tokens/s\n", plain,
                tokens / plain / 1000.0);
    return 0;
}

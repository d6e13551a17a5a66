#include "CPJSONParser.h"

#include "CPKeywordRecogniser.h"
#include "CPNumberRecogniser.h"
#include "CPQuotedRecogniser.h"
#include "CPSLRParser.h"
#include "CPValue.h"
#include "CPWhiteSpaceRecogniser.h"
#include "GrammarLog.h"

#include "platform/foundation/Assert.h"

namespace {

// Built once; each JSON parser parses with a copy sharing the tables.
const CPSLRParser *jsonPrototype()
{
    static const std::unique_ptr<CPSLRParser> parser = [] {
        CPGrammarPtr grammar = CPGrammar::grammarWithStart(QStringLiteral("value"), CPJSONParser::grammarText());
        return grammar ? CPSLRParser::parserWithGrammar(grammar) : nullptr;
    }();
    return parser.get();
}

// "\b", "\f", "\n", "\r" and "\t"; any other escaped character stays as it is.
std::optional<QString> replaceEscape(const QString &input, qsizetype *position)
{
    if (*position >= input.size())
        return std::nullopt;
    QChar replacement;
    switch (input.at(*position).unicode()) {
    case 'b':
        replacement = QChar(0x08);
        break;
    case 'f':
        replacement = QChar(0x0c);
        break;
    case 'n':
        replacement = QLatin1Char('\n');
        break;
    case 'r':
        replacement = QLatin1Char('\r');
        break;
    case 't':
        replacement = QLatin1Char('\t');
        break;
    default:
        return std::nullopt;
    }
    ++*position;
    return QString(replacement);
}

QString contentOf(const QVariant &value)
{
    const CPTokenPtr token = CPValue::token(value);
    return token && token->isQuotedToken() ? static_cast<const CPQuotedToken &>(*token).content() : QString();
}

} // namespace

QString CPJSONParser::grammarText()
{
    return QStringLiteral(
        "0  value    ::= 'String';1  value    ::= 'Number';2  value    ::= <object>;3  value    ::= <array>;"
        "4  value    ::= <boolean>;5  value    ::= 'null';6  object   ::= '{' '}';"
        "7  object   ::= '{' <members> '}';8  members  ::= <pair>;9  members  ::= <pair> ',' <members>;"
        "10 pair     ::= 'String' ':' <value>;11 array    ::= '[' ']';12 array    ::= '[' <elements> ']';"
        "13 elements ::= <value>;14 elements ::= <value> ',' <elements>;15 boolean  ::= 'true';"
        "16 boolean  ::= 'false';");
}

CPJSONParser::CPJSONParser() : m_tokeniser(std::make_unique<CPTokeniser>())
{
    for (const char *keyword : {"{", "}", "[", "]", ":", ",", "true", "false", "null"})
        m_tokeniser->addTokenRecogniser(CPKeywordRecogniser::recogniserForKeyword(QString::fromLatin1(keyword)));
    m_tokeniser->addTokenRecogniser(CPNumberRecogniser::numberRecogniser());
    auto strings = CPQuotedRecogniser::quotedRecogniserWithStartQuote(QStringLiteral("\""), QStringLiteral("\""),
                                                                      QStringLiteral("\\"), QStringLiteral("String"));
    strings->setEscapeReplacer(replaceEscape);
    m_tokeniser->addTokenRecogniser(strings);
    m_tokeniser->addTokenRecogniser(CPWhiteSpaceRecogniser::whiteSpaceRecogniser());
    m_tokeniser->setDelegate(this);

    const CPSLRParser *prototype = jsonPrototype();
    QM_ASSERT(prototype, return);
    m_parser = std::make_unique<CPSLRParser>(*prototype);
    m_parser->setDelegate(this);
}

CPJSONParser::~CPJSONParser() = default;

QVariant CPJSONParser::parse(const QString &json)
{
    QM_ASSERT(m_parser, return {});
    const std::unique_ptr<CPTokenStream> stream = m_tokeniser->tokenise(json);

    int depth = 0;
    for (const CPTokenPtr &token : stream->tokens()) {
        if (!token->isKeywordToken())
            continue;
        const QString &keyword = static_cast<const CPKeywordToken &>(*token).keyword();
        if (keyword == QLatin1String("[") || keyword == QLatin1String("{")) {
            if (++depth > MaximumNesting) {
                qCWarning(lcGrammar, "%lld:%lld: JSON nested more than %d levels deep",
                          static_cast<long long>(token->lineNumber() + 1),
                          static_cast<long long>(token->columnNumber() + 1), MaximumNesting);
                return {};
            }
        } else if (keyword == QLatin1String("]") || keyword == QLatin1String("}")) {
            --depth;
        }
    }
    return m_parser->parse(*stream);
}

bool CPJSONParser::tokeniserShouldConsumeToken(CPTokeniser *, const CPTokenPtr &)
{
    return true;
}

QList<CPTokenPtr> CPJSONParser::tokeniserWillProduceToken(CPTokeniser *, const CPTokenPtr &token)
{
    if (token->isWhiteSpaceToken())
        return {};
    return {token};
}

QVariant CPJSONParser::parserDidProduceSyntaxTree(CPParser *, const CPSyntaxTreePtr &syntaxTree)
{
    QVariantList &children = syntaxTree->children();
    switch (syntaxTree->rule()->tag()) {
    case 0:
        return contentOf(children.value(0));
    case 1: {
        const CPTokenPtr token = CPValue::token(children.value(0));
        return token && token->isNumberToken() ? QVariant(static_cast<const CPNumberToken &>(*token).doubleValue())
                                               : QVariant();
    }
    case 2:
    case 3:
    case 4:
        return std::move(children[0]);
    case 5:
        return QVariant::fromValue(nullptr);
    case 6:
        return QVariantMap();
    case 7:
    case 12:
        return std::move(children[1]);
    case 8: {
        QVariantMap pair = CPValue::takeMap(children[0]);
        QVariantMap members;
        members.insert(pair.value(QStringLiteral("k")).toString(), pair.value(QStringLiteral("v")));
        return members;
    }
    case 9: {
        // Members are built from the right: storing the earlier pair last
        // makes the first occurrence of a key win.
        QVariantMap members = CPValue::takeMap(children[2]);
        QVariantMap pair = CPValue::takeMap(children[0]);
        members.insert(pair.value(QStringLiteral("k")).toString(), pair.value(QStringLiteral("v")));
        return members;
    }
    case 10:
        return QVariantMap{{QStringLiteral("k"), contentOf(children.value(0))},
                           {QStringLiteral("v"), std::move(children[2])}};
    case 11:
        return QVariantList();
    case 13:
        return QVariantList{std::move(children[0])};
    case 14: {
        QVariantList elements = CPValue::takeList(children[2]);
        elements.prepend(std::move(children[0]));
        return elements;
    }
    case 15:
        return true;
    case 16:
        return false;
    default:
        return CPValue::fromSyntaxTree(syntaxTree);
    }
}

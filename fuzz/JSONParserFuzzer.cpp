// Feeds a built JSON parser. The first byte picks the mode:
//   even: the rest is JSON text for CPJSONParser::parse;
//   odd:  the rest is a token sequence fed straight to the parser, with a
//         delegate whose answers to parse errors (insert, delete, stop or
//         none) are also taken from the input.
// Every run must end in a value or a clean failure.

#include "grammar/CPJSONParser.h"
#include "grammar/CPTokenStream.h"

#include "platform/foundation/Assert.h"

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

namespace {

CPTokenPtr tokenFor(uint8_t byte)
{
    static const char *const keywords[] = {"{", "}", "[", "]", ":", ",", "true", "false", "null"};
    const int kind = byte % 14;
    if (kind < 9)
        return CPToken::tokenWithKeyword(QString::fromLatin1(keywords[kind]));
    switch (kind) {
    case 9:
        return CPToken::tokenWithNumber(double(byte));
    case 10:
        return CPToken::content(QString::number(byte), QStringLiteral("\""), QStringLiteral("String"));
    case 11:
        return CPToken::errorWithMessage(QStringLiteral("fuzz"));
    case 12:
        return CPToken::eof();
    default:
        // A keyword that merely carries a terminal's name.
        return CPToken::tokenWithKeyword(byte & 16 ? QStringLiteral("String") : QStringLiteral("Number"));
    }
}

// Maps reductions as the JSON parser does and recovers as the script says.
class ScriptedRecovery final : public CPParserDelegate
{
public:
    ScriptedRecovery(CPJSONParser &json, const uint8_t *script, size_t size)
        : m_json(json), m_script(script), m_size(size)
    {
    }

    QVariant parserDidProduceSyntaxTree(CPParser *parser, const CPSyntaxTreePtr &tree) override
    {
        return m_json.parserDidProduceSyntaxTree(parser, tree);
    }

    std::optional<CPRecoveryAction> parserDidEncounterErrorOnInputExpecting(CPParser *, CPTokenStream *,
                                                                            const QSet<QString> &) override
    {
        const uint8_t choice = m_next < m_size ? m_script[m_next++] : 3;
        switch (choice % 4) {
        case 0:
            // Insertions are bounded so that a run always ends.
            if (++m_insertions > 64)
                return CPRecoveryAction::recoveryActionStop();
            return CPRecoveryAction::recoveryActionWithAdditionalToken(tokenFor(choice / 4));
        case 1:
            return CPRecoveryAction::recoveryActionDeletingCurrentToken();
        case 2:
            return CPRecoveryAction::recoveryActionStop();
        default:
            return std::nullopt;
        }
    }

private:
    CPJSONParser &m_json;
    const uint8_t *m_script;
    size_t m_size;
    size_t m_next = 0;
    int m_insertions = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.grammar.warning=false"));
    Assert::setFatal(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static CPJSONParser json;
    if (size == 0)
        return 0;
    if (data[0] % 2 == 0) {
        json.parse(QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));
        return 0;
    }
    // Half the rest are tokens, the other half the recovery script.
    const size_t tokens = (size - 1) / 2;
    QList<CPTokenPtr> list;
    for (size_t i = 0; i < tokens; ++i)
        list.append(tokenFor(data[1 + i]));
    CPTokenStream stream(list);
    stream.closeTokenStream();
    ScriptedRecovery recovery(json, data + 1 + tokens, size - 1 - tokens);
    CPParser *parser = json.jsonParser();
    parser->setDelegate(&recovery);
    parser->parse(stream);
    parser->setDelegate(&json);
    return 0;
}

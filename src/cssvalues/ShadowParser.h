#pragma once

#include "DropShadowValue.h"

#include "grammar/CPGrammar.h"
#include "grammar/CPParser.h"
#include "grammar/CPTokeniser.h"
#include "grammar/CPTokeniserDelegate.h"

#include <QHash>
#include <QStringList>

#include <memory>
#include <optional>

// The common ground of TextShadowParser and BoxShadowParser: a tokeniser, a
// grammar read from a resource file and an LALR(1) parser, all built on the
// first parse and kept; and the tree delegate that turns each reduced rule
// into a colour, a length or a shadow layer. A subclass names its grammar
// file, its keywords and its layer forms.
//
// Every text yields a list of layers or nothing; texts that do not fit the
// grammar are logged by the engine. Main thread only.
class ShadowParser : public CPTokeniserDelegate, public CPParserDelegate
{
public:
    ~ShadowParser() override;
    ShadowParser(const ShadowParser &) = delete;
    ShadowParser &operator=(const ShadowParser &) = delete;

    // The layers in text order ("none" gives an empty list), or nothing when
    // the text does not fit the grammar or the grammar could not be read. Each
    // call answers a list of new layers.
    std::optional<DropShadowList> parse(const QString &text);

    // Null until the first parse.
    CPTokeniser *tokeniser() const { return m_tokeniser.get(); }
    const CPGrammarPtr &grammar() const { return m_grammar; }
    CPParser *parser() const { return m_parser.get(); }

    bool tokeniserShouldConsumeToken(CPTokeniser *tokeniser, const CPTokenPtr &token) override;
    QVariant parserDidProduceSyntaxTree(CPParser *parser, const CPSyntaxTreePtr &syntaxTree) override;

    // Where a layer form keeps its parts: child indexes, -1 for a part the
    // form does not have.
    struct ShadowForm
    {
        int color = -1;
        int x = -1;
        int y = -1;
        int blur = -1;
        int spread = -1;
        bool inset = false;
    };

protected:
    // The keywords tried after "#", ",", "(" and ")", each refused when a
    // letter, digit, "-" or "_" follows it.
    ShadowParser(QString grammarPath, QStringList keywords, QHash<QString, ShadowForm> forms);

    // Handlers of the rules only one kind of shadow has; nothing when the
    // rule is not one of them.
    virtual std::optional<QVariant> produceValue(const QString &ruleName, QVariantList &children);

    // Marks the current text as unusable; parse() then answers nothing.
    void reject(const QString &reason);
    static DropShadowValuePtr shadowOf(const QVariant &value);
    static QVariant fromShadow(const DropShadowValuePtr &shadow);

private:
    void setUp();
    QVariant namedColor(const QVariant &child);
    QVariant hexColor(const QVariant &child);
    QVariant rgbColor(const QVariantList &children, int channels);
    QVariant length(const QVariantList &children);
    QVariant shadow(const QVariantList &children, const ShadowForm &form);
    QVariant shadowGroup(const CPSyntaxTree &tree);

    QString m_grammarPath;
    QStringList m_keywords;
    QHash<QString, ShadowForm> m_forms;
    std::unique_ptr<CPTokeniser> m_tokeniser;
    CPGrammarPtr m_grammar;
    std::unique_ptr<CPParser> m_parser;
    DropShadowList m_shadows;
    QString m_rejection;
};

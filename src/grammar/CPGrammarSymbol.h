#pragma once

#include <QHash>
#include <QString>
#include <QVariantMap>

// A symbol of a grammar: a terminal matches the tokens whose name equals its
// name; a nonterminal names rules. The default symbol is the nonterminal "".
class CPGrammarSymbol
{
public:
    CPGrammarSymbol() = default;
    CPGrammarSymbol(QString name, bool terminal) : m_terminal(terminal), m_name(std::move(name)) {}

    static CPGrammarSymbol nonTerminalWithName(const QString &name) { return {name, false}; }
    static CPGrammarSymbol terminalWithName(const QString &name) { return {name, true}; }

    bool isTerminal() const { return m_terminal; }
    void setTerminal(bool terminal) { m_terminal = terminal; }
    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // A terminal prints as its name in double quotes, a nonterminal as "<name>".
    QString description() const;
    bool isEqualToGrammarSymbol(const CPGrammarSymbol &other) const { return *this == other; }
    bool operator==(const CPGrammarSymbol &other) const
    {
        return m_terminal == other.m_terminal && m_name == other.m_name;
    }
    bool operator!=(const CPGrammarSymbol &other) const { return !(*this == other); }

    QVariantMap archive() const;
    static CPGrammarSymbol fromArchive(const QVariantMap &archive);

private:
    bool m_terminal = false;
    QString m_name;
};

inline size_t qHash(const CPGrammarSymbol &symbol, size_t seed = 0)
{
    return qHash(symbol.name(), seed);
}

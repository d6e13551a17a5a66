#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class CPSyntaxTree;
using CPSyntaxTreePtr = std::shared_ptr<CPSyntaxTree>;

// A result type: a named way of turning every match of a rule into an object
// of its own. The EBNF reader gives a rule the registered type whose name
// equals the rule's name. The engine registers "CPRHSItemResult"; types are
// never unregistered, so the pointers handed out stay valid.
class CPParseResult
{
public:
    // Answers the object made from the tree, or an invalid QVariant for none.
    using Factory = std::function<QVariant(const CPSyntaxTreePtr &syntaxTree)>;

    CPParseResult(QString name, Factory factory) : m_name(std::move(name)), m_factory(std::move(factory)) {}

    const QString &name() const { return m_name; }
    QVariant initWithSyntaxTree(const CPSyntaxTreePtr &syntaxTree) const { return m_factory(syntaxTree); }

    // Registers a type under a name (a later registration of a name wins).
    static const CPParseResult *registerType(const QString &name, Factory factory);
    // The registered type of that name, or null.
    static const CPParseResult *typeNamed(const QString &name);
    // The engine's own type of the rules generated from EBNF constructs.
    static const CPParseResult *rhsItemResultType();

private:
    QString m_name;
    Factory m_factory;
};

#pragma once

#include "CPRule.h"

#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

// What a reduction builds: the reduced rule, the values of its right-hand
// side in order (tokens, trees, delegate objects, arrays of EBNF matches) and
// the values recorded under tag names. Destruction walks nested trees with an
// explicit stack, so trees of any depth can be dropped.
class CPSyntaxTree
{
public:
    CPSyntaxTree() = default;
    CPSyntaxTree(CPRulePtr rule, QVariantList children, QVariantMap tagValues = {});
    ~CPSyntaxTree();
    CPSyntaxTree(const CPSyntaxTree &) = delete;
    CPSyntaxTree &operator=(const CPSyntaxTree &) = delete;

    static std::shared_ptr<CPSyntaxTree> syntaxTreeWithRule(const CPRulePtr &rule, const QVariantList &children,
                                                            const QVariantMap &tagValues = {});

    const CPRulePtr &rule() const { return m_rule; }
    const QVariantList &children() const { return m_children; }
    // Delegates may move values out of the children they are given.
    QVariantList &children() { return m_children; }
    const QVariantMap &tagValues() const { return m_tagValues; }
    QVariantMap &tagValues() { return m_tagValues; }

    // Invalid when the tag is absent.
    QVariant valueForTag(const QString &tag) const { return m_tagValues.value(tag); }
    QVariant childAtIndex(qsizetype index) const;

    // The very same rule object and equal children.
    bool isEqual(const CPSyntaxTree &other) const;
    size_t hash() const;
    // "(" then each child's description and a blank, the last blank replaced by ")".
    QString description() const;

private:
    CPRulePtr m_rule;
    QVariantList m_children;
    QVariantMap m_tagValues;
};

using CPSyntaxTreePtr = std::shared_ptr<CPSyntaxTree>;
Q_DECLARE_METATYPE(CPSyntaxTreePtr)

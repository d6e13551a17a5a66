#pragma once

#include "CPGrammarSymbol.h"

#include <QList>
#include <QString>

#include <memory>

class CPParseResult;

// One plain BNF rule: a nonterminal name and its right-hand side. Rules are
// compared by identity wherever the tables refer to them, so a rule object is
// shared, not copied. The tag is the rule's number that value-parser
// delegates switch on; the collapse flag and tag name are set only on rules
// the EBNF reader generates.
class CPRule
{
public:
    CPRule() = default;
    CPRule(QString name, QList<CPGrammarSymbol> rightHandSide, quint64 tag = 0,
           const CPParseResult *representitiveClass = nullptr);

    static std::shared_ptr<CPRule> ruleWithName(const QString &name, const QList<CPGrammarSymbol> &rightHandSide,
                                                quint64 tag = 0);
    static std::shared_ptr<CPRule> ruleWithNameRightHandSideElementsRepresentitiveClass(
        const QString &name, const QList<CPGrammarSymbol> &rightHandSide, const CPParseResult *representitiveClass);

    const QList<CPGrammarSymbol> &rightHandSideElements() const { return m_rightHandSide; }
    void setRightHandSideElements(const QList<CPGrammarSymbol> &elements) { m_rightHandSide = elements; }
    bool shouldCollapse() const { return m_shouldCollapse; }
    void setShouldCollapse(bool collapse) { m_shouldCollapse = collapse; }
    // Null when the rule records no tag.
    const QString &tagName() const { return m_tagName; }
    void setTagName(const QString &tagName) { m_tagName = tagName; }
    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    quint64 tag() const { return m_tag; }
    void setTag(quint64 tag) { m_tag = tag; }
    // Not owned; registered types live for the whole run.
    const CPParseResult *representitiveClass() const { return m_representitiveClass; }
    void setRepresentitiveClass(const CPParseResult *type) { m_representitiveClass = type; }

    // Same tag, name and right-hand side, and the same tag name when this rule has one.
    bool isEqual(const CPRule &other) const;
    size_t hash() const;
    // "name ::= elements".
    QString description() const;

    // Keys "t", "n", "r", "c" (the result type's name), "tn" (tag name) and
    // "sc" (collapse flag).
    QVariantMap archive() const;
    static std::shared_ptr<CPRule> fromArchive(const QVariantMap &archive);

private:
    QList<CPGrammarSymbol> m_rightHandSide;
    bool m_shouldCollapse = false;
    QString m_tagName;
    QString m_name;
    quint64 m_tag = 0;
    const CPParseResult *m_representitiveClass = nullptr;
};

using CPRulePtr = std::shared_ptr<CPRule>;

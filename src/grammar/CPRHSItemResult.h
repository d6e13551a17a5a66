#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

class CPSyntaxTree;

// The value of a match of a rule generated from an EBNF construct (a group,
// "?", "*", "+" or a tagged symbol). The parent's reduction takes it apart:
// its contents are spliced in when it collapses, else given as one array.
class CPRHSItemResult
{
public:
    CPRHSItemResult() = default;
    ~CPRHSItemResult();
    CPRHSItemResult(const CPRHSItemResult &) = delete;
    CPRHSItemResult &operator=(const CPRHSItemResult &) = delete;

    // Tag 0 (empty alternative): no contents; tag 2 (the repeated rule): the
    // tail's contents, the last child, with the other children put in front;
    // any other tag: the children. Tag name and collapse flag come from the rule.
    static std::shared_ptr<CPRHSItemResult> initWithSyntaxTree(const CPSyntaxTree &syntaxTree);

    bool shouldCollapse = false;
    QVariantList contents;
    QString tagName;
    QVariantMap tagValues;
};

using CPRHSItemResultPtr = std::shared_ptr<CPRHSItemResult>;
Q_DECLARE_METATYPE(CPRHSItemResultPtr)

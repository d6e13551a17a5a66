#pragma once

#include "CPRHSItemResult.h"
#include "CPSyntaxTree.h"
#include "CPToken.h"

#include <QSet>
#include <QVariant>

#include <vector>

// The values a parse moves around are QVariants: tokens, syntax trees and
// EBNF match results held by shared pointer, arrays (QVariantList), and
// whatever a delegate answers. These helpers tell them apart, compare and
// print them, and tear them down, all without recursion, so values nested to
// any depth are safe.
namespace CPValue {

bool isToken(const QVariant &value);
bool isSyntaxTree(const QVariant &value);
bool isRHSItemResult(const QVariant &value);

CPTokenPtr token(const QVariant &value);
CPSyntaxTreePtr syntaxTree(const QVariant &value);
CPRHSItemResultPtr rhsItemResult(const QVariant &value);

QVariant fromToken(const CPTokenPtr &token);
QVariant fromSyntaxTree(const CPSyntaxTreePtr &tree);
QVariant fromRHSItemResult(const CPRHSItemResultPtr &result);

// Tokens by token equality, trees by rule identity and equal children, lists
// element by element, anything else by QVariant equality.
bool isEqual(const QVariant &a, const QVariant &b);
// Tokens and trees by their descriptions, lists as "[a, b]", strings as they are.
QString description(const QVariant &value);
// The names sorted and quoted, as {"a", "b"}.
QString describeNames(const QSet<QString> &names);

// Moves a list or map out of a variant without copying its elements, leaving
// the variant invalid; empty when the variant holds something else.
QVariantList takeList(QVariant &value);
QVariantMap takeMap(QVariant &value);

// Drops the values, taking apart every tree, match result, list and map that
// nothing else holds, one level at a time. A teardown that starts while
// another runs on the same thread joins it, so nesting never deepens the stack.
void dispose(std::vector<QVariant> &values);
void dispose(QVariant &&value);
// Drops what a tree or match result holds; plain values go the quick way.
void disposeContents(QVariantList &list, QVariantMap &map);

} // namespace CPValue

#include "CPRHSItemResult.h"

#include "CPSyntaxTree.h"
#include "CPValue.h"

CPRHSItemResult::~CPRHSItemResult()
{
    CPValue::disposeContents(contents, tagValues);
}

CPRHSItemResultPtr CPRHSItemResult::initWithSyntaxTree(const CPSyntaxTree &syntaxTree)
{
    auto result = std::make_shared<CPRHSItemResult>();
    const CPRulePtr &rule = syntaxTree.rule();
    const quint64 tag = rule ? rule->tag() : 0;
    if (tag == 2 && !syntaxTree.children().isEmpty()) {
        const QVariantList &children = syntaxTree.children();
        result->contents = children.constLast().toList();
        result->contents.insert(0, children.size() - 1, QVariant());
        for (qsizetype i = 0; i + 1 < children.size(); ++i)
            result->contents[i] = children.at(i);
    } else if (tag != 0) {
        result->contents = syntaxTree.children();
    }
    result->tagValues = syntaxTree.tagValues();
    if (rule) {
        result->tagName = rule->tagName();
        result->shouldCollapse = rule->shouldCollapse();
    }
    return result;
}

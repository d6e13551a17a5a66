#include "stylesheet/CSSSpecificityUtil.h"

#include "StyleSheetTestUtil.h"

#include <gtest/gtest.h>

namespace {

struct Row
{
    const char *name;
    const char16_t *selector;
    CSSSpecificity expected;
};

} // namespace

TEST(CSSSpecificityUtil, CountsIdsClassesAndElements)
{
    const Row rows[] = {
        {"id, class and element", u"#a .b p", {1, 1, 1, 111}},
        {"listed pseudo-class counts as a class", u"a:hover", {0, 1, 1, 11}},
        {"pseudo-element counts as an element", u"p::first-line", {0, 0, 2, 2}},
        {"quoted attribute value is dropped", u"input[type=\"a b\"]", {0, 1, 1, 11}},
        {"combinators separate elements", u"ul > li + li", {0, 0, 3, 3}},
        {"universal selector counts nothing", u"*", {0, 0, 0, 0}},
        {"negation argument is removed", u"li:not(.x)", {0, 0, 2, 2}},
        {"eleven classes outrank one id", u".a.b.c.d.e.f.g.h.i.j.k", {0, 11, 0, 110}},
        {"letters of any script", u"#größe .ü", {1, 1, 0, 110}},
        {"unclosed parenthesis ends", u"a:nth-child(2", {0, 0, 2, 2}},
    };
    for (const Row &row : rows) {
        const CSSSpecificity actual
            = CSSSpecificityUtil::calcSpecificity(QString::fromUtf16(row.selector));
        EXPECT_EQ(actual, row.expected) << row.name << ": " << actual.first << ", " << actual.second
                                        << ", " << actual.third << ", " << actual.fourth;
    }
}

TEST(CSSSpecificityUtil, SplitsSelectorListsAndCombinators)
{
    EXPECT_EQ(CSSSpecificityUtil::splitSelectorGroup(u"a, b ,c"_qs),
              (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
    EXPECT_EQ(CSSSpecificityUtil::splitSelectorGroup(u"a,\n b,"_qs),
              (QStringList{u"a"_qs, u"b"_qs, QString()}));
    EXPECT_EQ(CSSSpecificityUtil::splitCombinators(u"ul > li+a ~ b"_qs),
              (QStringList{u"ul"_qs, u"li"_qs, u"a"_qs, u"b"_qs}));
}

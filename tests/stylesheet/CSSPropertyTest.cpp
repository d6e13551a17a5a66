#include "stylesheet/CSSProperty.h"
#include "stylesheet/StringCSSValue.h"
#include "stylesheet/StringVendarPrefix.h"

#include "StyleSheetTestUtil.h"

#include <gtest/gtest.h>

namespace {

// "key=value" pairs of a shorthand's longhands, in key order; "nil" when refused.
QString split(const QString &name, const QString &value)
{
    const std::optional<CSSValueMap> map = CSSProperty(name, value).valueMap();
    if (!map)
        return u"nil"_qs;
    QStringList pairs;
    for (auto it = map->cbegin(); it != map->cend(); ++it)
        pairs.append(it.key() + u'=' + it.value());
    return pairs.join(u' ');
}

// The three longhands of a side shorthand as "style width color"; of
// "border", those of each side, which must agree.
QString side(const QString &name, const QString &value)
{
    const std::optional<CSSValueMap> map = CSSProperty(name, value).valueMap();
    if (!map)
        return u"nil"_qs;
    const QStringList keys = CSSProperty::shortHandMap().value(name);
    QStringList sides;
    for (qsizetype first = 0; first < keys.size(); first += 3) {
        QStringList values;
        for (const QString &key : keys.mid(first, 3))
            values.append(map->value(key));
        sides.append(values.join(u' '));
    }
    sides.removeDuplicates();
    return sides.size() == 1 ? sides.first() : u"sides differ"_qs;
}

} // namespace

TEST(CSSProperty, KnowsItsShorthandsAndTheirParsers)
{
    EXPECT_TRUE(CSSProperty(u"margin"_qs, {}).isShartHand());
    EXPECT_FALSE(CSSProperty(u"font"_qs, {}).isShartHand());
    EXPECT_FALSE(CSSProperty(u"margin-top"_qs, {}).isShartHand());
    // "border" sets the four sides: it lists the longhands of each (#72).
    EXPECT_EQ(CSSProperty::shortHandMap().value(u"border"_qs),
              CSSProperty::shortHandMap().value(u"border-top"_qs) + CSSProperty::shortHandMap().value(u"border-right"_qs)
                  + CSSProperty::shortHandMap().value(u"border-bottom"_qs) + CSSProperty::shortHandMap().value(u"border-left"_qs));
    EXPECT_EQ(CSSProperty::getValueParser(u"Margin"_qs), nullptr);
    EXPECT_NE(CSSProperty::getValueParser(u"font"_qs), nullptr);
    EXPECT_EQ(CSSProperty(u"color"_qs, u"red"_qs).valueMap(), std::nullopt);
    EXPECT_EQ(CSSProperty(u"font-size"_qs, u"12px !important"_qs).description(),
              u"font-size: 12px !important"_qs);
}

TEST(CSSProperty, NamesSplitIntoPrefixAndShorthand)
{
    EXPECT_EQ(CSSProperty(u"-webkit-transition"_qs, {}).prefix(), QString());
    EXPECT_EQ(CSSProperty(u"border-top-width"_qs, {}).prefix(), u"border"_qs);
    EXPECT_EQ(CSSProperty(u"color"_qs, {}).prefix(), std::nullopt);
    EXPECT_EQ(CSSProperty(u"margin-top"_qs, {}).shortHandName(), u"margin"_qs);
    EXPECT_EQ(CSSProperty(u"border-top-width"_qs, {}).shortHandName(), u"border"_qs);
    EXPECT_EQ(CSSProperty(u"border-left-color"_qs, {}).shortHandName(), u"border"_qs);
    EXPECT_FALSE(CSSProperty(u"border-top-left-radius"_qs, {}).hasShartHand());
    EXPECT_EQ(CSSProperty(u"-moz-box-shadow"_qs, {}).formalName(), u"box-shadow"_qs);
}

TEST(CSSProperty, BoxShorthandsFillTheSidesByWordCount)
{
    EXPECT_EQ(split(u"margin"_qs, u"1px 2px"_qs),
              u"margin-bottom=1px margin-left=2px margin-right=2px margin-top=1px"_qs);
    EXPECT_EQ(split(u"margin"_qs, u"1px 2px !important"_qs), split(u"margin"_qs, u"1px 2px"_qs));
    EXPECT_EQ(split(u"margin"_qs, u"1px 2px 3px 4px 5px"_qs),
              u"margin-bottom=3px margin-left=4px margin-right=2px margin-top=1px"_qs);
    EXPECT_EQ(split(u"padding"_qs, u"1px 2px 3px 4px 5px"_qs), u"nil"_qs);
    EXPECT_EQ(split(u"margin"_qs, u"!important"_qs), u"nil"_qs);
    EXPECT_EQ(split(u"border-radius"_qs, u"1px 2px 3px"_qs),
              u"border-bottom-left-radius=2px border-bottom-right-radius=3px "
              "border-top-left-radius=1px border-top-right-radius=2px"_qs);
}

// #77: values were split at single blanks, so "calc(0.25rem - 1px) 0" gave
// four words and two blanks an empty one: the rules panel showed longhands
// with empty or broken values. A value that does not split gives none.
TEST(CSSProperty, ShorthandsSplitAsCSSDoesOrNotAtAll)
{
    EXPECT_EQ(split(u"margin"_qs, u"1px  2px"_qs), split(u"margin"_qs, u"1px 2px"_qs));
    EXPECT_EQ(split(u"padding"_qs, u"1px\n\t2px"_qs), split(u"padding"_qs, u"1px 2px"_qs));
    EXPECT_EQ(split(u"border-radius"_qs, u"calc(0.25rem - 1px) calc(0.25rem - 1px) 0 0"_qs),
              u"border-bottom-left-radius=0 border-bottom-right-radius=0 "
              "border-top-left-radius=calc(0.25rem - 1px) border-top-right-radius=calc(0.25rem - 1px)"_qs);
    EXPECT_EQ(split(u"margin"_qs, u"calc(-0.5 * (1rem + 2px)) auto!important"_qs),
              u"margin-bottom=calc(-0.5 * (1rem + 2px)) margin-left=auto margin-right=auto "
              "margin-top=calc(-0.5 * (1rem + 2px))"_qs);
    for (const auto &[name, value] : {std::pair{u"padding"_qs, u"var(--y) var(--x)"_qs},
                                      std::pair{u"margin"_qs, u"var(--gap)"_qs},
                                      std::pair{u"border-radius"_qs, u"10px / 5px"_qs},
                                      std::pair{u"border-radius"_qs, u"10px/5px 2px"_qs},
                                      std::pair{u"margin"_qs, u"1px 2px 3px 4px 5px 6px"_qs},
                                      std::pair{u"margin"_qs, u" "_qs}})
        EXPECT_EQ(split(name, value), u"nil"_qs) << name.toStdString() << ": " << value.toStdString();
    EXPECT_EQ(side(u"border-top"_qs, u"var(--w) solid var(--c)"_qs), u"nil"_qs);
    EXPECT_EQ(side(u"border"_qs, u"1px solid rgba(0, 0, 0, 0.125)"_qs), u"solid 1px rgba(0, 0, 0, 0.125)"_qs);
    EXPECT_EQ(side(u"list-style"_qs, u"url(\"a b.png\")  inside"_qs), u"disc inside url(\"a b.png\")"_qs);
}

// The side shorthands used to assign words by position, so "1px solid red"
// gave the style "1px".
TEST(CSSProperty, SideShorthandsAssignWordsByKindInAnyOrder)
{
    EXPECT_EQ(side(u"border-top"_qs, u"solid 1px red"_qs), u"solid 1px red"_qs);
    EXPECT_EQ(side(u"border"_qs, u"1px solid red"_qs), u"solid 1px red"_qs);
    EXPECT_EQ(side(u"border-left"_qs, u"#fff dashed thick"_qs), u"dashed thick #fff"_qs);
    EXPECT_EQ(side(u"border-bottom"_qs, u"2px solid rgb(0, 0, 0) !important"_qs),
              u"solid 2px rgb(0, 0, 0)"_qs);
    EXPECT_EQ(side(u"border-right"_qs, u"0"_qs), u"none 0 currentcolor"_qs);
    EXPECT_EQ(side(u"border"_qs, u"none"_qs), u"none medium currentcolor"_qs);
    EXPECT_EQ(side(u"border"_qs, u"inherit"_qs), u"inherit inherit inherit"_qs);
    EXPECT_EQ(side(u"outline"_qs, u"Highlight auto 3px"_qs), u"auto 3px Highlight"_qs);
    EXPECT_EQ(side(u"border"_qs, u"auto 3px blue"_qs), u"nil"_qs);
    // More than three words, two of one kind, or a word of no kind refuse the value.
    EXPECT_EQ(side(u"border-top"_qs, u"solid 1px red green"_qs), u"nil"_qs);
    EXPECT_EQ(side(u"border-top"_qs, u"1px 2px"_qs), u"nil"_qs);
    EXPECT_EQ(side(u"border-top"_qs, u"var(--w) solid"_qs), u"nil"_qs);
}

TEST(CSSProperty, ListStyleAssignsWordsByKind)
{
    EXPECT_EQ(side(u"list-style"_qs, u"inside square"_qs), u"square inside none"_qs);
    EXPECT_EQ(side(u"list-style"_qs, u"url(a.png) outside"_qs), u"disc outside url(a.png)"_qs);
    EXPECT_EQ(side(u"list-style"_qs, u"none"_qs), u"none outside none"_qs);
    EXPECT_EQ(side(u"list-style"_qs, u"none url(a.png)"_qs), u"none outside url(a.png)"_qs);
    EXPECT_EQ(side(u"list-style"_qs, u"square none"_qs), u"square outside none"_qs);
    EXPECT_EQ(side(u"list-style"_qs, u"square none url(a.png)"_qs), u"nil"_qs);
    EXPECT_EQ(side(u"list-style"_qs, u"inside outside"_qs), u"nil"_qs);
}

TEST(CSSProperty, FontAndBackgroundFillTheirKeysByCountOnly)
{
    EXPECT_EQ(
        split(u"font"_qs, u"italic bold 12px arial"_qs),
        u"font-family=italic font-size=arial font-style=italic font-valiant=bold font-weight=12px "
        "line-height=italic"_qs);
    EXPECT_EQ(split(u"font"_qs, u"a b c d e"_qs), u"nil"_qs);
    const std::optional<CSSValueMap> background
        = CSSProperty(u"background"_qs, u"red"_qs).valueMap();
    ASSERT_TRUE(background.has_value());
    EXPECT_EQ(background->size(), 10);
    EXPECT_EQ(background->value(u"background-positionY"_qs), u"red"_qs);
    EXPECT_EQ(split(u"background"_qs, u"a b c d e"_qs), u"nil"_qs);
}

TEST(CSSProperty, ValueWordsKeepParenthesisedGroupsTogether)
{
    using StringCSSValue::getValues;
    EXPECT_EQ(getValues(u"1px solid rgb(0, 0, 0)"_qs),
              (QStringList{u"1px"_qs, u"solid"_qs, u"rgb(0, 0, 0)"_qs}));
    EXPECT_EQ(getValues(u"rgb(0, 0, 0) 1px solid"_qs),
              (QStringList{u"rgb(0, 0, 0)"_qs, u"1px"_qs, u"solid"_qs}));
    EXPECT_EQ(getValues(u"a rgb(0,"_qs), QStringList{u"a"_qs});
}

TEST(CSSProperty, AnEditForAMinifiedSheetLosesTheOptionalBlanksOfWhatItChangedOnly)
{
    using StringCSSValue::compactedEdit;
    struct Row
    {
        const char *before;
        const char *after;
        const char *compact;
    };
    for (const Row &row :
         {Row{"#fff", "rgb(250, 235, 215)", "rgb(250,235,215)"},
          Row{"linear-gradient(180deg,#4e73df 10%,#224abe 100%)",
              "linear-gradient(180deg,rgba(0, 0, 255, 0.50) 10%,#224abe 100%)",
              "linear-gradient(180deg,rgba(0,0,255,0.50) 10%,#224abe 100%)"},
          // What was not changed keeps its blanks; the blanks CSS needs stay.
          Row{"0 1px rgba(0, 0, 0, .5), 0 0 2px red", "0 2px rgba(0, 0, 0, .5), 0 0 2px red", "0 2px rgba(0, 0, 0, .5), 0 0 2px red"},
          Row{"", "calc(1px + 2px) url( \"a, b\" )", "calc(1px + 2px) url(\"a, b\")"},
          Row{"red", "red", "red"},
          // "!important" follows the value without a blank, as the sheet wrote it (#72).
          Row{"#5a5c69!important", "#aabbcc !important", "#aabbcc!important"},
          Row{"0 .15rem 1.75rem 0 rgba(58,59,69,.15)!important", "0 .15rem 2rem 0 rgba(58,59,69,.15) !important",
              "0 .15rem 2rem 0 rgba(58,59,69,.15)!important"},
          Row{"1px", "1px !important", "1px!important"},
          Row{"red !important", "blue !important", "blue !important"}}) {
        EXPECT_EQ(compactedEdit(QString::fromLatin1(row.before), QString::fromLatin1(row.after)), QString::fromLatin1(row.compact))
            << row.after;
    }
}

TEST(CSSProperty, VendorPrefixesAreADashAWordAndADash)
{
    using namespace StringVendarPrefix;
    EXPECT_EQ(formalPropertyName(u"color"_qs), u"color"_qs);
    EXPECT_EQ(prefix(u"color"_qs), QString());
    EXPECT_EQ(formalPropertyName(u"-webkit-box-shadow"_qs), u"box-shadow"_qs);
    EXPECT_EQ(prefix(u"-moz-transition"_qs), u"-moz-"_qs);
    EXPECT_EQ(formalPropertyName(u"-webkit-transform 1s"_qs), u"transform 1s"_qs);
    EXPECT_EQ(formalPropertyName(u"-webkit"_qs), QString());
    EXPECT_EQ(formalPropertyName(u"--main-color"_qs), u"--main-color"_qs);
    EXPECT_EQ(formalPropertyName(u"-1px"_qs), u"-1px"_qs);
    EXPECT_EQ(prefix(u"--x"_qs), QString());
}

#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/DictionaryCSSDefinition.h"
#include "stylesheet/StyleTool.h"
#include "stylesheet/WebCoreObjects.h"

#include <QFontDatabase>

#include <memory>

#include "StyleSheetTestUtil.h"

#include <gtest/gtest.h>

TEST(WebCoreObjects, ElementRules)
{
    EXPECT_FALSE(WebCoreObjects::shouldClose(u"BR"_qs));
    EXPECT_TRUE(WebCoreObjects::shouldClose(u"div"_qs));
    EXPECT_FALSE(WebCoreObjects::canHaveChildren(u"#text"_qs));
    EXPECT_TRUE(WebCoreObjects::canHaveChildren(u"div"_qs));
    EXPECT_TRUE(WebCoreObjects::canContainInlineElementTag(u"span"_qs));
    EXPECT_FALSE(WebCoreObjects::canContainInlineElementTag(u"br"_qs));
    EXPECT_FALSE(WebCoreObjects::canContainInlineElementTag(u"wbr"_qs));
    EXPECT_TRUE(WebCoreObjects::canContainBlockElementTag(u"div"_qs));
    EXPECT_TRUE(WebCoreObjects::canContainBlockElementTag(u"p"_qs));
    EXPECT_TRUE(WebCoreObjects::isUnique(u"BODY"_qs));
    EXPECT_EQ(WebCoreObjects::getContainableParentWithTagName(u"td"_qs), u"tr"_qs);
    EXPECT_EQ(WebCoreObjects::getContainableParentWithTagName(u"title"_qs), u"head"_qs);
    EXPECT_EQ(WebCoreObjects::getContainableParentWithTagName(u"li"_qs), u"div"_qs);
    EXPECT_TRUE(WebCoreObjects::isHeaderTagGroup(u"script"_qs));
    EXPECT_TRUE(WebCoreObjects::isNoValueAttribute(u"controls"_qs));
    EXPECT_FALSE(WebCoreObjects::isNoValueAttribute(u"checked"_qs));
    EXPECT_FALSE(WebCoreObjects::isSVGTag(u"linearGradient"_qs));
    EXPECT_TRUE(WebCoreObjects::isSVGTag(u"lineargradient"_qs));
    EXPECT_FALSE(WebCoreObjects::isSVGTag(u"feblend"_qs));
    EXPECT_TRUE(WebCoreObjects::isSVGTag(u"feBlend"_qs));
    EXPECT_TRUE(WebCoreObjects::isVendarPrefixUnnecessaryProperty(u"opacity"_qs));
    EXPECT_FALSE(WebCoreObjects::isVendarPrefixUnnecessaryProperty(u"transition"_qs));
}

// #77: "wbr" and "track" were missing, so elements could be put inside them.
TEST(WebCoreObjects, EveryVoidElementOfHTMLIsVoidWhateverItsCase)
{
    for (const char *name : {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "img", "input",
                             "keygen", "link", "meta", "param", "source", "track", "wbr", "WBR", "Track"}) {
        EXPECT_TRUE(WebCoreObjects::isVoidElement(QLatin1String(name))) << name;
        EXPECT_FALSE(WebCoreObjects::shouldClose(QString::fromLatin1(name))) << name;
        EXPECT_FALSE(WebCoreObjects::canHaveChildren(QString::fromLatin1(name))) << name;
    }
    for (const char *name : {"", "b", "wbrx", "image", "video", "template", "#text", "basefonts"})
        EXPECT_FALSE(WebCoreObjects::isVoidElement(QLatin1String(name))) << name;
}

TEST(WebCoreObjects, ListsAreBuiltOnceAndSorted)
{
    const QStringList &tags = WebCoreObjects::getTagNames();
    EXPECT_EQ(&tags, &WebCoreObjects::getTagNames());
    EXPECT_EQ(tags.size(), 189);
    EXPECT_EQ(tags.count(u"image"_qs), 2);
    EXPECT_TRUE(tags.contains(u"svg"_qs));
    EXPECT_TRUE(tags.contains(u"feTurbulence"_qs));
    EXPECT_EQ(WebCoreObjects::getAttrNames().size(), 328);
    EXPECT_TRUE(WebCoreObjects::getAttrNames().contains(u"accept_charset"_qs));
    EXPECT_EQ(WebCoreObjects::getPopulerTagNames().size(), 20);
    EXPECT_EQ(WebCoreObjects::pseudos().size(), 24);
    EXPECT_EQ(WebCoreObjects::pseudos().first(), u":link"_qs);
    EXPECT_EQ(WebCoreObjects::pseudos().last(), u":checked"_qs);
    EXPECT_EQ(WebCoreObjects::ignoreVendorPrefixes(),
              (QStringList{u"-moz"_qs, u"-ms"_qs, u"-o"_qs}));
}

TEST(WebCoreObjects, RefusesSelectorsWithForeignPrefixedPseudoElements)
{
    EXPECT_TRUE(WebCoreObjects::isInvalidSelector(u"a:-moz-any-link"_qs));
    EXPECT_TRUE(WebCoreObjects::isInvalidSelector(u"input:-webkit-autofill"_qs));
    EXPECT_TRUE(WebCoreObjects::isInvalidSelector(u"::-moz-selection"_qs));
    EXPECT_FALSE(WebCoreObjects::isInvalidSelector(u"::-moz-selection, ::selection"_qs));
    EXPECT_FALSE(WebCoreObjects::isInvalidSelector(u"::-webkit-scrollbar"_qs));
    EXPECT_FALSE(WebCoreObjects::isInvalidSelector(u"div"_qs));
}

TEST(WebCoreObjects, CSSDefinitionListsEveryPropertyWithItsPrefixes)
{
    const QVariantMap &definition = WebCoreObjects::cssDefinition();
    ASSERT_FALSE(definition.isEmpty());
    EXPECT_EQ(&definition, &WebCoreObjects::cssDefinition());
    const QStringList &names = WebCoreObjects::getStyleNames();
    EXPECT_EQ(names.size(), definition.size());
    EXPECT_TRUE(names.contains(u"color"_qs));
    EXPECT_TRUE(names.contains(u"transition"_qs));

    using namespace DictionaryCSSDefinition;
    EXPECT_EQ(vendarPrefixNamesOf(definition, u"color"_qs), QStringList{u"W3C"_qs});
    EXPECT_TRUE(vendarPrefixNamesOf(definition, u"transition"_qs)->contains(u"-webkit"_qs));
    EXPECT_EQ(vendarPrefixNamesOf(definition, u"no-such-property"_qs), std::nullopt);
    EXPECT_TRUE(supportBrowsersOfProperty(definition, u"color"_qs, u"W3C"_qs).isValid());
    EXPECT_FALSE(supportBrowsersOfProperty(definition, u"color"_qs, u"-moz"_qs).isValid());
    const QStringList prefixed = findVendarPrefixPropertyNames(definition);
    EXPECT_TRUE(prefixed.contains(u"transition"_qs));
    EXPECT_FALSE(prefixed.contains(u"color"_qs));
    EXPECT_TRUE(findVendarPrefixPropertyNamesOf(definition, u"transition"_qs).isEmpty());
    EXPECT_EQ(computedSupport(definition, u"color"_qs, 1.0f), QVariantMap());
    EXPECT_EQ(computedSupport(definition, u"no-such-property"_qs, 1.0f), std::nullopt);

    // An entry without prefixes counts as prefixed.
    const QVariantMap sample{
        {u"a"_qs, QVariantMap{{u"vendarPrefixes"_qs, QVariantMap{{u"W3C"_qs, 1}}}}},
        {u"b"_qs, QVariantMap{}}};
    EXPECT_EQ(findVendarPrefixPropertyNames(sample), QStringList{u"b"_qs});
}

TEST(CSSValueKeywords, OffersTheValuesOfAPropertyInOrder)
{
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"background-attachment"_qs),
              (QStringList{u"fixed"_qs, u"scroll"_qs}));
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"box-direction"_qs),
              (QStringList{u"normal"_qs, u"reverse"_qs, u"inherit"_qs}));
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"box-orient"_qs).last(), u"inherit"_qs);
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"-webkit-color-adjust"_qs),
              (QStringList{u"economy"_qs, u"economy"_qs}));
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"margin-left"_qs), QStringList{u"auto"_qs});
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"margin"_qs).size(), 4);
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"color"_qs).size(), 175);
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"list-style-type"_qs).size(), 81);
    for (const char16_t *unknown : {u"colour", u"-moz-transform", u"Color"})
        EXPECT_EQ(CSSValueKeywords::getValueKeywords(QString::fromUtf16(unknown)),
                  QStringList{u"none"_qs});

    QStringList changed = CSSValueKeywords::getValueKeywords(u"float"_qs);
    changed.append(u"x"_qs);
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"float"_qs),
              (QStringList{u"left"_qs, u"right"_qs, u"none"_qs}));

    const QStringList families = QFontDatabase::families();
    EXPECT_EQ(CSSValueKeywords::getValueKeywords(u"font-family"_qs),
              families.isEmpty() ? QStringList{u"none"_qs} : families);
}

namespace {

// The least a rules-outline node offers the style text tool.
struct Line
{
    bool included;
    QString name;
    QString value;
    bool shouldIncludInRule() const { return included; }
    QString propName() const { return name; }
    QString valueName() const { return value; }
};

struct Rule
{
    QString selector;
    QList<std::shared_ptr<Line>> lines;
    QString selectorName() const { return selector; }
    const QList<std::shared_ptr<Line>> &children() const { return lines; }
};

} // namespace

TEST(StyleTool, BuildsRuleAndScriptTexts)
{
    EXPECT_EQ(StyleTool::generateJSStringForApply(u"#box"_qs, u"color"_qs, u"red;"_qs),
              u"$('#box').css('color','red');"_qs);
    EXPECT_EQ(StyleTool::generateJSStringForGet(u"#box"_qs, u"color"_qs),
              u"$('#box').css('color');"_qs);
    EXPECT_EQ(StyleTool::generateJSStringForDelete(u"#box"_qs, u"color"_qs),
              u"$('#box').css('color','');"_qs);
    EXPECT_EQ(StyleTool::makeObject(u"color"_qs, u"red;"_qs), u"color:red;"_qs);

    Rule rule{u"a"_qs,
              {std::make_shared<Line>(Line{true, u"color"_qs, u"red"_qs}),
               std::make_shared<Line>(Line{false, u"margin"_qs, u"0"_qs}),
               std::make_shared<Line>(Line{true, u"top"_qs, u"1px;"_qs})}};
    EXPECT_EQ(StyleTool::generateRuleString(rule), u"a{color:red;top:1px;}"_qs);
    for (const auto &line : rule.lines)
        line->included = false;
    EXPECT_EQ(StyleTool::generateRuleString(rule), u"a{}"_qs);
}

TEST(StyleTool, ReadsRgbTexts)
{
    const std::optional<RGBAColor> red
        = StyleTool::getColorFormRGBString(u"rgba(255, 0, 0, 0.5)"_qs);
    ASSERT_TRUE(red.has_value());
    EXPECT_EQ(*red, (RGBAColor{1, 0, 0, 0.5}));
    EXPECT_EQ(StyleTool::getColorFormRGBString(u"rgb(0, 0, 255)"_qs), (RGBAColor{0, 0, 1, 1}));
    EXPECT_EQ(StyleTool::getColorFormRGBString(u"rgb(0, 0)"_qs), std::nullopt);
    EXPECT_EQ(StyleTool::getColorFormRGBString(u"rgb(0, x, 0)"_qs), std::nullopt);
    EXPECT_EQ(StyleTool::getColorFormRGBString(u"red"_qs), std::nullopt);
}

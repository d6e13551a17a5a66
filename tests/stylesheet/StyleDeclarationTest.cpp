#include "stylesheet/StringCSSProperty.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/StyleComment.h"
#include "stylesheet/StyleSheetParser.h"

#include "StyleSheetTestUtil.h"

#include <gtest/gtest.h>

namespace {

QStringList folded(const QString &body, int type = RuleType::Style)
{
    StyleDeclaration item;
    item.setType(type);
    item.setBody(body);
    return dumpProperties(item);
}

} // namespace

TEST(StyleDeclaration, PrefixedCopiesFoldIntoTheirFormalDeclarationInEitherOrder)
{
    CurrentProject project;
    const QStringList expected{u"transition: all 1s [-webkit-]"_qs};
    EXPECT_EQ(folded(u"-webkit-transition: all 1s; transition: all 1s"_qs), expected);
    EXPECT_EQ(folded(u"transition: all 1s; -webkit-transition: all 1s"_qs), expected);
    EXPECT_EQ(folded(u"transition: all 1s; -webkit-transition: all 1s; -moz-transition: all 1s"_qs),
              QStringList{u"transition: all 1s [-webkit-,-moz-]"_qs});
    // The value of a prefixed copy loses its prefix too.
    EXPECT_EQ(folded(u"-webkit-transition: -webkit-transform 1s"_qs),
              QStringList{u"transition: transform 1s [-webkit-]"_qs});
    // A property the project does not prefix has no list; a formal one that
    // it prefixes has an empty list until copies join it.
    EXPECT_EQ(folded(u"color: red; transform: none"_qs),
              (QStringList{u"color: red"_qs, u"transform: none []"_qs}));
    EXPECT_EQ(folded(u"transition: a; transition: b"_qs),
              (QStringList{u"transition: a []"_qs, u"transition: b []"_qs}));
}

TEST(StyleDeclaration, PrefixedCopiesStayAsWrittenWhenTheProjectDoesNotRewriteCSS)
{
    CurrentProject project;
    project.setSetting(ProjectUtil::kOverrideCSS, false);
    EXPECT_EQ(folded(u"-webkit-transition: all 1s; transition: all 1s"_qs),
              (QStringList{u"-webkit-transition: all 1s"_qs, u"transition: all 1s"_qs}));

    CurrentProject other;
    QVariantMap properties = ProjectUtil::defaultVendarPrefixProperties();
    properties.remove(u"transition"_qs);
    other.setSetting(ProjectUtil::kVendarPrefixProperties, properties);
    EXPECT_EQ(folded(u"-webkit-transition: all 1s; transition: all 1s"_qs),
              (QStringList{u"-webkit-transition: all 1s"_qs, u"transition: all 1s"_qs}));
}

// A custom property named like a prefixed one, or a negative value, used to be
// read as a vendor prefix: "--transform" became "transform" and "-2s" became "".
TEST(StyleDeclaration, CustomPropertiesAndNegativeValuesAreNoVendorPrefixes)
{
    CurrentProject project;
    EXPECT_EQ(folded(u"--transform: x; -webkit-animation-delay: -2s"_qs),
              (QStringList{u"--transform: x"_qs, u"animation-delay: -2s [-webkit-]"_qs}));
}

// A url() fallback followed by a gradient used to lose the gradient.
TEST(StyleDeclaration, BackgroundImagesFoldOnlyWhenTheirStandardFormsAreEqual)
{
    CurrentProject project;
    EXPECT_EQ(
        folded(
            u"background-image: url(a.png); background-image: -webkit-linear-gradient(top, red, blue)"_qs),
        (QStringList{u"background-image: url(a.png)"_qs,
                     u"background-image: linear-gradient(to bottom, red, blue)"_qs}));
    EXPECT_EQ(folded(u"background-image: -webkit-linear-gradient(top, red, blue);"
                     "background-image: -moz-linear-gradient(top, red, blue);"
                     "background-image: linear-gradient(to bottom,red,blue)"_qs),
              QStringList{u"background-image: linear-gradient(to bottom, red, blue)"_qs});
}

TEST(StyleDeclaration, OnlyRulesKeyframesFontFacesAndDeclarationListsGetProperties)
{
    CurrentProject project;
    EXPECT_EQ(folded(u"a: b"_qs, RuleType::Media), QStringList());
    EXPECT_EQ(folded(u"a: b"_qs, RuleType::DeclarationList), QStringList{u"a: b"_qs});
    EXPECT_EQ(folded(u"a: b"_qs, RuleType::FontFace), QStringList{u"a: b"_qs});
    EXPECT_EQ(folded(QString()), QStringList());
    // Pieces without a colon are skipped; values keep "!important".
    EXPECT_EQ(folded(u" \tfont-size :\t12px !important ;; junk ;"_qs),
              QStringList{u"font-size: 12px !important"_qs});
}

TEST(StyleDeclaration, BodiesSplitOnlyAtSemicolonsOutsideQuotesParenthesesAndUrls)
{
    using StringCSSProperty::cssProperties;
    EXPECT_EQ(cssProperties(u"content: \"a;b\"; color: red"_qs),
              (QStringList{u"content: \"a;b\""_qs, u" color: red"_qs}));
    EXPECT_EQ(cssProperties(u"background: url(x;y)"_qs), QStringList{u"background: url(x;y)"_qs});
    EXPECT_EQ(cssProperties(u"color: red"_qs), QStringList{u"color: red"_qs});
    EXPECT_EQ(cssProperties(u"a:1;;b:2;"_qs), (QStringList{u"a:1"_qs, QString(), u"b:2"_qs}));
    // White space with a line break or a tab separates as one blank.
    EXPECT_EQ(cssProperties(u"a:\n1;\t/* x; y */b:2"_qs), (QStringList{u"a: 1"_qs, u" b:2"_qs}));
    EXPECT_EQ(cssProperties(QString()), QStringList());
    // An escaped quote does not end the string.
    EXPECT_EQ(cssProperties(u"content: \"a\\\";b\"; c: d"_qs),
              (QStringList{u"content: \"a\\\";b\""_qs, u" c: d"_qs}));
    // A comment mark inside a string is text.
    EXPECT_EQ(cssProperties(u"content: \"/*\"; c: d; /* e */"_qs),
              (QStringList{u"content: \"/*\""_qs, u" c: d"_qs}));
    // A stray ")" and an unclosed string no longer swallow what follows.
    EXPECT_EQ(cssProperties(u"a: b); c: d"_qs), (QStringList{u"a: b)"_qs, u" c: d"_qs}));
    EXPECT_EQ(cssProperties(u"a: b; content: \"open; c: d"_qs),
              (QStringList{u"a: b"_qs, u" content: \"open; c: d"_qs}));
}

TEST(StyleDeclaration, GeneratedBodiesSkipRemovedProperties)
{
    CurrentProject project;
    StyleDeclaration item;
    item.setType(RuleType::Style);
    item.setBody(u"color: red; margin: 0"_qs);
    EXPECT_EQ(item.generateBody(), u"\ncolor: red;\n\nmargin: 0;\n"_qs);
    for (const CSSPropertyPtr &property : item.properties())
        property->setRemoved(true);
    EXPECT_EQ(item.generateBody(), QString());
    EXPECT_EQ(item.generateBodyForDom(), QString());
}

TEST(StyleDeclaration, BodyForThePageUsesTheWebkitNameAndTheOldGradientSyntax)
{
    CurrentProject project;
    StyleDeclaration item;
    item.setType(RuleType::Style);
    item.setBody(
        u"transition: all 1s; color: red; background-image: linear-gradient(to right, red, blue)"_qs);
    EXPECT_EQ(item.generateBodyForDom(),
              u"\n-webkit-transition:all 1s;\n"
              "\ncolor: red;\n"
              "\nbackground-image:linear-gradient(left, red, blue);\n"_qs);
}

TEST(StyleDeclaration, CopiesRebuildPropertiesFromTheBodyText)
{
    CurrentProject project;
    const QList<StyleDeclarationPtr> items
        = StyleSheetParser::parseStyleSheet(u"@media x{a{color:red}}"_qs);
    ASSERT_EQ(items.size(), 2);
    const StyleDeclarationPtr &rule = items[1];
    rule->properties()[0]->setValue(u"blue"_qs);
    rule->setModified(true);
    rule->setRemoved(true);

    const StyleDeclarationPtr copy = rule->copy();
    EXPECT_EQ(copy->selector(), u"a"_qs);
    EXPECT_TRUE(copy->isInBraket());
    EXPECT_TRUE(copy->isModified());
    EXPECT_FALSE(copy->isRemoved());
    EXPECT_EQ(copy->range(), Range());
    EXPECT_EQ(copy->childIndex(), 0);
    EXPECT_EQ(dumpProperties(*copy), QStringList{u"color: red"_qs});
    EXPECT_FALSE(copy->isUnspecified());
    EXPECT_TRUE(rule->unspecifiedClone()->isUnspecified());

    // A comment copies as a plain item.
    StyleComment comment;
    comment.setCommentBody(u"/* x */"_qs);
    EXPECT_EQ(comment.copy()->type(), RuleType::Comment);
    EXPECT_FALSE(comment.copy()->hasBody());
}

TEST(StyleDeclaration, InnerSelectorsComeFromTheFileModelsChildren)
{
    CurrentProject project;
    const QList<StyleDeclarationPtr> items
        = StyleSheetParser::parseStyleSheet(u"@media x{a{transition:all 1s}/*c*/b{color:red}}"_qs);
    ASSERT_EQ(items.size(), 4);
    StyleDeclaration::setMediaChildrenProvider([&items](const StyleDeclaration &) {
        return QList<StyleDeclarationPtr>{items[1], items[2], items[3]};
    });
    const std::optional<QList<QVariantMap>> inner = items[0]->getInnerSelectors();
    StyleDeclaration::setMediaChildrenProvider({});
    ASSERT_TRUE(inner.has_value());
    ASSERT_EQ(inner->size(), 2);
    EXPECT_EQ(inner->at(0).value(u"selector"_qs).toString(), u"a"_qs);
    EXPECT_EQ(inner->at(0).value(u"body"_qs).toString(), u"\n-webkit-transition:all 1s;\n"_qs);
    EXPECT_EQ(inner->at(1).value(u"selector"_qs).toString(), u"b"_qs);
    EXPECT_FALSE(items[1]->getInnerSelectors().has_value());
}

TEST(StyleDeclaration, PrefixSettingsAreReadAtEveryCall)
{
    CurrentProject project;
    EXPECT_TRUE(StringVendarPrefix::isVenderPrefixOfProject(u"transition"_qs));
    EXPECT_FALSE(StringVendarPrefix::isVenderPrefixOfProject(u"color"_qs));
    EXPECT_TRUE(CSSProperty(u"transition"_qs, u"all 1s"_qs).hasVenderPrefixOfProject());

    // With every prefix switched off nothing is prefixed, whatever the property list says.
    QVariantList entries;
    for (const QString &prefix : {u"-webkit"_qs, u"-moz"_qs, u"-o"_qs, u"-ms"_qs})
        entries.append(QVariantMap{{u"prefix"_qs, prefix}, {u"on"_qs, false}});
    project.setSetting(ProjectUtil::kVendarPrefix, entries);
    EXPECT_FALSE(StringVendarPrefix::isVenderPrefixOfProject(u"transition"_qs));

    // Any entry that is on will do.
    entries[3] = QVariantMap{{u"prefix"_qs, u"-ms"_qs}, {u"on"_qs, true}};
    project.setSetting(ProjectUtil::kVendarPrefix, entries);
    EXPECT_TRUE(StringVendarPrefix::isVenderPrefixOfProject(u"transition"_qs));

    // Without a current project nothing is prefixed.
    ProjectUtil::resetForTesting();
    EXPECT_FALSE(StringVendarPrefix::isVenderPrefixOfProject(u"transition"_qs));
}

TEST(StyleDeclaration, BodyForThePageKeepsNamesAlreadyUnderTheWebkitPrefix)
{
    CurrentProject project;
    project.setSetting(ProjectUtil::kOverrideCSS, false);
    StyleDeclaration item;
    item.setType(RuleType::Keyframe);
    item.setBody(u"-webkit-transform: none; -moz-transform: none; opacity: 1"_qs);
    EXPECT_EQ(item.generateBodyForDom(), u"\n-webkit-transform: none;\n"
                                         "\n-webkit--moz-transform:none;\n"
                                         "\nopacity: 1;\n"_qs);
}

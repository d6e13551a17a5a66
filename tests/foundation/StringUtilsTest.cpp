#include "foundation/StringUtils.h"
#include "foundation/StringValidator.h"

#include "TestPrinters.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace StringUtils;

TEST(StringUtils, RelativePathFromFileIsTakenFromItsFolder)
{
    EXPECT_EQ(relativePathFrom("/p/site/css/a.css", "/p/site/index.html"), "css/a.css");
    EXPECT_EQ(relativePathFrom("/p/site/css/a.css", "/p/site/pages/b.html"), "../css/a.css");
    EXPECT_EQ(relativePathFrom("/p/site", "/p/site/index.html"), ".");
    EXPECT_EQ(relativePathFrom("/q/other/y.css", "/a/b/c.html"), "../../q/other/y.css");
}

TEST(StringUtils, RelativePathFromDropsOnlyTheBaseFileName)
{
    // The base file is named like a folder above it.
    EXPECT_EQ(relativePathFrom("/q/x/a.css", "/q/x/x"), "a.css");
    EXPECT_EQ(relativePathFrom("/q/y/a.css", "/q/x/x"), "../y/a.css");
}

TEST(StringUtils, RelativePathFromExpandsTilde)
{
    EXPECT_EQ(relativePathFrom("~/site/a.css", QDir::homePath() + "/site/index.html"), "a.css");
}

TEST(StringUtils, RelativePathForBasePathWritesParentSteps)
{
    EXPECT_EQ(relativePathForBasePath("/p/a/b.png", "/p/c"), "../a/b.png");
    EXPECT_EQ(relativePathForBasePath("/p/a/b.png", "/p"), "a/b.png");
    EXPECT_EQ(relativePathForBasePath("/p/a", "/p/a"), "");
    EXPECT_EQ(relativePathForBasePath("/p", "/p/a/b"), "../../");
    EXPECT_EQ(relativePathForBasePath("/p/a/b.png", "/p/c/"), "../a/b.png");
    EXPECT_EQ(relativePathForBasePath("a/b", "c/d"), "a/b");
    EXPECT_EQ(relativePathForBasePath("/p/a", ""), "/p/a");
}

TEST(StringUtils, IsIncludeInPathFromFindsAncestors)
{
    EXPECT_TRUE(isIncludeInPathFrom("/p/x/a/x", "/p/x/a"));
    EXPECT_TRUE(isIncludeInPathFrom("/p/x/a/x", "/p/x/a/x"));
    EXPECT_TRUE(isIncludeInPathFrom("/p/x", "/"));
    EXPECT_FALSE(isIncludeInPathFrom("/p/xy", "/p/x"));
    EXPECT_FALSE(isIncludeInPathFrom("rel/a", "other"));
}

TEST(StringUtils, IsIncludeInPathFromEndsAtTheRootForUnrelatedPaths)
{
    // Regression: the root is its own parent, so the walk up used to loop for ever.
    EXPECT_FALSE(isIncludeInPathFrom("/p/x/a", "/q"));
    EXPECT_FALSE(isIncludeInPathFrom("/", "/q"));
}

TEST(StringUtils, LineStringsSplitsAtEveryKindOfLineTerminator)
{
    EXPECT_EQ(lineStrings(""), QStringList());
    EXPECT_EQ(lineStrings("a"), QStringList({"a"}));
    EXPECT_EQ(lineStrings("a\n"), QStringList({"a"}));
    EXPECT_EQ(lineStrings("\n"), QStringList({""}));
    EXPECT_EQ(lineStrings("a\r\nb\rc\n\nd"), QStringList({"a", "b", "c", "", "d"}));
    EXPECT_EQ(lineStrings(QString::fromUtf16(u"a\u2028b\u0085c")), QStringList({"a", "b", "c"}));
}

TEST(StringUtils, LineNumbersForRangeAnswersTheLineOfTheStart)
{
    const QString text = "abc\ndef";
    EXPECT_EQ(lineNumbersForRange(text, {4, 1}), QList<int>{2});
    EXPECT_EQ(lineNumbersForRange(text, {0, 3}), QList<int>{1});
    EXPECT_EQ(lineNumbersForRange(text, {3, 1}), QList<int>{1});
    EXPECT_EQ(lineNumbersForRange(text, {7, 0}), QList<int>{2});
    EXPECT_EQ(lineNumbersForRange(text, {6, 2}), std::nullopt);
    EXPECT_EQ(lineNumbersForRange("", {0, 0}), QList<int>());
    // A CR LF pair ends one line, not two.
    EXPECT_EQ(lineNumbersForRange("a\r\nb\r\nc", {6, 1}), QList<int>{3});
}

TEST(StringUtils, RemoveIndentToTopRemovesTheCommonTabIndent)
{
    EXPECT_EQ(stringByRemoveIndentToTop("\t\ta\n\t\t\tb"), "a\n\tb\n");
    EXPECT_EQ(stringByRemoveIndentToTop("\n\n\t\ta\n\t\t\tb\n\n"), "a\n\tb\n");
    EXPECT_EQ(stringByRemoveIndentToTop("\t\ta\n\n\t\t\tb"), "\t\ta\n\n\t\t\tb\n");
    EXPECT_EQ(stringByRemoveIndentToTop("\ta\n  b"), "\ta\n  b\n");
    EXPECT_EQ(stringByRemoveIndentToTop(""), "");
    EXPECT_EQ(stringByRemoveIndentToTop("\n\r\n"), "");
}

TEST(StringUtils, ContinuousCountsLookAtOneCharacter)
{
    EXPECT_EQ(countTailContinuousString("a\t\t", "\t"), 2);
    EXPECT_EQ(countTailContinuousString("", "\t"), 0);
    EXPECT_EQ(countHeadContinuousString("\t\ta\t", "\t"), 2);
    EXPECT_EQ(countHeadContinuousString("---", "-"), 3);
    EXPECT_EQ(countHeadContinuousString("\t\ta", "\t\t"), 0);
    EXPECT_EQ(countHeadContinuousString("\t\ta", ""), 0);
}

TEST(StringUtils, CountsCharactersAndStrings)
{
    EXPECT_EQ(countOfChar("a,b,c", CharacterSet::characterSetWithCharactersInString(",")), 2u);
    EXPECT_EQ(countOfString("a;b;;c", ";"), 3u);
    EXPECT_EQ(countOfString("aaaa", "aa"), 2u);
    EXPECT_EQ(countOfString("abc", ""), 0u);
    EXPECT_EQ(countOfString("", "a"), 0u);
    // The default scanner ignores case and passes over blanks before each step.
    EXPECT_EQ(countOfString("Px px", "px"), 2u);
    EXPECT_EQ(countOfString("a b", " b"), 0u);
}

TEST(StringUtils, MinDigitsCountsTheDecimalPlaces)
{
    EXPECT_EQ(minDigits("1.25"), -2);
    EXPECT_EQ(minDigits("3"), 0);
    EXPECT_EQ(minDigits("3."), 0);
    EXPECT_EQ(minDigits(".5"), -1);
}

TEST(StringUtils, HtmlEscapeDoesNotEscapeTwice)
{
    EXPECT_EQ(htmlEscape("a &amp; b"), "a &amp; b");
    EXPECT_EQ(htmlEscape("a & b < c"), "a &amp; b &lt; c");
    EXPECT_EQ(htmlEscape(QString::fromUtf16(u"a\u00A0b c")), "a&nbsp;b c");
    EXPECT_EQ(htmlEscape("&copy; caf\u00e9"), QString::fromUtf16(u"\u00A9 caf\u00e9"));
}

TEST(StringUtils, PathHelpersHandleTheRoot)
{
    EXPECT_EQ(pathComponents("/p/a//b/"), QStringList({"/", "p", "a", "b"}));
    EXPECT_EQ(stringByDeletingLastPathComponent("/p"), "/");
    EXPECT_EQ(stringByDeletingLastPathComponent("/"), "/");
    EXPECT_EQ(stringByDeletingLastPathComponent("a"), "");
    EXPECT_EQ(stringByDeletingLastPathComponent("/p/a/"), "/p");
    EXPECT_EQ(stringByAppendingPathComponent("../../", "x"), "../../x");
}

TEST(StringValidator, UrlNeedsSchemeAndHost)
{
    EXPECT_TRUE(StringValidator::isValidURL("http://example.com"));
    EXPECT_TRUE(StringValidator::isValidURL("https://example.com:8080/a?b=c"));
    EXPECT_FALSE(StringValidator::isValidURL("example.com"));
    EXPECT_FALSE(StringValidator::isValidURL("/var/www/index.html"));
    EXPECT_FALSE(StringValidator::isValidURL("file:///var/www/index.html"));
    EXPECT_FALSE(StringValidator::isValidURL(""));
}

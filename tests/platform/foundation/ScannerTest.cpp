#include "platform/foundation/Scanner.h"

#include <gtest/gtest.h>

TEST(Scanner, SkipsBlanksAndLineBreaksBeforeEachStep)
{
    Scanner scanner(" \n\tabc;  def");
    QString piece;
    EXPECT_TRUE(scanner.scanUpToCharactersFromSet(CharacterSet::characterSetWithCharactersInString(";"), &piece));
    EXPECT_EQ(piece, "abc");
    EXPECT_TRUE(scanner.scanString(";"));
    EXPECT_TRUE(scanner.scanCharactersFromSet(CharacterSet::characterSetWithCharactersInString("def"), &piece));
    EXPECT_EQ(piece, "def");
    EXPECT_TRUE(scanner.isAtEnd());
}

TEST(Scanner, FailedStepLeavesThePositionWhereItWas)
{
    Scanner scanner("  ;x");
    EXPECT_FALSE(scanner.scanUpToCharactersFromSet(CharacterSet::characterSetWithCharactersInString(";")));
    EXPECT_EQ(scanner.scanLocation(), 0);
    EXPECT_FALSE(scanner.scanString("x"));
    EXPECT_EQ(scanner.scanLocation(), 0);
    EXPECT_FALSE(scanner.scanCharactersFromSet(CharacterSet::characterSetWithCharactersInString("x")));
    EXPECT_EQ(scanner.scanLocation(), 0);
}

TEST(Scanner, IsAtEndWhenOnlySkippedCharactersAreLeft)
{
    Scanner scanner("a \n ");
    EXPECT_FALSE(scanner.isAtEnd());
    scanner.scanString("a");
    EXPECT_TRUE(scanner.isAtEnd());
    scanner.setCharactersToBeSkipped(CharacterSet());
    EXPECT_FALSE(scanner.isAtEnd());
}

TEST(Scanner, StringMatchingIgnoresCaseUnlessAsked)
{
    Scanner scanner("Hello WORLD");
    QString piece;
    EXPECT_TRUE(scanner.scanUpToString("world", &piece));
    EXPECT_EQ(piece, "Hello ");
    EXPECT_TRUE(scanner.scanString("world", &piece));
    EXPECT_EQ(piece, "WORLD");

    Scanner strict("Hello WORLD");
    strict.setCaseSensitive(true);
    EXPECT_TRUE(strict.scanUpToString("world", &piece));
    EXPECT_EQ(piece, "Hello WORLD");
}

TEST(Scanner, WhitespaceClassesFollowUnicode)
{
    const CharacterSet both = CharacterSet::whitespaceAndNewlineCharacterSet();
    for (char16_t c : {u' ', u'\t', u'\n', u'\r', char16_t(0x00A0), char16_t(0x2028), char16_t(0x3000)})
        EXPECT_TRUE(both.characterIsMember(QChar(c))) << int(c);
    EXPECT_FALSE(both.characterIsMember(QChar(u'x')));
    EXPECT_FALSE(CharacterSet::whitespaceCharacterSet().characterIsMember(QChar(u'\n')));
    EXPECT_TRUE(both.invertedSet().characterIsMember(QChar(u'x')));
    EXPECT_FALSE(CharacterSet().characterIsMember(QChar(u' ')));
}

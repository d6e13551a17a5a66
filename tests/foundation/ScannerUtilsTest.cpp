#include "foundation/ScannerUtils.h"

#include "platform/foundation/Scanner.h"

#include "TestPrinters.h"

#include <gtest/gtest.h>

namespace {

struct Call
{
    QString character;
    QString previous;
    QString text;
    bool isDelimiter;
    friend bool operator==(const Call &, const Call &) = default;
};

void PrintTo(const Call &call, std::ostream *os)
{
    *os << "(\"" << call.character.toStdString() << "\", \"" << call.previous.toStdString() << "\", \""
        << call.text.toStdString() << "\", " << (call.isDelimiter ? "YES" : "NO") << ")";
}

std::vector<Call> callsForSet(const QString &text, const QString &delimiters, Scanner *scanner = nullptr)
{
    Scanner own(text);
    Scanner &s = scanner ? *scanner : own;
    std::vector<Call> calls;
    ScannerUtils::scanWithCharacterSet(s, CharacterSet::characterSetWithCharactersInString(delimiters),
                                       [&](const QString &c, const QString &previous, QString &piece, bool isDelimiter) {
                                           calls.push_back({c, previous, piece, isDelimiter});
                                       });
    return calls;
}

std::vector<Call> callsForString(const QString &text, const QString &delimiter)
{
    Scanner scanner(text);
    std::vector<Call> calls;
    ScannerUtils::scanWithString(scanner, delimiter,
                                 [&](const QString &c, const QString &previous, QString &piece, bool isDelimiter) {
                                     calls.push_back({c, previous, piece, isDelimiter});
                                 });
    return calls;
}

} // namespace

TEST(ScannerUtils, RunOfDelimitersAfterAPieceReportsEachDelimiterOnce)
{
    const std::vector<Call> expected = {
        {";", "a", "a", false},
        {";", ";", ";", true},
        {"", ";", "b", false},
    };
    EXPECT_EQ(callsForSet("a;;b", ";"), expected);
}

TEST(ScannerUtils, LeadingDelimiterIsReportedWithTheFirstCharacterAsPrevious)
{
    const std::vector<Call> expected = {
        {";", ";", ";", true},
        {"", ";", "a", false},
    };
    EXPECT_EQ(callsForSet(";a", ";"), expected);
}

TEST(ScannerUtils, LeadingRunReportsEveryDelimiterAndTheClosingOneEndsThePiece)
{
    const std::vector<Call> expected = {
        {"{", "{", "{", true},
        {"{", "{", "{", true},
        {"}", "{", "a", false},
    };
    EXPECT_EQ(callsForSet("{{a}", "{}"), expected);
}

TEST(ScannerUtils, EmptyTextGivesNoCall)
{
    EXPECT_TRUE(callsForSet("", ";").empty());
    EXPECT_TRUE(callsForSet("  \n ", ";").empty());
    EXPECT_TRUE(callsForString("", "--").empty());
}

TEST(ScannerUtils, PiecesDoNotStartWithSkippedBlanks)
{
    const std::vector<Call> expected = {
        {"(", "l", "linear-gradient", false},
        {",", "(", "red ", false},
        {")", ",", "blue", false},
    };
    EXPECT_EQ(callsForSet("linear-gradient( red , blue)", "(),"), expected);

    // A delimiter behind blanks after a piece still comes once, as its own call.
    const std::vector<Call> spaced = {
        {";", "a", "a", false},
        {";", ";", ";", true},
        {"", ";", "b", false},
    };
    EXPECT_EQ(callsForSet("a; ;b", ";"), spaced);
}

TEST(ScannerUtils, WithoutSkippingPiecesKeepTheirBlanks)
{
    Scanner scanner(" a ;b");
    scanner.setCharactersToBeSkipped(CharacterSet());
    const std::vector<Call> expected = {
        {";", " ", " a ", false},
        {"", ";", "b", false},
    };
    EXPECT_EQ(callsForSet(" a ;b", ";", &scanner), expected);
    EXPECT_EQ(scanner.scanLocation(), 5);
}

TEST(ScannerUtils, ScanStartsAtTheScannersPositionAndLeavesItAtTheEnd)
{
    Scanner scanner("x=1;y=2");
    scanner.setScanLocation(4);
    const std::vector<Call> expected = {
        {"=", "x", "y", false},
        {"", "=", "2", false},
    };
    EXPECT_EQ(callsForSet("x=1;y=2", "=;", &scanner), expected);
    EXPECT_TRUE(scanner.isAtEnd());
}

TEST(ScannerUtils, ScanWithStringNeverReportsTheDelimiter)
{
    const std::vector<Call> expected = {
        {"-", "a", "a", false},
        {"", "-", "b", false},
    };
    EXPECT_EQ(callsForString("a--b", "--"), expected);

    const std::vector<Call> leading = {
        {"-", "-", "a", false},
        {"-", "-", "b", false},
    };
    EXPECT_EQ(callsForString("--a----b--", "--"), leading);
}

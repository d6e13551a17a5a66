#include "foundation/DataUtils.h"

#include "TestPrinters.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

using namespace StringEncoding;

namespace {

QByteArray fixture(const char *name)
{
    const QByteArray data = TestUtil::readFile(QStringLiteral(QUILLMARK_TEST_DATA "/encodings/") + name);
    EXPECT_FALSE(data.isEmpty()) << name;
    return data;
}

struct Row
{
    const char *file;
    quint32 encoding;
    const char16_t *text;
};

const Row kRows[] = {
    {"utf8.html", UTF8, u"<p>Caf\u00e9 \u2014 na\u00efve \u65e5\u672c\u8a9e \U0001F600</p>\n"},
    {"utf8-bom.css", UTF8WithBOM, u"body { font-family: \"Noto\"; } /* \u00e9 */\n"},
    {"shift-jis.css", ShiftJIS,
     u"/* \u898b\u51fa\u3057\u306e\u30b9\u30bf\u30a4\u30eb */\nh1::before { content: \"\u3053\u3093\u306b\u3061\u306f\\\\\"; }\n"},
    {"euc-jp.css", JapaneseEUC,
     u"/* \u898b\u51fa\u3057\u306e\u30b9\u30bf\u30a4\u30eb */\nh1::before { content: \"\u3053\u3093\u306b\u3061\u306f\\\\\"; }\n"},
    {"latin1-resume.txt", ISOLatin1, u"r\u00e9sum\u00e9"},
    {"latin1-creme-brulee.txt", ISOLatin1, u"Cr\u00e8me br\u00fbl\u00e9e"},
    {"latin1-page.html", ISOLatin1,
     u"<p>Cr\u00e8me br\u00fbl\u00e9e, caf\u00e9 au lait, \u00c7a va? \u00c0 bient\u00f4t. Na\u00efve \u00e9l\u00e8ve!</p>\n"},
    {"windows-1252-quotes.txt", WindowsCP1252,
     u"\u201cCr\u00e8me br\u00fbl\u00e9e\u201d \u2014 it\u2019s \u00e0 la carte\u2026 \u20ac5\n"},
    {"windows-1252-quotes-only.txt", WindowsCP1252, u"\u201cHello\u201d \u2013 it\u2019s fine\u2026\n"},
    {"windows-1252-lone-accent.txt", WindowsCP1252, u"Rendez-vous \u00e0 Paris\u2026\n"},
    {"windows-1251.txt", WindowsCP1251,
     u"\u00ab\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440\u00bb \u2014 \u0441\u044a\u0435\u0448\u044c \u0436\u0435 "
     u"\u0435\u0449\u0451 \u044d\u0442\u0438\u0445 \u043c\u044f\u0433\u043a\u0438\u0445 \u0431\u0443\u043b\u043e\u043a\u2026\n"},
    {"utf16le-bom.txt", Unicode, u"Hello, \u4e16\u754c \u00e9\n"},
    {"utf16be-bom.txt", UTF16BigEndianWithBOM, u"Hello, \u4e16\u754c \u00e9\n"},
    {"utf32le-bom.txt", UTF32, u"Hi \u00e9\U0001F600\n"},
};

} // namespace

TEST(DataUtils, DetectsTheEncodingOfEachFixture)
{
    for (const Row &row : kRows) {
        const QByteArray data = fixture(row.file);
        const auto decoded = DataUtils::decodeWithAutoEncode(data);
        ASSERT_TRUE(decoded.has_value()) << row.file;
        EXPECT_EQ(decoded->encoding, row.encoding)
            << row.file << ": " << StringEncoding::name(decoded->encoding).toStdString();
        EXPECT_EQ(decoded->text, QString::fromUtf16(row.text)) << row.file;
        EXPECT_EQ(DataUtils::detectEncoding(data), row.encoding) << row.file;
        EXPECT_EQ(DataUtils::stringWithAutoEncode(data), QString::fromUtf16(row.text)) << row.file;
    }
}

TEST(DataUtils, UnchangedTextIsWrittenBackToTheSameBytes)
{
    for (const Row &row : kRows) {
        const QByteArray data = fixture(row.file);
        const auto decoded = DataUtils::decodeWithAutoEncode(data);
        ASSERT_TRUE(decoded.has_value()) << row.file;
        EXPECT_EQ(DataUtils::encode(decoded->text, decoded->encoding), data) << row.file;
    }
}

TEST(DataUtils, SevenBitIsoJapaneseIsValidUtf8AndKeepsItsBytes)
{
    // UTF-8 comes first, and ISO-2022-JP is plain 7-bit data with escapes.
    const QByteArray data = fixture("iso-2022-jp.txt");
    EXPECT_EQ(DataUtils::detectEncoding(data), UTF8);
    EXPECT_EQ(DataUtils::encode(*DataUtils::stringWithAutoEncode(data), UTF8), data);
    const QString japanese = QString::fromUtf16(u"\u4ef6\u540d: \u3053\u3093\u306b\u3061\u306f\u3001\u4e16\u754c\n");
    EXPECT_EQ(StringEncoding::decode(data, ISO2022JP), japanese);
    EXPECT_EQ(DataUtils::encode(japanese, ISO2022JP), data);
}

TEST(DataUtils, LatinTextThatIsAlsoValidShiftJisIsReadAsLatin)
{
    // "Crème brûlée" in Latin 1 happens to be well-formed Shift-JIS: three kanji.
    const QByteArray data = fixture("latin1-creme-brulee.txt");
    ASSERT_TRUE(StringEncoding::decode(data, ShiftJIS).has_value());
    EXPECT_EQ(DataUtils::detectEncoding(data), ISOLatin1);

    // Capital accented letters are half-width katakana in Shift-JIS.
    EXPECT_EQ(DataUtils::detectEncoding(QByteArray("\xC9T\xC9 \xC0 Paris")), ISOLatin1);
}

TEST(DataUtils, LatinTextIsNotReadAsBomLessUtf16)
{
    // Even length, no byte-order mark.
    const QByteArray data = fixture("latin1-resume.txt");
    ASSERT_EQ(data.size() % 2, 0);
    ASSERT_TRUE(StringEncoding::decode(data, Unicode).has_value());
    EXPECT_EQ(DataUtils::detectEncoding(data), ISOLatin1);
}

TEST(DataUtils, Utf8WinsEvenWhenLaterEncodingsAcceptTheData)
{
    const QByteArray data = QString::fromUtf16(u"caf\u00e9").toUtf8();
    ASSERT_TRUE(StringEncoding::decode(data, ISOLatin1).has_value());
    EXPECT_EQ(DataUtils::detectEncoding(data), UTF8);
    EXPECT_EQ(DataUtils::detectEncoding("plain ascii"), UTF8);
    EXPECT_EQ(DataUtils::detectEncoding(QByteArray()), UTF8);
}

TEST(DataUtils, InvalidUtf8IsRefused)
{
    const QByteArray samples[] = {
        QByteArray("\xC0\x80", 2),         // overlong NUL
        QByteArray("\xED\xA0\x80"),        // surrogate
        QByteArray("\xF4\x90\x80\x80"),    // beyond U+10FFFF
        QByteArray("a\xE2\x82"),           // truncated
        QByteArray("\x80"),                // stray continuation byte
    };
    for (const QByteArray &data : samples)
        EXPECT_FALSE(StringEncoding::decode(data, UTF8).has_value()) << data.toHex().toStdString();
}

TEST(DataUtils, EncodeRefusesCharactersTheEncodingLacks)
{
    EXPECT_EQ(DataUtils::encode(QString::fromUtf16(u"\u65e5"), ISOLatin1), std::nullopt);
    EXPECT_EQ(DataUtils::encode(QString::fromUtf16(u"\u00e9"), ASCII), std::nullopt);
    EXPECT_EQ(DataUtils::encode(QString::fromUtf16(u"\u20ac"), ISOLatin1), std::nullopt);
    EXPECT_EQ(DataUtils::encode(QString::fromUtf16(u"\u20ac"), WindowsCP1252), QByteArray("\x80"));
    EXPECT_EQ(DataUtils::encode("a", NEXTSTEP), std::nullopt);
}

TEST(DataUtils, ShiftJisKeepsBackslashes)
{
    EXPECT_EQ(StringEncoding::decode("a\\b~", ShiftJIS), QString("a\\b~"));
    EXPECT_EQ(DataUtils::encode("a\\b~", ShiftJIS), QByteArray("a\\b~"));
}

TEST(DataUtils, EveryEncodingOfTheOrderRoundTripsItsOwnText)
{
    const QString ascii = QStringLiteral("body { color: red; } \\ ~");
    for (quint32 encoding : DataUtils::autoEncodeOrder()) {
        if (!StringEncoding::isSupported(encoding))
            continue;
        const auto bytes = DataUtils::encode(ascii, encoding);
        ASSERT_TRUE(bytes.has_value()) << StringEncoding::name(encoding).toStdString();
        EXPECT_EQ(StringEncoding::decode(*bytes, encoding), ascii) << StringEncoding::name(encoding).toStdString();
    }
    const QString accented = QString::fromUtf16(u"\u00e9\u00e8 \\ \u00fc");
    const auto nonLossy = DataUtils::encode(accented, NonLossyASCII);
    EXPECT_EQ(nonLossy, QByteArray("\\u00e9\\u00e8 \\\\ \\u00fc"));
    EXPECT_EQ(StringEncoding::decode(*nonLossy, NonLossyASCII), accented);
}

TEST(DataUtils, BomLessUtf16IsRefusedByTheUnicodeEntry)
{
    // Only the explicit conversion reads it.
    const QByteArray data = QByteArray("h\0i\0", 4);
    EXPECT_EQ(StringEncoding::decode(data, UTF16LittleEndian), QString("hi"));
    EXPECT_NE(DataUtils::detectEncoding(data), quint32(Unicode));
    // A lone surrogate is not UTF-16.
    EXPECT_EQ(StringEncoding::decode(QByteArray("\xFF\xFE\x00\xD8", 4), Unicode), std::nullopt);
}

// --- A UTF-8 file with bytes that are not UTF-8 ----------------------------------------------

TEST(DataUtils, Utf8WithAStrayByteIsReadAsUtf8AndKeepsTheByte)
{
    // Three accented letters and a dash in UTF-8, then one Latin-1 "é".
    const QByteArray data = fixture("utf8-stray-byte.html");
    const auto decoded = DataUtils::decodeWithAutoEncode(data);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->encoding, UTF8);
    EXPECT_EQ(decoded->keptBytes, 1);
    EXPECT_EQ(decoded->firstKeptLine, 2);
    const QString expected = QString::fromUtf16(u"<p>caf\u00e9 \u2014 na\u00efve</p>\n<p>r") + QChar(0xDCE9)
                             + QStringLiteral("sum</p>\n");
    EXPECT_EQ(decoded->text, expected);
    EXPECT_EQ(DataUtils::encode(decoded->text, UTF8), data);
}

TEST(DataUtils, AnEditOfAUtf8FileWithAStrayByteChangesOnlyTheEditedBytes)
{
    const QByteArray data = fixture("utf8-stray-byte.html");
    QString text = DataUtils::decodeWithAutoEncode(data)->text;
    text.replace(QStringLiteral("<p>caf"), QString::fromUtf16(u"<p>\u2192 caf"));
    QByteArray expected = data;
    expected.replace("<p>caf", "<p>\xe2\x86\x92 caf");
    EXPECT_EQ(DataUtils::encode(text, UTF8), expected);
}

TEST(DataUtils, DataWithMoreBadBytesThanUtf8IsNotReadAsUtf8)
{
    // One UTF-8 letter by chance, two Latin-1 letters: Latin text.
    const QByteArray data("d\xe9j\xe0 vu \xc3\xa9");
    EXPECT_NE(DataUtils::detectEncoding(data), UTF8);
    EXPECT_EQ(DataUtils::decodeWithAutoEncode(data)->keptBytes, 0);
}

TEST(DataUtils, AnUnpairedSurrogateIsNeverWrittenAsAQuestionMark)
{
    const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    for (quint32 encoding : {quint32(UTF8), quint32(UTF8WithBOM), quint32(ISOLatin1), quint32(WindowsCP1252)}) {
        EXPECT_EQ(DataUtils::encode(lone, encoding), std::nullopt) << StringEncoding::name(encoding).toStdString();
        EXPECT_FALSE(StringEncoding::canEncode(lone, encoding)) << StringEncoding::name(encoding).toStdString();
    }
    // A kept byte is no text in any other encoding either.
    const QString kept = QStringLiteral("a") + QChar(0xDCE9);
    EXPECT_EQ(DataUtils::encode(kept, UTF8), QByteArray("a\xe9"));
    EXPECT_EQ(DataUtils::encode(kept, ISOLatin1), std::nullopt);
}

TEST(DataUtils, CanEncodeLooksAtTheCharactersOnly)
{
    EXPECT_TRUE(StringEncoding::canEncode(u"caf\u00e9", ISOLatin1));
    EXPECT_FALSE(StringEncoding::canEncode(u"\u2192", ISOLatin1));
    EXPECT_TRUE(StringEncoding::canEncode(u"\u20ac \u2014", WindowsCP1252));
    EXPECT_FALSE(StringEncoding::canEncode(u"\u2192", WindowsCP1252));
    EXPECT_TRUE(StringEncoding::canEncode(u"\u3053\u3093", ShiftJIS));
    EXPECT_TRUE(StringEncoding::canEncode(u"\U0001F600", UTF8));
    EXPECT_TRUE(StringEncoding::canEncode(u"plain", MacRoman));
}

#include "DataUtils.h"

namespace DataUtils {

using namespace StringEncoding;

namespace {

enum class Bom { None, Utf8, Utf16BigEndian, Utf16LittleEndian, Utf32BigEndian, Utf32LittleEndian };

Bom byteOrderMark(const QByteArray &data)
{
    // The UTF-32 little-endian mark begins with the UTF-16 one: test it first.
    if (data.startsWith(QByteArray("\x00\x00\xFE\xFF", 4)))
        return Bom::Utf32BigEndian;
    if (data.startsWith(QByteArray("\xFF\xFE\x00\x00", 4)))
        return Bom::Utf32LittleEndian;
    if (data.startsWith("\xFE\xFF"))
        return Bom::Utf16BigEndian;
    if (data.startsWith("\xFF\xFE"))
        return Bom::Utf16LittleEndian;
    if (data.startsWith("\xEF\xBB\xBF"))
        return Bom::Utf8;
    return Bom::None;
}

bool hasJapaneseEvidence(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x3000 && c.unicode() <= 0x30FF)
            return true;
    }
    return false;
}

bool hasC1Bytes(const QByteArray &data)
{
    for (char c : data) {
        if (uchar(c) >= 0x80 && uchar(c) <= 0x9F)
            return true;
    }
    return false;
}

// True when the text holds a word of two or more letters of the script
// [first, last] and no word that mixes such letters with ASCII letters.
bool isPlausibleScript(const QString &text, char16_t first, char16_t last)
{
    bool sawWord = false;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        if (!text.at(i).isLetter()) {
            ++i;
            continue;
        }
        int scriptLetters = 0;
        bool asciiLetter = false;
        while (i < size && text.at(i).isLetter()) {
            const char16_t u = text.at(i).unicode();
            if (u >= first && u <= last)
                ++scriptLetters;
            else if (u < 0x80)
                asciiLetter = true;
            ++i;
        }
        if (scriptLetters > 0 && asciiLetter)
            return false;
        if (scriptLetters >= 2)
            sawWord = true;
    }
    return sawWord;
}

// Decodes the data in one entry of the detection order, applying that
// entry's rules; answers the number to report, which differs from the entry
// for the byte-order-mark variants.
std::optional<DecodedText> tryEntry(const QByteArray &data, quint32 entry, Bom bom)
{
    const bool utf16or32Bom = bom != Bom::None && bom != Bom::Utf8;
    quint32 reported = entry;
    switch (entry) {
    case UTF8:
        if (utf16or32Bom)
            return std::nullopt;
        if (bom == Bom::Utf8)
            reported = UTF8WithBOM;
        break;
    case Unicode:
        if (bom == Bom::Utf16BigEndian)
            reported = UTF16BigEndianWithBOM;
        else if (bom != Bom::Utf16LittleEndian)
            return std::nullopt;
        break;
    case UTF32:
        if (bom == Bom::Utf32BigEndian)
            reported = UTF32BigEndianWithBOM;
        else if (bom != Bom::Utf32LittleEndian)
            return std::nullopt;
        break;
    case NEXTSTEP:
    case Symbol:
        return std::nullopt;
    case ISOLatin1:
    case ISOLatin2:
        if (utf16or32Bom || hasC1Bytes(data))
            return std::nullopt;
        break;
    default:
        if (utf16or32Bom)
            return std::nullopt;
        break;
    }

    std::optional<QString> text = decode(data, reported);
    if (!text)
        return std::nullopt;

    switch (entry) {
    case ShiftJIS:
    case JapaneseEUC:
    case ISO2022JP:
        if (!hasJapaneseEvidence(*text))
            return std::nullopt;
        break;
    case WindowsCP1251:
        if (!isPlausibleScript(*text, 0x0400, 0x04FF))
            return std::nullopt;
        break;
    case WindowsCP1253:
        if (!isPlausibleScript(*text, 0x0370, 0x03FF))
            return std::nullopt;
        break;
    default:
        break;
    }
    return DecodedText{*text, reported};
}

} // namespace

const QList<quint32> &autoEncodeOrder()
{
    static const QList<quint32> order = {
        UTF8, ShiftJIS, JapaneseEUC, ISO2022JP, Unicode, ASCII, NEXTSTEP, ISOLatin1, Symbol, NonLossyASCII,
        ISOLatin2, WindowsCP1251, WindowsCP1252, WindowsCP1253, WindowsCP1254, WindowsCP1250, MacRoman,
        UTF16LittleEndian, UTF32, UTF32LittleEndian,
    };
    return order;
}

// UTF-8 with a few bytes that are not, kept as they are.
std::optional<DecodedText> tryLenientUtf8(const QByteArray &data, Bom bom)
{
    if (bom != Bom::None && bom != Bom::Utf8)
        return std::nullopt;
    const QByteArrayView body = bom == Bom::Utf8 ? QByteArrayView(data).sliced(3) : QByteArrayView(data);
    LenientUtf8 lenient = decodeUtf8KeepingInvalidBytes(body);
    if (lenient.keptBytes == 0 || lenient.multiByteSequences <= lenient.keptBytes)
        return std::nullopt;
    return DecodedText{std::move(lenient.text), bom == Bom::Utf8 ? quint32(UTF8WithBOM) : quint32(UTF8),
                       lenient.keptBytes, lenient.firstKeptLine};
}

std::optional<DecodedText> decodeWithAutoEncode(const QByteArray &data)
{
    const Bom bom = byteOrderMark(data);
    for (quint32 entry : autoEncodeOrder()) {
        if (auto decoded = tryEntry(data, entry, bom))
            return decoded;
        if (entry == ISO2022JP) {
            if (auto decoded = tryLenientUtf8(data, bom))
                return decoded;
        }
    }
    return std::nullopt;
}

std::optional<QString> stringWithAutoEncode(const QByteArray &data)
{
    if (auto decoded = decodeWithAutoEncode(data))
        return decoded->text;
    return std::nullopt;
}

quint32 detectEncoding(const QByteArray &data)
{
    if (auto decoded = decodeWithAutoEncode(data))
        return decoded->encoding;
    return 0;
}

std::optional<QByteArray> encode(const QString &text, quint32 encoding)
{
    return StringEncoding::encode(text, encoding);
}

} // namespace DataUtils

#include "StringEncoding.h"

#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace StringEncoding {

namespace {

// The glibc converter behind each encoding that is not converted by hand.
// Shift-JIS is read as Windows code page 932: it keeps 0x5C a backslash,
// which plain Shift_JIS would turn into a yen sign in every style sheet.
const char *iconvName(quint32 encoding)
{
    switch (encoding) {
    case JapaneseEUC: return "EUC-JP";
    case ShiftJIS: return "CP932";
    case ISO2022JP: return "ISO-2022-JP";
    case ISOLatin2: return "ISO-8859-2";
    case WindowsCP1251: return "CP1251";
    case WindowsCP1252: return "CP1252";
    case WindowsCP1253: return "CP1253";
    case WindowsCP1254: return "CP1254";
    case WindowsCP1250: return "CP1250";
    case MacRoman: return "MACINTOSH";
    default: return nullptr;
    }
}

// Converts all of `input`, failing on the first invalid, unmapped or
// incomplete sequence.
std::optional<QByteArray> iconvConvert(const char *from, const char *to, const QByteArray &input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return std::nullopt;

    QByteArray output(input.size() * 2 + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = size_t(input.size());
    size_t written = 0;
    bool ok = true;
    bool flushing = false;
    for (;;) {
        char *out = output.data() + written;
        size_t outLeft = size_t(output.size()) - written;
        // A null input asks the converter to return to its initial shift state,
        // which ISO-2022-JP writes as an escape sequence.
        const size_t result = flushing ? iconv(cd, nullptr, nullptr, &out, &outLeft)
                                       : iconv(cd, &in, &inLeft, &out, &outLeft);
        written = size_t(out - output.data());
        if (result == size_t(-1)) {
            if (errno == E2BIG) {
                output.resize(output.size() * 2);
                continue;
            }
            ok = false; // EILSEQ or EINVAL
            break;
        }
        if (flushing)
            break;
        flushing = true;
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    output.resize(qsizetype(written));
    return output;
}

// The length of the valid UTF-8 sequence of two to four bytes at `i`, with
// its code point; 0 when the bytes there are no such sequence.
int utf8SequenceAt(const uchar *p, qsizetype size, qsizetype i, char32_t *codePoint)
{
    const uchar b = p[i];
    int extra;
    char32_t min;
    char32_t value;
    if ((b & 0xE0) == 0xC0) {
        extra = 1, min = 0x80, value = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2, min = 0x800, value = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3, min = 0x10000, value = b & 0x07;
    } else {
        return 0;
    }
    if (i + extra >= size)
        return 0;
    for (int k = 1; k <= extra; ++k) {
        if ((p[i + k] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i + k] & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return extra + 1;
}

bool isValidUtf8(const QByteArray &data)
{
    const auto *p = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype size = data.size();
    qsizetype i = 0;
    while (i < size) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t value;
        const int length = utf8SequenceAt(p, size, i, &value);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

// UTF-8 with a kept byte written back as that byte; nullopt for an unpaired
// surrogate that is no kept byte.
std::optional<QByteArray> encodeUtf8KeepingBytes(const QString &text)
{
    QByteArray data;
    data.reserve(text.size() + text.size() / 4);
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!isKeptByte(c))
            return std::nullopt;
        data += QStringView(text).sliced(start, i - start).toUtf8();
        data += char(c.unicode() - 0xDC00);
        start = i + 1;
    }
    data += QStringView(text).sliced(start).toUtf8();
    return data;
}

bool hasUnpairedSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

std::optional<QString> decodeUtf16(QByteArrayView data, bool bigEndian)
{
    if (data.size() % 2)
        return std::nullopt;
    QString text(data.size() / 2, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out[i] = bigEndian ? qFromBigEndian<quint16>(data.data() + 2 * i)
                           : qFromLittleEndian<quint16>(data.data() + 2 * i);
    }
    // Surrogates must come in pairs.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return std::nullopt;
            ++i;
        } else if (c.isLowSurrogate()) {
            return std::nullopt;
        }
    }
    return text;
}

std::optional<QString> decodeUtf32(QByteArrayView data, bool bigEndian)
{
    if (data.size() % 4)
        return std::nullopt;
    QString text;
    text.reserve(data.size() / 4);
    for (qsizetype i = 0; i < data.size(); i += 4) {
        const char32_t value = bigEndian ? qFromBigEndian<quint32>(data.data() + i)
                                         : qFromLittleEndian<quint32>(data.data() + i);
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return std::nullopt;
        const char32_t codePoint[] = {value};
        text += QString::fromUcs4(codePoint, 1);
    }
    return text;
}

QByteArray encodeUtf16(const QString &text, bool bigEndian)
{
    QByteArray data(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (bigEndian)
            qToBigEndian<quint16>(text.at(i).unicode(), data.data() + 2 * i);
        else
            qToLittleEndian<quint16>(text.at(i).unicode(), data.data() + 2 * i);
    }
    return data;
}

QByteArray encodeUtf32(const QString &text, bool bigEndian)
{
    const QList<uint> codePoints = text.toUcs4();
    QByteArray data(codePoints.size() * 4, Qt::Uninitialized);
    for (qsizetype i = 0; i < codePoints.size(); ++i) {
        if (bigEndian)
            qToBigEndian<quint32>(codePoints.at(i), data.data() + 4 * i);
        else
            qToLittleEndian<quint32>(codePoints.at(i), data.data() + 4 * i);
    }
    return data;
}

bool isSevenBit(const QByteArray &data)
{
    for (char c : data) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

// ASCII in which other characters are written "\uXXXX" and a backslash "\\";
// a backslash followed by three octal digits is read too.
std::optional<QString> decodeNonLossyAscii(const QByteArray &data)
{
    if (!isSevenBit(data))
        return std::nullopt;
    QString text;
    text.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c != '\\' || i + 1 >= data.size()) {
            text += QLatin1Char(c);
            continue;
        }
        const char next = data.at(i + 1);
        bool ok = false;
        if (next == '\\') {
            text += u'\\';
            ++i;
            continue;
        }
        if (next == 'u' && i + 5 < data.size()) {
            const uint unit = data.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                text += QChar(char16_t(unit));
                i += 5;
                continue;
            }
        }
        if (next >= '0' && next <= '3' && i + 3 < data.size()) {
            const uint value = data.mid(i + 1, 3).toUInt(&ok, 8);
            if (ok) {
                text += QChar(char16_t(value));
                i += 3;
                continue;
            }
        }
        text += u'\\';
    }
    return text;
}

QByteArray encodeNonLossyAscii(const QString &text)
{
    QByteArray data;
    data.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            data += "\\\\";
        else if (u < 0x80)
            data += char(u);
        else
            data += QByteArray("\\u") + QByteArray::number(uint(u), 16).rightJustified(4, '0');
    }
    return data;
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QByteArray kUtf16BigEndianBom("\xFE\xFF", 2);
const QByteArray kUtf16LittleEndianBom("\xFF\xFE", 2);
const QByteArray kUtf32BigEndianBom("\x00\x00\xFE\xFF", 4);
const QByteArray kUtf32LittleEndianBom("\xFF\xFE\x00\x00", 4);

} // namespace

std::optional<QString> decode(const QByteArray &data, quint32 encoding)
{
    switch (encoding) {
    case UTF8:
        if (!isValidUtf8(data))
            return std::nullopt;
        return QString::fromUtf8(data);
    case UTF8WithBOM: {
        const QByteArray body = data.startsWith(kUtf8Bom) ? data.mid(3) : data;
        if (!isValidUtf8(body))
            return std::nullopt;
        return QString::fromUtf8(body);
    }
    case ASCII:
        if (!isSevenBit(data))
            return std::nullopt;
        return QString::fromLatin1(data);
    case ISOLatin1:
        return QString::fromLatin1(data);
    case NonLossyASCII:
        return decodeNonLossyAscii(data);
    case Unicode:
    case UTF16BigEndianWithBOM:
        if (data.startsWith(kUtf16LittleEndianBom) && encoding == Unicode)
            return decodeUtf16(QByteArrayView(data).sliced(2), false);
        if (data.startsWith(kUtf16BigEndianBom))
            return decodeUtf16(QByteArrayView(data).sliced(2), true);
        return decodeUtf16(data, true);
    case UTF16LittleEndian:
        return decodeUtf16(data, false);
    case UTF32:
    case UTF32BigEndianWithBOM:
        if (data.startsWith(kUtf32LittleEndianBom) && encoding == UTF32)
            return decodeUtf32(QByteArrayView(data).sliced(4), false);
        if (data.startsWith(kUtf32BigEndianBom))
            return decodeUtf32(QByteArrayView(data).sliced(4), true);
        return decodeUtf32(data, true);
    case UTF32LittleEndian:
        return decodeUtf32(data, false);
    default:
        break;
    }
    const char *converter = iconvName(encoding);
    if (!converter)
        return std::nullopt;
    const auto utf8 = iconvConvert(converter, "UTF-8", data);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

std::optional<QByteArray> encode(const QString &text, quint32 encoding)
{
    // Any other encoding would write an unpaired surrogate as "?".
    const bool unicodeForm = encoding == Unicode || encoding == UTF16BigEndianWithBOM || encoding == UTF16LittleEndian
                             || encoding == UTF32 || encoding == UTF32BigEndianWithBOM || encoding == UTF32LittleEndian;
    if (!unicodeForm && encoding != UTF8 && encoding != UTF8WithBOM && hasUnpairedSurrogate(text))
        return std::nullopt;
    switch (encoding) {
    case UTF8:
        return encodeUtf8KeepingBytes(text);
    case UTF8WithBOM: {
        std::optional<QByteArray> body = encodeUtf8KeepingBytes(text);
        if (!body)
            return std::nullopt;
        return kUtf8Bom + *body;
    }
    case ASCII:
    case ISOLatin1: {
        const char16_t limit = encoding == ASCII ? 0x80 : 0x100;
        for (QChar c : text) {
            if (c.unicode() >= limit)
                return std::nullopt;
        }
        return text.toLatin1();
    }
    case NonLossyASCII:
        return encodeNonLossyAscii(text);
    case Unicode:
        return kUtf16LittleEndianBom + encodeUtf16(text, false);
    case UTF16BigEndianWithBOM:
        return kUtf16BigEndianBom + encodeUtf16(text, true);
    case UTF16LittleEndian:
        return encodeUtf16(text, false);
    case UTF32:
        return kUtf32LittleEndianBom + encodeUtf32(text, false);
    case UTF32BigEndianWithBOM:
        return kUtf32BigEndianBom + encodeUtf32(text, true);
    case UTF32LittleEndian:
        return encodeUtf32(text, false);
    default:
        break;
    }
    const char *converter = iconvName(encoding);
    if (!converter)
        return std::nullopt;
    return iconvConvert("UTF-8", converter, text.toUtf8());
}

bool canEncode(QStringView text, quint32 encoding)
{
    switch (encoding) {
    case UTF8:
    case UTF8WithBOM:
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
            else if (c.isSurrogate() && !isKeptByte(c))
                return false;
        }
        return true;
    case Unicode: case UTF16BigEndianWithBOM: case UTF16LittleEndian:
    case UTF32: case UTF32BigEndianWithBOM: case UTF32LittleEndian:
    case NonLossyASCII:
        return true;
    case ASCII:
    case ISOLatin1: {
        const char16_t limit = encoding == ASCII ? 0x80 : 0x100;
        return std::all_of(text.begin(), text.end(), [limit](QChar c) { return c.unicode() < limit; });
    }
    default:
        break;
    }
    // Plain ASCII goes through every converter here unchanged: only the rest
    // is handed to the converter.
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii || encode(text.toString(), encoding).has_value();
}

LenientUtf8 decodeUtf8KeepingInvalidBytes(QByteArrayView data)
{
    LenientUtf8 result;
    const auto *p = reinterpret_cast<const uchar *>(data.data());
    const qsizetype size = data.size();
    result.text.reserve(size);
    qsizetype line = 1;
    qsizetype i = 0;
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            result.text += QString::fromUtf8(reinterpret_cast<const char *>(p + runStart), end - runStart);
    };
    while (i < size) {
        const uchar b = p[i];
        if (b < 0x80) {
            if (b == '\n')
                ++line;
            ++i;
            continue;
        }
        char32_t value;
        const int length = utf8SequenceAt(p, size, i, &value);
        if (length > 0) {
            ++result.multiByteSequences;
            i += length;
            continue;
        }
        flushRun(i);
        result.text += QChar(char16_t(0xDC00 + b));
        if (result.keptBytes++ == 0)
            result.firstKeptLine = line;
        runStart = ++i;
    }
    flushRun(size);
    return result;
}

bool isSupported(quint32 encoding)
{
    switch (encoding) {
    case UTF8: case UTF8WithBOM: case ASCII: case ISOLatin1: case NonLossyASCII:
    case Unicode: case UTF16BigEndianWithBOM: case UTF16LittleEndian:
    case UTF32: case UTF32BigEndianWithBOM: case UTF32LittleEndian:
        return true;
    default:
        return iconvName(encoding) != nullptr;
    }
}

QString name(quint32 encoding)
{
    switch (encoding) {
    case ASCII: return QStringLiteral("ASCII");
    case NEXTSTEP: return QStringLiteral("NEXTSTEP");
    case JapaneseEUC: return QStringLiteral("EUC-JP");
    case UTF8: return QStringLiteral("UTF-8");
    case ISOLatin1: return QStringLiteral("ISO Latin 1");
    case Symbol: return QStringLiteral("Symbol");
    case NonLossyASCII: return QStringLiteral("non-lossy ASCII");
    case ShiftJIS: return QStringLiteral("Shift-JIS");
    case ISOLatin2: return QStringLiteral("ISO Latin 2");
    case Unicode: return QStringLiteral("UTF-16");
    case WindowsCP1251: return QStringLiteral("Windows-1251");
    case WindowsCP1252: return QStringLiteral("Windows-1252");
    case WindowsCP1253: return QStringLiteral("Windows-1253");
    case WindowsCP1254: return QStringLiteral("Windows-1254");
    case WindowsCP1250: return QStringLiteral("Windows-1250");
    case ISO2022JP: return QStringLiteral("ISO-2022-JP");
    case MacRoman: return QStringLiteral("Mac Roman");
    case UTF16LittleEndian: return QStringLiteral("UTF-16LE");
    case UTF32: return QStringLiteral("UTF-32");
    case UTF32LittleEndian: return QStringLiteral("UTF-32LE");
    case UTF8WithBOM: return QStringLiteral("UTF-8 with BOM");
    case UTF16BigEndianWithBOM: return QStringLiteral("UTF-16BE with BOM");
    case UTF32BigEndianWithBOM: return QStringLiteral("UTF-32BE with BOM");
    default: return QStringLiteral("encoding %1").arg(encoding);
    }
}

} // namespace StringEncoding

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Text encodings by number, and strict conversions between bytes and text.
// The numbers below 1000 are the established ones that saved state and the
// detection order refer to; the numbers from 1001 are ours, for the Unicode
// forms that have no such number and for byte-order-mark variants, so that
// text read from a file can be written back to the same bytes.
namespace StringEncoding {

enum Encoding : quint32 {
    ASCII = 1,
    NEXTSTEP = 2,
    JapaneseEUC = 3,
    UTF8 = 4,
    ISOLatin1 = 5,
    Symbol = 6,
    NonLossyASCII = 7,
    ShiftJIS = 8,
    ISOLatin2 = 9,
    Unicode = 10, // UTF-16 with a byte-order mark; written little-endian
    WindowsCP1251 = 11,
    WindowsCP1252 = 12,
    WindowsCP1253 = 13,
    WindowsCP1254 = 14,
    WindowsCP1250 = 15,
    ISO2022JP = 21,
    MacRoman = 30,

    UTF16LittleEndian = 1001,     // no byte-order mark
    UTF32 = 1002,                 // with a byte-order mark; written little-endian
    UTF32LittleEndian = 1003,     // no byte-order mark
    UTF8WithBOM = 1004,           // EF BB BF, then UTF-8
    UTF16BigEndianWithBOM = 1005, // FE FF, then big-endian UTF-16
    UTF32BigEndianWithBOM = 1006, // 00 00 FE FF, then big-endian UTF-32
};

// The whole data as text, or nullopt when any byte sequence is invalid or
// unmapped in that encoding (or the encoding cannot be converted here).
// Unicode and UTF32 honour either byte-order mark and read big-endian without one.
// UTF8 keeps a leading byte-order mark as U+FEFF; the *WithBOM forms drop it.
std::optional<QString> decode(const QByteArray &data, quint32 encoding);

// The text as bytes, or nullopt when a character cannot be written in that
// encoding. The forms with a byte-order mark write it first. UTF8 and
// UTF8WithBOM write a kept byte (below) as that byte again; any other
// unpaired surrogate can be written in no encoding but UTF-16 and UTF-32.
std::optional<QByteArray> encode(const QString &text, quint32 encoding);

// Whether encode() can write every character of the text in that encoding.
// Looks at the characters only, so a part of a text can be tested alone
// (as long as it does not split a surrogate pair).
bool canEncode(QStringView text, quint32 encoding);

// UTF-8 that holds bytes which are not UTF-8 (a stray Latin-1 byte in a
// UTF-8 file): each such byte is kept as one unpaired low surrogate,
// U+DC80 to U+DCFF for the bytes 0x80 to 0xFF, which no valid UTF-8 can
// produce. encode() in UTF8 writes it back as the byte it was, so an edit
// elsewhere in the text changes none of the file's other bytes.
struct LenientUtf8
{
    QString text;
    // The bytes kept, and the line (from 1) of the first.
    qsizetype keptBytes = 0;
    qsizetype firstKeptLine = 0;
    // The valid sequences of two to four bytes, the evidence that the data
    // is UTF-8 at all.
    qsizetype multiByteSequences = 0;
};
LenientUtf8 decodeUtf8KeepingInvalidBytes(QByteArrayView data);
// Whether the character is a byte kept by decodeUtf8KeepingInvalidBytes().
inline bool isKeptByte(QChar c)
{
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

// True when decode() and encode() can convert the encoding here. NEXTSTEP
// and Symbol have no converter on this platform.
bool isSupported(quint32 encoding);

// A readable name for log lines: "Shift-JIS", "Windows-1252"...
QString name(quint32 encoding);

} // namespace StringEncoding

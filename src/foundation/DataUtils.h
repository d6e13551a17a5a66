#pragma once

#include "platform/foundation/StringEncoding.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Text from file bytes with the encoding chosen automatically, and back.
//
// Encodings are tried in this order; the first that accepts the data wins:
//   UTF-8, Shift-JIS, EUC-JP, ISO-2022-JP, UTF-16 with byte-order mark, ASCII,
//   NEXTSTEP, ISO Latin 1, Symbol, non-lossy ASCII, ISO Latin 2, Windows-1251,
//   Windows-1252, Windows-1253, Windows-1254, Windows-1250, Mac Roman,
//   UTF-16LE, UTF-32, UTF-32LE.
// An encoding accepts the data when the data decodes in it without a single
// invalid or unmapped sequence and, so that Latin text is never read as
// something else, when these rules hold:
// - Data that starts with a UTF-16 or UTF-32 byte-order mark is accepted only
//   by the entry the mark names; a UTF-8 mark is taken by UTF-8.
// - Shift-JIS, EUC-JP and ISO-2022-JP need Japanese evidence in the text: at
//   least one ideographic space or CJK punctuation mark, hiragana or
//   full-width katakana (U+3000 to U+30FF). Accented Latin letters read as
//   Shift-JIS become isolated kanji and half-width katakana, never these.
// - UTF-16 with byte-order mark and UTF-32 need the mark.
// - NEXTSTEP and Symbol have no converter here and accept nothing.
// - ISO Latin 1 and 2 refuse bytes 0x80 to 0x9F: those are control
//   characters in them, and in real files they mean Windows-1252 quotes,
//   dashes and the euro sign.
// - Windows-1251 (Cyrillic) and Windows-1253 (Greek) need a word of two or
//   more letters of their script and no word mixing those letters with ASCII
//   letters, which is what Western accented letters look like in them.
// Data that is UTF-8 but for a few stray bytes is read as UTF-8 when no
// Japanese encoding takes it first (right after ISO-2022-JP): it needs more
// valid sequences of two to four bytes than invalid bytes, so that a Latin
// file with no UTF-8 in it still goes to the Latin entries. Each invalid
// byte is kept as StringEncoding's kept-byte character, and encode() in
// UTF-8 writes it back as it was; DecodedText counts them.
// Detected byte-order-mark variants answer their own numbers (UTF8WithBOM,
// UTF16BigEndianWithBOM, UTF32BigEndianWithBOM), so encode() with the detected
// encoding writes unchanged text back to the same bytes.
namespace DataUtils {

// The decoded text, or nullopt when no encoding accepts the data.
std::optional<QString> stringWithAutoEncode(const QByteArray &data);
// The number of the accepting encoding, 0 when none accepts the data.
quint32 detectEncoding(const QByteArray &data);
// Text and encoding together, when both are needed (one pass over the table).
struct DecodedText
{
    QString text;
    quint32 encoding = 0;
    // Bytes that are not valid in the encoding, kept in the text as they
    // were (UTF-8 only), and the line (from 1) of the first.
    qsizetype keptBytes = 0;
    qsizetype firstKeptLine = 0;
};
std::optional<DecodedText> decodeWithAutoEncode(const QByteArray &data);

// The text as bytes in the encoding; nullopt when a character cannot be
// written in it.
std::optional<QByteArray> encode(const QString &text, quint32 encoding);

// The detection order as encoding numbers.
const QList<quint32> &autoEncodeOrder();

} // namespace DataUtils

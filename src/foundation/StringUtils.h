#pragma once

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Range.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Operations on strings used all over the program. Each takes the string it
// works on first and answers a new value; none keeps state or fails.
// Paths are '/'-separated; a leading '/' is a component of its own and empty
// components (doubled or trailing slashes) are ignored.
namespace StringUtils {

// Literal search; an empty `other` gives false.
bool isIncludeString(const QString &text, const QString &other);
bool isStartWithString(const QString &text, const QString &other);
Range allRange(const QString &text);

// Non-overlapping occurrences, counted the way a default Scanner walks the
// text: blanks and line breaks are passed over before each step and letters
// match regardless of case.
uint countOfString(const QString &text, const QString &other);
uint countOfChar(const QString &text, const CharacterSet &set);

// `path` relative to the folder of the file `baseFilePath` ("~" expanded in
// both): "css/a.css", "../css/a.css", or "." for that folder itself.
QString relativePathFrom(const QString &path, const QString &baseFilePath);
// `path` relative to the folder `basePath`, with "../" steps ("" when equal,
// "../../" for two steps up). Answers `path` when nothing is shared.
QString relativePathForBasePath(const QString &path, const QString &basePath);
// True when `path` equals `ancestor` or lies anywhere below it (literal comparison).
bool isIncludeInPathFrom(const QString &path, const QString &ancestor);

// The lines without their terminators (LF, CR, CRLF, U+0085, U+2028, U+2029);
// "" gives no line and a final terminator opens no further line.
QStringList lineStrings(const QString &text);
// nullopt when the range ends beyond the text; otherwise the 1-based number of
// the line holding the range's start (no number for an empty text).
std::optional<QList<int>> lineNumbersForRange(const QString &text, Range range);
// The text without the tab indent common to all its lines; every line ends
// with "\n". Line breaks around the text are dropped first.
QString stringByRemoveIndentToTop(const QString &text);
// Leading (trailing) characters equal to the one-character `character`; 0
// when `character` is not exactly one character long.
qint32 countHeadContinuousString(const QString &text, const QString &character);
qint32 countTailContinuousString(const QString &text, const QString &character);
// True for ""; with `ignoreWhiteSpace` also for blanks, tabs and line breaks only.
bool isEmptyWithIgnoreWhiteSpace(const QString &text, bool ignoreWhiteSpace);
// True when the path extension is one of the program's text kinds (case-sensitive).
bool isKindOfTextOfExtension(const QString &extension);
// Escapes text for a page without escaping existing references twice; a
// no-break space becomes "&nbsp;".
QString htmlEscape(const QString &text);
// Canonical composition (NFC), as used for path keys.
QString NFCString(const QString &text);
// Minus the number of characters after the first ".", 0 without one: "1.25" is -2.
qint64 minDigits(const QString &text);
inline const QString &string(const QString &text) { return text; }

// Path helpers shared by the operations above.
QStringList pathComponents(const QString &path);
QString stringByAppendingPathComponent(const QString &path, const QString &component);
QString stringByDeletingLastPathComponent(const QString &path);
QString stringByExpandingTildeInPath(const QString &path);

// The lengths of the common start of two texts and of their common end in
// what is left.
std::pair<qsizetype, qsizetype> commonEnds(QStringView a, QStringView b);

// The first `prefix` and last `suffix` characters of text around middle.
QString withMiddle(QStringView text, qsizetype prefix, QStringView middle, qsizetype suffix);

// The text's first line end ("\r\n", "\r" or "\n"), "\n" for a text without one.
QString firstLineEnding(QStringView text);

} // namespace StringUtils

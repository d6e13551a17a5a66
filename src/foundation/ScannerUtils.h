#pragma once

#include "platform/foundation/CharacterSet.h"

#include <QString>

#include <functional>

class Scanner;

// Turns the rest of a scanner's text into a stream of callbacks, so that small
// parsers can be written as state machines over them.
namespace ScannerUtils {

// Called with (character, previous character, text, isDelimiter):
// - for a piece of text: the delimiter that ends it ("" at the end of the
//   text), the character reported before, and the piece; isDelimiter false.
//   The piece may be changed in place.
// - for a delimiter: the delimiter, the character reported before, that
//   previous character again, and true.
// The first "previous character" is the first character of the whole string.
using ScanBlock = std::function<void(const QString &character, const QString &previous, QString &text,
                                     bool isDelimiter)>;

// Reports every piece between delimiters and every delimiter character exactly
// once, in text order: the first delimiter of a run that ends a piece comes as
// that piece's character, the others by delimiter calls. The scanner's skip
// set applies before each step, so pieces never start with skipped characters.
// Leaves the scanner at its end.
void scanWithCharacterSet(Scanner &scanner, const CharacterSet &delimiters, const ScanBlock &block);

// Reports the pieces between occurrences of `delimiter`; the character passed
// with a piece is the delimiter's first character ("" at the end). Delimiters
// themselves are never reported. Leaves the scanner at its end.
void scanWithString(Scanner &scanner, const QString &delimiter, const ScanBlock &block);

} // namespace ScannerUtils

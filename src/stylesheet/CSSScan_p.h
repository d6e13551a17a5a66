#pragma once

#include "foundation/CharacterScan.h"

#include <QChar>

// Fast searches over UTF-16 text for the style-sheet parser, which runs on
// every style sheet of every page.
namespace CSSScan {

using CharacterScan::findFirstOf;

// The number of line breaks in [from, to) of a text that ends at textEnd:
// "\n", "\r\n" (once), a lone "\r", U+0085, U+2028 and U+2029.
inline qsizetype countLineBreaks(const QChar *from, const QChar *to, const QChar *textEnd)
{
    qsizetype count = 0;
    const QChar *p = from;
    while (true) {
        p = findFirstOf<u'\n', u'\r', 0x85, 0x2028, 0x2029>(p, to);
        if (p == to)
            return count;
        // A "\r" directly before a "\n" is counted with the "\n".
        if (!(*p == u'\r' && p + 1 < textEnd && p[1] == u'\n'))
            ++count;
        ++p;
    }
}

} // namespace CSSScan

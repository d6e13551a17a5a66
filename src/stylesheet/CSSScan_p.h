#pragma once

#include <QChar>

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Fast searches over UTF-16 text for the style-sheet parser, which runs on
// every style sheet of every page: eight characters at a time where SSE2 is
// available.
namespace CSSScan {

// The first character in [from, to) that is one of the given characters, or `to`.
template<char16_t... Set>
inline const QChar *findFirstOf(const QChar *from, const QChar *to)
{
    const char16_t *p = reinterpret_cast<const char16_t *>(from);
    const char16_t *end = reinterpret_cast<const char16_t *>(to);
#if defined(__SSE2__)
    while (end - p >= 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        __m128i hits = _mm_setzero_si128();
        ((hits = _mm_or_si128(hits, _mm_cmpeq_epi16(block, _mm_set1_epi16(short(Set))))), ...);
        const unsigned mask = unsigned(_mm_movemask_epi8(hits));
        if (mask)
            return reinterpret_cast<const QChar *>(p + std::countr_zero(mask) / 2);
        p += 8;
    }
#endif
    for (; p < end; ++p) {
        if (((*p == Set) || ...))
            return reinterpret_cast<const QChar *>(p);
    }
    return to;
}

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

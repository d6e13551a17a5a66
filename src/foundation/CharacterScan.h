#pragma once

#include <QChar>

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Searches over UTF-16 text for the parsers and writers that run on whole
// pages and style sheets: eight characters at a time where SSE2 is available.
namespace CharacterScan {

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

} // namespace CharacterScan

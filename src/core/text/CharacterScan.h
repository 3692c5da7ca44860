#pragma once

#include <QStringView>

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Where the first of four characters stands at or after `from`, or the text's size when none
// does. Eight characters are looked at in one step: books are long runs between such
// characters.
inline qsizetype indexOfAnyOf4(QStringView text, qsizetype from, char16_t a, char16_t b, char16_t c,
                               char16_t d)
{
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(static_cast<short>(a));
    const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
    const __m128i vc = _mm_set1_epi16(static_cast<short>(c));
    const __m128i vd = _mm_set1_epi16(static_cast<short>(d));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)),
                         _mm_or_si128(_mm_cmpeq_epi16(v, vc), _mm_cmpeq_epi16(v, vd)));
        if (const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit)); mask != 0)
            return i + std::countr_zero(mask) / 2;
    }
#endif
    for (; i < n; ++i) {
        const char16_t u = s[i];
        if (u == a || u == b || u == c || u == d)
            return i;
    }
    return n;
}

// How often a character occurs, counted eight characters at a time.
inline qsizetype countOf(QStringView text, char16_t a)
{
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    qsizetype count = 0;
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(static_cast<short>(a));
    while (i + 8 <= n) {
        // Eight counters of 16 bits, emptied before any can overflow.
        __m128i counters = _mm_setzero_si128();
        const qsizetype stop = std::min(n - 7, i + 8 * qsizetype(0xFFFF));
        for (; i < stop; i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
            counters = _mm_sub_epi16(counters, _mm_cmpeq_epi16(v, va));
        }
        alignas(16) quint16 lanes[8];
        _mm_store_si128(reinterpret_cast<__m128i *>(lanes), counters);
        for (const quint16 lane : lanes)
            count += lane;
    }
#endif
    for (; i < n; ++i)
        count += s[i] == a;
    return count;
}

#include "display/SubstringFinder.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

SubstringFinder::SubstringFinder(QStringView needle, qsizetype first, qsizetype second)
    : needle_(needle), first_(first), second_(second), firstUnit_(needle[first].unicode()),
      secondUnit_(needle[second].unicode()) {}

bool SubstringFinder::In(QStringView text) const {
    const qsizetype n = needle_.size();
    if (text.size() < n) return false;
    const char16_t *s = text.utf16();
    const char16_t *want = needle_.utf16();
    const size_t bytes = size_t(n) * sizeof(char16_t);
    const qsizetype last = text.size() - n; // the last place the needle can start
    qsizetype pos = 0;
#ifdef __SSE2__
    // Eight starts at a time. The loads reach pos + 7 + anchor at most, which stays below
    // last + n = text.size() while pos + 7 <= last; the remaining starts go one by one below.
    const __m128i a = _mm_set1_epi16(short(firstUnit_));
    const __m128i b = _mm_set1_epi16(short(secondUnit_));
    for (; pos + 7 <= last; pos += 8) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + pos + first_));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + pos + second_));
        unsigned both =
            unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(x, a), _mm_cmpeq_epi16(y, b))));
        while (both) {
            const int bit = __builtin_ctz(both); // two mask bits per 16-bit lane
            if (std::memcmp(s + pos + bit / 2, want, bytes) == 0) return true;
            both &= ~(3u << bit);
        }
    }
#endif
    for (; pos <= last; ++pos)
        if (s[pos + first_] == firstUnit_ && s[pos + second_] == secondUnit_ &&
            std::memcmp(s + pos, want, bytes) == 0)
            return true;
    return false;
}

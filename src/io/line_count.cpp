#include "io/line_count.h"

#include <algorithm>

#if defined(__SSE2__) && !defined(FILLWRIGHT_PORTABLE)
#include <emmintrin.h>

std::uint64_t countLineFeeds(const char* data, std::size_t size) {
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    std::uint64_t count = 0;
    std::size_t at = 0;
    while (size - at >= 16) {
        // Byte counters take at most 255 blocks before they are summed.
        const std::size_t blocks = std::min<std::size_t>((size - at) / 16, 255);
        __m128i counters = zero;
        for (std::size_t i = 0; i < blocks; ++i, at += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(bytes, lineFeeds));
        }
        const __m128i sums = _mm_sad_epu8(counters, zero);
        count += static_cast<std::uint64_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::uint64_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    return count + static_cast<std::uint64_t>(std::count(data + at, data + size, '\n'));
}

#else

std::uint64_t countLineFeeds(const char* data, std::size_t size) {
    return static_cast<std::uint64_t>(std::count(data, data + size, '\n'));
}

#endif

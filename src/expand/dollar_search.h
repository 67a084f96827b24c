#pragma once

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The first dollar sign in [from, end), or null. Tokens stand a few bytes
// apart as a rule: where the processor can, the next 16 bytes are looked at
// first, which costs less than the call of memchr.
inline const char* findDollar(const char* from, const char* end) {
#if defined(__SSE2__)
    if (end - from >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const auto found =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('$'))));
        if (found != 0) {
            return from + __builtin_ctz(found);
        }
        from += 16;
    }
#endif
    return static_cast<const char*>(std::memchr(from, '$', static_cast<std::size_t>(end - from)));
}

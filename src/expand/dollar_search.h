#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "expand/token_syntax.h"

// The first dollar sign in [from, end), or null. Tokens stand a few bytes
// apart as a rule: where the processor can, the next 16 bytes are looked at
// first, which costs less than the call of memchr.
inline const char* findDollar(const char* from, const char* end) {
#if defined(FILLWRIGHT_SSE2)
    if (end - from >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const auto found = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(tokenSyntax::dollar))));
        if (found != 0) {
            return from + __builtin_ctz(found);
        }
        from += 16;
    }
#endif
    return static_cast<const char*>(
        std::memchr(from, tokenSyntax::dollar, static_cast<std::size_t>(end - from)));
}

// The dollar signs of 64 bytes at once, as bits (the first byte is the lowest
// bit). Found before any token of the block is looked at, they let the tokens
// be worked on side by side: finding each dollar sign only after the token
// before it has been measured would make every token wait for the last one.
namespace dollarBlock {

constexpr std::size_t size = 64;

inline std::uint64_t find(const char* block) {
    std::uint64_t found = 0;
#if defined(FILLWRIGHT_SSE2)
    const __m128i dollar = _mm_set1_epi8(tokenSyntax::dollar);
    for (std::size_t part = 0; part < size / 16; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
        const auto marks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, dollar)));
        found |= std::uint64_t{marks} << (16 * part);
    }
#else
    for (std::size_t i = 0; i < size; ++i) {
        found |= std::uint64_t{block[i] == tokenSyntax::dollar} << i;
    }
#endif
    return found;
}

}  // namespace dollarBlock

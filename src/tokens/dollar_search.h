#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tokens/token_syntax.h"

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

// How many bits are set.
inline std::size_t bitCount(std::uint64_t bits) {
#if defined(__POPCNT__)
    return static_cast<std::size_t>(__builtin_popcountll(bits));
#else
    bits -= bits >> 1 & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + (bits >> 2 & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<std::size_t>((bits * 0x0101010101010101u) >> 56);
#endif
}

// Writes offset plus the place of each dollar sign found, in order, to
// offsets, and returns how many there are. Blocks hold a few dollar signs or
// none, at random: the first listed places are written whatever their number,
// which spares a loop whose end would be mispredicted on most blocks. So
// offsets needs room for listed entries whatever the count (blocks listed one
// after the other never need more than one entry a byte).
constexpr std::size_t listed = 8;
inline std::size_t listOffsets(std::uint64_t found, std::uint16_t offset, std::uint16_t* offsets) {
    const std::size_t count = bitCount(found);
    // The top bit stands in for the dollar signs used up, as the lowest set
    // bit is undefined for none.
    constexpr std::uint64_t last = std::uint64_t{1} << (size - 1);
    for (std::size_t i = 0; i < listed; ++i) {
        offsets[i] = static_cast<std::uint16_t>(offset + __builtin_ctzll(found | last));
        found &= found - 1;
    }
    for (std::size_t i = listed; found != 0; ++i) {
        offsets[i] = static_cast<std::uint16_t>(offset + __builtin_ctzll(found));
        found &= found - 1;
    }
    return count;
}

}  // namespace dollarBlock

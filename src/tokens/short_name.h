#pragma once

#include <cstddef>
#include <cstdint>

#include "tokens/token_cache.h"
#include "tokens/token_syntax.h"

// Names are found and packed 16 bytes at once where the processor can, with
// no branch on the token's form or the name's length: both vary from token
// to token at random, and mispredicted branches would cost more than the work.
namespace shortName {

#if defined(FILLWRIGHT_SSE2)
constexpr bool available = true;

// The bytes that tokenSyntax::isNameCharacter accepts, as all-ones bytes.
inline __m128i nameCharacters(__m128i bytes) {
    using namespace tokenSyntax;
    // Moved to the bottom of the signed range, the letters take one comparison.
    const __m128i letters = _mm_cmplt_epi8(
        _mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(0x80 - firstNameLetter))),
        _mm_set1_epi8(static_cast<char>(0x80 + nameLetterCount)));
    return _mm_or_si128(letters, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(nameJoiner)));
}

// The name that starts at name, 16 readable bytes, in a $(NAME) token when
// parenthesized and in a $NAME token otherwise, when it ends within those
// bytes: packs it and returns true. The name of $(NAME) ends at the first ')'
// or line feed, and is only packed when that is a ')'.
inline bool pack(const char* name, bool parenthesized, packedName& packed) {
    // Sixteen bytes kept, then sixteen dropped: read from 16 - length on,
    // the first length bytes are kept.
    alignas(16) static constexpr unsigned char keptBytes[32] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                                                0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                                                0xff, 0xff, 0xff, 0xff};
    using namespace tokenSyntax;
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(name));
    const __m128i parentheses = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(closeParenthesis));
    const __m128i closing =
        _mm_or_si128(parentheses, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(lineFeed)));
    const unsigned nameEnds =
        ~static_cast<unsigned>(_mm_movemask_epi8(nameCharacters(bytes))) & 0xffff;
    const unsigned closingEnds = static_cast<unsigned>(_mm_movemask_epi8(closing));
    // Selected by arithmetic: compilers turn a conditional here into a branch.
    const unsigned closingForm = 0u - static_cast<unsigned>(parenthesized);
    // Bit 16 stands for "no end within the bytes read".
    const unsigned ends = (closingEnds & closingForm) | (nameEnds & ~closingForm) | 0x10000u;
    const unsigned length = static_cast<unsigned>(__builtin_ctz(ends));
    // Where the name ends at a line feed, its token is no token at all.
    const unsigned openParenthesis =
        ~static_cast<unsigned>(_mm_movemask_epi8(parentheses)) >> length & closingForm & 1u;
    if ((length >> 4 | openParenthesis) != 0) {
        return false;
    }
    const __m128i kept = _mm_and_si128(
        bytes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(keptBytes + 16 - length)));
    packed.first = static_cast<std::uint64_t>(_mm_cvtsi128_si64(kept));
    packed.second = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(kept, kept)));
    packed.length = length;
    return true;
}
#else
constexpr bool available = false;

inline bool pack(const char*, bool, packedName&) {
    return false;
}
#endif

}  // namespace shortName

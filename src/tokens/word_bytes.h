#pragma once

#include <cstdint>
#include <cstring>

#include "tokens/token_syntax.h"

// Tests on eight bytes at once, for the short scans of token names, where a
// loop over single bytes mispredicts its end on nearly every token. A result
// marks each byte that passes with its high bit; the first byte read is the
// lowest of the word.
namespace wordBytes {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "wordBytes takes the first byte read as the lowest of the word"
#endif

constexpr std::uint64_t ones = 0x0101010101010101u;
constexpr std::uint64_t highBits = 0x8080808080808080u;
constexpr std::uint64_t lowBits = 0x7f7f7f7f7f7f7f7fu;

inline std::uint64_t load(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Exact, unlike the shorter test for "some byte is zero": no byte is marked
// because of a borrow from its neighbour.
inline std::uint64_t equalTo(std::uint64_t word, char byte) {
    const std::uint64_t difference = word ^ (ones * static_cast<unsigned char>(byte));
    return ~(((difference & lowBits) + lowBits) | difference | lowBits);
}

// The bytes that tokenSyntax::isNameCharacter accepts.
inline std::uint64_t nameCharacters(std::uint64_t word) {
    using namespace tokenSyntax;
    const std::uint64_t low = word & lowBits;
    const std::uint64_t atLeastFirst = low + ones * (0x80 - firstNameLetter);
    const std::uint64_t beyondLast = low + ones * (0x80 - lastNameLetter - 1);
    return ((atLeastFirst & ~beyondLast & ~word) & highBits) | equalTo(word, nameJoiner);
}

// The position of the first marked byte; marks must not be zero.
inline unsigned firstMarked(std::uint64_t marks) {
    return static_cast<unsigned>(__builtin_ctzll(marks)) / 8;
}

}  // namespace wordBytes

#pragma once

// The bytes that shape a token, in one place: the scans a byte, a word and
// 16 bytes at a time are all built from these.
namespace tokenSyntax {

constexpr char dollar = '$';
constexpr char openParenthesis = '(';
constexpr char closeParenthesis = ')';
constexpr char lineFeed = '\n';
// A $NAME token's name is the run of these after the dollar sign.
constexpr char firstNameLetter = 'A';
constexpr char lastNameLetter = 'Z';
constexpr char nameJoiner = '_';
constexpr int nameLetterCount = lastNameLetter - firstNameLetter + 1;

constexpr bool isNameCharacter(char c) {
    return (c >= firstNameLetter && c <= lastNameLetter) || c == nameJoiner;
}

}  // namespace tokenSyntax

// The 16-byte scans use SSE2 where the processor has it, unless the portable
// scans are asked for (so that those are built and tested too).
#if defined(__SSE2__) && !defined(FILLWRIGHT_PORTABLE)
#define FILLWRIGHT_SSE2 1
#include <emmintrin.h>
#endif

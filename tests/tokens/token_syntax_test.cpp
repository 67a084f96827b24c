#include "tokens/token_syntax.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tokens/short_name.h"
#include "tokens/word_bytes.h"

namespace {

using namespace std::string_literals;

// The word-at-a-time and 16-byte forms of the name rule agree with it on
// every byte, wherever the byte stands.
TEST(tokenSyntax, everyFormOfTheNameRuleAgrees) {
    for (int value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        char bytes[16];
        std::memset(bytes, 'a', sizeof bytes);
        bytes[5] = byte;
        const bool expected = tokenSyntax::isNameCharacter(byte);
        const std::uint64_t word = wordBytes::load(bytes);
        EXPECT_EQ((wordBytes::nameCharacters(word) >> 47 & 1) != 0, expected) << value;
#if defined(FILLWRIGHT_SSE2)
        const __m128i marks =
            shortName::nameCharacters(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
        EXPECT_EQ((_mm_movemask_epi8(marks) >> 5 & 1) != 0, expected) << value;
#endif
    }
}

}  // namespace

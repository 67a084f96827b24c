#include "expand/token_syntax.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "expand/short_name.h"
#include "expand/word_bytes.h"
#include "expansion_harness.h"
#include "support/scratch_dir.h"

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

class recordingObserver : public missObserver {
public:
    void unknownName(std::string_view name, std::string_view file, std::uint64_t line) override {
        misses.push_back(std::string(name) + " " + std::string(file) + ":" + std::to_string(line));
    }
    std::vector<std::string> misses;
};

// Only $(name) tokens of text lines whose names are no keyword are told,
// short or long, with their file and the number of their line in it.
TEST(missObserver, isToldOfUnknownParenthesizedNamesAndWhereTheyStand) {
    scratchDir dir;
    dir.write("i", "\n$(h)\n");
    const subsTable table = tableOf({{"A", "v"}});
    subsIter iter(table);
    recordingObserver observer;
    iter.observeMisses(&observer);
    const std::string longName(40, 'n');
    const std::string name = dir.at("t.pre");
    const expansionResult result = expandText(
        iter, name,
        "$(a) $(b) $UNSET $(c\n>>K=$(d)\n>>include i\n$(" + longName + ") x$(e)\n$(f)\0$(g)\n"s);
    EXPECT_EQ(result.output, "v $(b) $UNSET $(c\n\n$(h)\n$(" + longName + ") x$(e)\n$(f)\0$(g)\n"s);
    const std::vector<std::string> expected = {"b " + name + ":1", "h " + dir.at("i") + ":2",
                                               longName + " " + name + ":4", "e " + name + ":4",
                                               "f " + name + ":5"};
    EXPECT_EQ(observer.misses, expected);
}

}  // namespace

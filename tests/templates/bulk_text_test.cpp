#include <gtest/gtest.h>

#include "expansion_harness.h"
#include "support/repeated_text.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"

// Plain text lines are expanded many at a time and token names are looked at
// 16 bytes at once; these cases put tokens, directives and NUL bytes at the
// edges of those stretches.
namespace {

using namespace std::string_literals;

struct bulkCase {
    std::string name;
    std::string input;
    std::string expected;
};

class bulkText : public testing::TestWithParam<bulkCase> {};

// Each case is tried after lines of every length up to beyond a block of 64
// bytes, so that its tokens fall on every side of the block edges, both near
// the end of the text and well before it.
TEST_P(bulkText, expandsAsLineByLine) {
    const bulkCase& c = GetParam();
    const subsTable table = tableOf({{"A", "v"},
                                     {"ABCDEFGHIJKLMNO", "15"},
                                     {"ABCDEFGHIJKLMNOP", "16"},
                                     {"ABCDEFGHIJKLMNOPQ", "17"},
                                     {"a b c d e f g h", "p15"},
                                     {"a b c d e f g h ", "p16"},
                                     {"A\nA", "a name never spans lines"},
                                     {"X$A", "in"}});
    for (std::size_t padding = 0; padding <= 140; ++padding) {
        const std::string before = std::string(padding, '.') + "\n";
        const std::string after = c.input.empty() || c.input.back() != '\n' ? "" : before;
        testIter iter(table);
        const expansionResult result = expandText(iter, "t.pre", before + c.input + after);
        EXPECT_TRUE(result.succeeded);
        EXPECT_EQ(result.output, before + c.expected + after) << "after " << padding << " bytes";
        EXPECT_EQ(result.errors, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    edges, bulkText,
    testing::Values(
        bulkCase{"tokensAtLineEnds", "a $A\n$(A)\n$A\n", "a v\nv\nv\n"},
        bulkCase{"closingParenthesisOnALaterLine", "$(A\nA)$A\n$(A\n)\n", "$(A\nA)v\n$(A\n)\n"},
        bulkCase{"directivesAfterText", "x $A\n>>A=w\n$A\n>>A=u\n>>A=$A$A\n$A\n", "x v\nw\nuu\n"},
        bulkCase{"angleBracketsInsideLines", "a>>A=w\n>x\n $A>>\n", "a>>A=w\n>x\n v>>\n"},
        bulkCase{"nulLines", "a$A\nb\0$A\nc$A\n\0\n$A\n"s, "av\nb\0$A\ncv\n\0\nv\n"s},
        bulkCase{"lastLineWithoutLineFeed", "a\n$A", "a\nv\n"},
        bulkCase{"lastTokenWithoutLineFeed", "$(A)", "v\n"},
        bulkCase{"longNames",
                 "$ABCDEFGHIJKLMNO|$ABCDEFGHIJKLMNOP|$ABCDEFGHIJKLMNOPQ|$ABCDEFGHIJKLMNOPQR\n",
                 "15|16|17|$ABCDEFGHIJKLMNOPQR\n"},
        bulkCase{"longParenthesizedNames",
                 "$(a b c d e f g h)$(a b c d e f g h )$(ABCDEFGHIJKLMNOPQ)\n",
                 "p15p16"
                 "17\n"},
        bulkCase{"bytesBeyondAscii", "$A\xc3\xa9 $(A)\xff $\xc3(A)\n",
                 "v\xc3\xa9 v\xff $\xc3(A)\n"},
        bulkCase{"dollarsInsideNames", "$(X$A)$(Y$A)$$A$(X$A\n", "in$(Yv)$v$(Xv\n"},
        // The eleventh token begins in the first block of the line and ends
        // after it, with a dollar sign of its name beyond the block.
        bulkCase{"tokenAcrossTheLastBlockEdge", "x" + repeated("$(X$A)", 11),
                 "x" + repeated("in", 11) + "\n"},
        bulkCase{"tokenAcrossABlockEdge", "x" + repeated("$(X$A)", 11) + "\n",
                 "x" + repeated("in", 11) + "\n"},
        bulkCase{"carriageReturns", "$A\r\n$(A\r)\r\n", "v\r\n$(A\r)\r\n"}),
    [](const testing::TestParamInfo<bulkCase>& info) { return info.param.name; });

// Far more text than one read takes, with lines of every length: lines,
// tokens and directives straddle the points where the reader reads more.
TEST(bulkText, linesStraddlingReadsAreExpandedWhole) {
    std::string input;
    std::string expected;
    std::string valueOfB = "$(B)";
    const std::string end = nativeLineEnd();
    for (std::size_t line = 0; input.size() < 1500000; ++line) {
        const std::string filler(line % 97, static_cast<char>('a' + line % 26));
        switch (line % 50) {
            case 7:
                input += ">>B=" + filler + "$A\n";
                valueOfB = filler + "v";
                break;
            case 21:
                input += filler + "\0$A\n"s;
                expected += filler + "\0$A"s + end;
                break;
            default:
                input += filler + "$A" + filler + "$(B)\n";
                expected += filler + "v" + filler + valueOfB + end;
        }
    }
    scratchDir dir;
    dir.write("t.pre", input);
    const subsTable table = tableOf({{"A", "v"}});
    testIter iter(table);
    EXPECT_TRUE(iter.processFile(dir.at("t.pre"), 0));
    EXPECT_EQ(iter.errors(), "");
    const std::string output = dir.read("t");
    ASSERT_EQ(output.size(), expected.size());
    EXPECT_TRUE(output == expected);
}

}  // namespace

#include <gtest/gtest.h>

#include "expansion_harness.h"

namespace {

using entries = std::vector<std::pair<std::string, std::string>>;

struct tokenCase {
    std::string line;
    entries table;
    std::string expected;
};

class tokens : public testing::TestWithParam<tokenCase> {};

TEST_P(tokens, replaceKnownKeywordsOnly) {
    const tokenCase& c = GetParam();
    const subsTable table = tableOf(c.table);
    testIter iter(table);
    const expansionResult result = expandText(iter, "t.pre", c.line + "\n");
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.output, c.expected + "\n");
    EXPECT_EQ(result.errors, "");
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    lines, tokens,
    testing::Values(
        tokenCase{"line1 $HOST", {{"HOST", "h"}}, "line1 h"},
        tokenCase{"a$HOST b", {{"HOST", "x"}}, "ax b"},
        tokenCase{"a$HOST b", {{"HOSTS", "x"}}, "a$HOST b"},
        tokenCase{"$(host)", {{"HOST", "h"}}, "h"}, tokenCase{"$host", {{"HOST", "h"}}, "$host"},
        tokenCase{"$IPaddr", {{"IPaddr", "10.0.0.1"}}, "$IPaddr"},
        tokenCase{"$(IPaddr)", {{"IPaddr", "10.0.0.1"}}, "10.0.0.1"},
        tokenCase{"$HOST1", {{"HOST", "h"}}, "h1"},
        tokenCase{"$HOST_1", {{"HOST", "h"}}, "$HOST_1"}, tokenCase{"$A1", {{"A", "w"}}, "w1"},
        tokenCase{"$(A$B)", {{"B", "y"}}, "$(Ay)"}, tokenCase{"$$HOST", {{"HOST", "h"}}, "$h"},
        tokenCase{"$(NAME x $HOST", {{"HOST", "h"}}, "$(NAME x h"},
        tokenCase{"$(a b)$(A)$A", {{"a b", "1"}, {"A", "2"}}, "122"},
        tokenCase{"$A $B", {{"A", "$B"}, {"B", "x"}}, "$B x"}, tokenCase{"$A$", {{"A", ""}}, "$"},
        tokenCase{"$ $1 $x $() $(a $A $", {{"", "E"}}, "E E1 Ex E $(a $A E"},
        tokenCase{"$A\r", {{"A", "v"}}, "v\r"},
        // Names that share a length and their first, middle and last bytes.
        tokenCase{"$ABCD $ACCD $ABCD", {{"ABCD", "1"}, {"ACCD", "2"}}, "1 2 1"},
        tokenCase{"$(ABCDEFGHIJ)$(ABCDEFGHXJ)$(ABCDEFGHIJ)",
                  {{"ABCDEFGHIJ", "1"}, {"ABCDEFGHXJ", "2"}},
                  "121"},
        tokenCase{"$ABCXEFGHIJKLMNOPQ $ABCDEFGHIJKLMNOPQ",
                  {{"ABCDEFGHIJKLMNOPQ", "2"}},
                  "$ABCXEFGHIJKLMNOPQ 2"},
        // Names made to share a slot of the lookup cache, taking turns there.
        tokenCase{"$AAAAAAAABBBBBBB $BBBBBBBAAAAAAAA $AAAAAAAABBBBBBB $(bbbbbbbaaaaaaaa)",
                  {{"AAAAAAAABBBBBBB", "1"}, {"BBBBBBBAAAAAAAA", "2"}},
                  "1 2 1 2"},
        tokenCase{"$ABCDEFGHABCDEFGH $IJKLMNOPIJKLMNOP $ABCDEFGHABCDEFGH",
                  {{"ABCDEFGHABCDEFGH", "1"}, {"IJKLMNOPIJKLMNOP", "2"}},
                  "1 2 1"},
        tokenCase{"a$A\0$A\0b"s, {{"A", "x"}}, "ax\0$A\0b"s}));

struct lineCase {
    std::string name;
    std::string input;
    std::string expected;
};

class lineShapes : public testing::TestWithParam<lineCase> {};

TEST_P(lineShapes, endInExactlyOneLineFeed) {
    const subsTable table = tableOf({{"A", "v"}});
    testIter iter(table);
    const expansionResult result = expandText(iter, "t.pre", GetParam().input);
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.output, GetParam().expected);
}

std::string filler(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    return text;
}

// A line of the given length that starts and ends with a token; with a line
// feed, another line follows it.
lineCase longLine(std::size_t length, bool lineFeed) {
    const std::string middle = filler(length - 6);
    return {std::to_string(length) + (lineFeed ? "WithLineFeed" : "WithoutLineFeed"),
            "$A " + middle + " $A" + (lineFeed ? "\n$A" : ""),
            "v " + middle + " v\n" + (lineFeed ? "v\n" : "")};
}

INSTANTIATE_TEST_SUITE_P(
    shapes, lineShapes,
    testing::Values(lineCase{"empty", "", ""}, lineCase{"lastWithoutLineFeed", "x\n$A", "x\nv\n"},
                    lineCase{"blankLines", "\n\n$A\n\n", "\n\nv\n\n"}, longLine(1022, true),
                    longLine(1023, true), longLine(1023, false), longLine(1024, true),
                    longLine(1024, false), longLine(100000, true)),
    [](const testing::TestParamInfo<lineCase>& info) { return info.param.name; });

TEST(lineShapes, longLineWithoutTokensIsCopiedWhole) {
    const std::string line = filler(70000);
    const subsTable table;
    testIter iter(table);
    EXPECT_EQ(expandText(iter, "t.pre", line + "\n" + line).output, line + "\n" + line + "\n");
}

}  // namespace

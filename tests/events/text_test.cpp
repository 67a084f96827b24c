#include "events/text.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct numberCase {
    int value;
    const char* decimal;
    const char* hex;
};

const numberCase numberCases[] = {
    {0, "0", "0"},
    {9, "9", "9"},
    {10, "10", "a"},
    {16, "16", "10"},
    {255, "255", "ff"},
    {-26, "-26", "-1a"},
    {-45, "-45", "-2d"},
    {INT_MAX, "2147483647", "7fffffff"},
    {INT_MIN, "-2147483648", "-80000000"},
};

TEST(TextHelpers, DecimalAndHexForms) {
    for (const numberCase& c : numberCases) {
        EXPECT_EQ(toDecimal(c.value), c.decimal) << c.value;
        EXPECT_EQ(toHex(c.value), c.hex) << c.value;
    }
}

TEST(TextHelpers, AppendKeepsWhatWasThere) {
    std::string s = "x=";
    appendDecimal(s, -7);
    appendHex(s, 171);
    EXPECT_EQ(s, "x=-7ab");
}

struct quotedCase {
    std::string input;
    std::string expected;
};

TEST(TextHelpers, QuotedEscapes) {
    const quotedCase cases[] = {
        {"", R"("")"},
        {"\"", R"("\"")"},
        {"plain text ~", R"("plain text ~")"},
        {"a\\b", R"("a\\b")"},
        {"\t\\\xE9", R"("\t\\\351")"},
        {"\n\r", R"("\n\r")"},
        {std::string("\x00\x01\x1f\x7f", 4), R"("\000\001\037\177")"},
        {"\x80\xff", R"("\200\377")"},
        {" lead and trail ", R"(" lead and trail ")"},
    };
    for (const quotedCase& c : cases) {
        EXPECT_EQ(quoted(c.input), c.expected);
    }
}

}  // namespace

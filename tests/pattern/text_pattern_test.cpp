#include "pattern/text_pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct nameCase {
    std::string name;
    bool dotsOnly;
};

TEST(TextPattern, DotsOnlyPatternMatchesWholeNamesOfDots) {
    const textPattern dotsOnly("^\\.+$");
    const nameCase cases[] = {
        {".", true},     {"..", true},  {"...", true},    {"", false},
        {".git", false}, {"a.", false}, {".pre", false},  {"a.b", false},
        {". ", false},   {" .", false}, {"..x..", false},
    };
    for (const nameCase& c : cases) {
        EXPECT_EQ(dotsOnly.matches(c.name), c.dotsOnly) << '"' << c.name << '"';
    }
}

TEST(TextPattern, EachCallStartsClean) {
    const textPattern pattern("{ab}c\\0");
    EXPECT_TRUE(pattern.matches("xABcab"));
    EXPECT_FALSE(pattern.matches("abcb"));
    EXPECT_TRUE(pattern.matches("abcAB"));
}

TEST(TextPattern, PatternThatDidNotCompileMatchesNothing) {
    for (const char* pattern : {"[", "{a", "(a*)*", "\\3"}) {
        const textPattern broken(pattern);
        EXPECT_FALSE(broken.matches(pattern)) << pattern;
        EXPECT_FALSE(broken.matches("")) << pattern;
        EXPECT_FALSE(broken.matches("a")) << pattern;
    }
}

TEST(TextPattern, KeepsItsOwnCopyOfThePattern) {
    std::string text = "^a$";
    const textPattern pattern(text);
    text = "b";
    EXPECT_TRUE(pattern.matches("A"));
    EXPECT_FALSE(pattern.matches("b"));
}

}  // namespace

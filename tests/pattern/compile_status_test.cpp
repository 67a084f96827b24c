#include <gtest/gtest.h>

#include <string>

#include "pattern/reg_exp.h"

namespace {

struct statusCase {
    std::string pattern;
    parseStatus expected;
};

TEST(CompileStatus, MalformedPatternsAreRefused) {
    const statusCase cases[] = {
        {"", parseOk},
        {"^", parseOk},
        {"[]", parseEmptyClass},
        {"[^]", parseEmptyClass},
        {"a[]b", parseEmptyClass},
        {"[a-]", parseUnclosedBracket},
        {"[a", parseUnclosedBracket},
        {"[^", parseUnclosedBracket},
        {"[a-", parseUnclosedBracket},
        {"[a\\", parseUnclosedBracket},
        {"[z-a]", parseBadRange},
        {"[Z-a]", parseBadRange},
        {"[a-Z]", parseOk},
        {"[-a]", parseOk},
        {"[a-a]", parseOk},
        {"{a}\\0", parseOk},
        {"{a\\0}", parseOk},
        {"{a}\\1", parseBadBackReference},
        {"\\0", parseBadBackReference},
        {"\\1{a}", parseBadBackReference},
        {"{a}\\99999999999999999999", parseBadBackReference},
        {"(a*)*", parseEmptyRepeat},
        {"(a?)*", parseEmptyRepeat},
        {"(a|b*)+", parseEmptyRepeat},
        {"(a*)*?", parseEmptyRepeat},
        {"(a*)+?", parseEmptyRepeat},
        {"(a*b|)*", parseEmptyRepeat},
        {"!a*?", parseEmptyRepeat},
        {"!a+?", parseEmptyRepeat},
        {"{a}\\0*?", parseEmptyRepeat},
        {"!a??", parseOk},
        {"!a*", parseOk},
        {"(!a)*?", parseOk},
        {"(a*)?", parseOk},
        {"(a*)??", parseOk},
        {"()*", parseOk},
        {"{}+", parseOk},
        {"(a?\\.)*", parseOk},
        {"(a*b)*", parseOk},
        {"(a$)", parseOk},
        {"a{", parseUnclosedBrace},
        {"{", parseUnclosedBrace},
        {"{a)", parseUnclosedBrace},
        {"{]", parseUnclosedBrace},
        {"a(", parseUnclosedParen},
        {"(a}", parseUnclosedParen},
        {"!", parseOk},
        {"a)b", parseOk},
        {"*", parseOk},
        {"a**", parseOk},
        {"\\", parseOk},
        {std::string(100000, '('), parseOutOfMemory},
        {std::string(100000, '!'), parseOutOfMemory},
    };
    for (const statusCase& c : cases) {
        regExp compiled;
        EXPECT_EQ(compiled.compile(c.pattern.c_str()), c.expected) << c.pattern.substr(0, 40);
    }
}

TEST(CompileStatus, LongAlternationChainsCompile) {
    std::string pattern = "a";
    for (int k = 0; k < 150; ++k) {
        pattern += "|a";
    }
    regExp compiled;
    EXPECT_EQ(compiled.compile(pattern.c_str()), parseOk);
}

TEST(CompileStatus, NullPatternLeavesTheProgramAsItWas) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("{a}!b"), parseOk);
    std::size_t count = compiled.program.count();
    EXPECT_EQ(compiled.compile(nullptr), parseNoPattern);
    EXPECT_EQ(compiled.program.count(), count);
    EXPECT_EQ(compiled.groupCount, 1);
    EXPECT_EQ(compiled.slotCount, 2);
}

TEST(CompileStatus, RecompilingStartsFromScratch) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("{a}{b}!c*"), parseOk);
    EXPECT_EQ(compiled.groupCount, 2);
    EXPECT_EQ(compiled.slotCount, 3);
    ASSERT_EQ(compiled.compile("x"), parseOk);
    EXPECT_EQ(compiled.groupCount, 0);
    EXPECT_EQ(compiled.slotCount, 0);
    EXPECT_EQ(compiled.program.count(), 4U);
}

}  // namespace

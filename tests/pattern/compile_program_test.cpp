#include <gtest/gtest.h>

#include <vector>

#include "pattern/reg_exp.h"
#include "program_listing.h"

namespace {

struct programCase {
    const char* pattern;
    const char* expected;
};

TEST(CompileProgram, SmallPatternsHaveTheirExactLayout) {
    const programCase cases[] = {
        {"", "call 2; advance; match"},
        {"^", "call 2; fail; match"},
        {"a", "call 2; advance; char 'a'; match"},
        {"A^", "call 2; advance; char 'a'; char '^'; match"},
        {".", "call 2; advance; any; match"},
        {"$", "call 2; advance; char 0; match"},
        {"a$b", "call 2; advance; char 'a'; char '$'; char 'b'; match"},
        {"\\", "call 2; advance; char 0; match"},
        {"a|b",
         "call 2; advance; pushPos; call 6; popPos; jump 8; char 'a'; jump 9; char 'b'; match"},
        {"a*",
         "call 2; advance; pushSlot 0; savePos 0; pushPos; call 9; popPos; popSlot 0; jump 13; "
         "char 'a'; failIfNoProgress 0; savePos 0; jump 2; match"},
        {"a?",
         "call 2; advance; pushSlot 0; savePos 0; pushPos; call 9; popPos; popSlot 0; jump 12; "
         "char 'a'; failIfNoProgress 0; savePos 0; match"},
        {"a+",
         "call 2; advance; char 'a'; pushSlot 0; savePos 0; pushPos; call 10; popPos; popSlot 0; "
         "jump 14; char 'a'; failIfNoProgress 0; savePos 0; jump 3; match"},
        {"a*?", "call 2; advance; pushPos; call 7; popPos; char 'a'; jump 2; match"},
        {"a+?", "call 2; advance; char 'a'; pushPos; call 8; popPos; char 'a'; jump 3; match"},
        {"a??", "call 2; advance; pushPos; call 6; popPos; char 'a'; match"},
        {"a**",
         "call 2; advance; pushSlot 0; savePos 0; pushPos; call 9; popPos; popSlot 0; jump 13; "
         "char 'a'; failIfNoProgress 0; savePos 0; jump 2; char '*'; match"},
        {"{a}",
         "call 2; advance; pushGroup 0; groupStart 0; call 7; popGroup 0; backtrack; char 'a'; "
         "groupEnd 0; match"},
        {"{}",
         "call 2; advance; pushGroup 0; groupStart 0; call 7; popGroup 0; backtrack; nop; "
         "groupEnd 0; match"},
        {"(ab)", "call 2; advance; call 4; backtrack; char 'a'; char 'b'; match"},
        {"()", "call 2; advance; call 4; backtrack; nop; match"},
        {"!a",
         "call 2; advance; savePos 0; saveDepth 1; call 8; loadPos 0; loadDepth 1; jump 12; "
         "char 'a'; loadPos 0; loadDepth 1; backtrack; match"},
        {"!",
         "call 2; advance; savePos 0; saveDepth 1; call 8; loadPos 0; loadDepth 1; jump 12; nop; "
         "loadPos 0; loadDepth 1; backtrack; match"},
        {"{a}\\0",
         "call 2; advance; pushGroup 0; groupStart 0; call 7; popGroup 0; backtrack; char 'a'; "
         "groupEnd 0; backRef 0; match"},
        {"[a-cx]", "call 2; advance; set[a-cx]; match"},
        {"[^A-C]", "call 2; advance; notSet[a-c]; match"},
        {"[\\]\\-\\\\]", "call 2; advance; set[-\\-]]; match"},
        {"[+--]", "call 2; advance; set[+--]; match"},
        {"[!-\\t]", "call 2; advance; set[!-\\t]; match"},
        {"[\\t]", "call 2; advance; set[\\9]; match"},
        {"[\\T]", "call 2; advance; set[\\9]; match"},
        {"[\x80-\xff]", "call 2; advance; set[\\128-\\255]; match"},
        {"\\t", "call 2; advance; char 't'; match"},
        {"\\.", "call 2; advance; char '.'; match"},
        {"\xe9", "call 2; advance; char '\\233'; match"},
        {"\\$", "call 2; advance; char '$'; match"},
        // Expansions are compiled as stored, capitals included.
        {"\\a", "call 2; advance; call 4; backtrack; set[0-9A-Za-z]; match"},
        {"\\c", "call 2; advance; call 4; backtrack; set[A-Za-z]; match"},
        {"\\h", "call 2; advance; call 4; backtrack; set[0-9A-Fa-f]; match"},
        {"\\w",
         "call 2; advance; call 4; backtrack; set[A-Za-z]; pushSlot 0; savePos 0; pushPos; "
         "call 16; popPos; popSlot 0; jump 24; set[A-Za-z]; failIfNoProgress 0; savePos 0; "
         "jump 9; match"},
    };
    for (const programCase& c : cases) {
        EXPECT_EQ(listingOf(c.pattern), c.expected) << c.pattern;
    }
}

TEST(CompileProgram, DotNamesPatternIsTheSixteenInstructionProgram) {
    const std::vector<instruction> expected = {
        {opCall, 2},    {opFail, 0},    {opChar, '.'}, {opPushSlot, 0},
        {opSavePos, 0}, {opPushPos, 0}, {opCall, 10},  {opPopPos, 0},
        {opPopSlot, 0}, {opJump, 14},   {opChar, '.'}, {opFailIfNoProgress, 0},
        {opSavePos, 0}, {opJump, 3},    {opChar, 0},   {opMatch, 0},
    };
    regExp compiled;
    ASSERT_EQ(compiled.compile("^\\.+$"), parseOk);
    ASSERT_EQ(compiled.program.count(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const instruction& actual = compiled.program.at(static_cast<std::ptrdiff_t>(k));
        EXPECT_EQ(actual.opcode, expected[k].opcode) << k;
        EXPECT_EQ(actual.operand, expected[k].operand) << k;
    }
    EXPECT_EQ(compiled.groupCount, 0);
    EXPECT_EQ(compiled.slotCount, 1);
}

struct sameProgramCase {
    const char* pattern;
    const char* sameAs;
};

TEST(CompileProgram, EquivalentPatternsCompileAlike) {
    const sameProgramCase cases[] = {
        {"ab|", "a"},
        {"(b|)", "()"},
        {"a)b", "a"},
        {"a]b", "a"},
        {"ABC", "abc"},
        {"\\b", "([ \t])"},
        {"\\d", "([0-9])"},
        {"\\D", "([0-9])"},
        {"\\n", "(\r|(\r?\n))"},
        {"\\q", "(\"[^\"]*\")"},
        {"\\z", "([0-9]+)"},
        {"\\d+", "([0-9])+"},
    };
    for (const sameProgramCase& c : cases) {
        EXPECT_EQ(listingOf(c.pattern), listingOf(c.sameAs)) << c.pattern;
    }
}

TEST(CompileProgram, AlternationJoinsTheSingleItemsBesideIt) {
    EXPECT_EQ(listingOf("|a"), "call 2; advance; char '|'; char 'a'; match");
    EXPECT_EQ(listingOf("a||b"),
              "call 2; advance; pushPos; call 6; popPos; jump 8; char 'a'; jump 9; char '|'; "
              "char 'b'; match");
    EXPECT_EQ(listingOf("ab|c"),
              "call 2; advance; char 'a'; pushPos; call 7; popPos; jump 9; char 'b'; jump 10; "
              "char 'c'; match");
}

TEST(CompileProgram, BytesAreSignedOperands) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("\xe9"), parseOk);
    EXPECT_EQ(compiled.program.at(2).operand, -23);
}

TEST(CompileProgram, RepeatedCopyOfAPlusReusesGroupNumbersButNotSlots) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("{a}+"), parseOk);
    EXPECT_EQ(compiled.groupCount, 1);
    ASSERT_EQ(compiled.compile("(!a)+"), parseOk);
    EXPECT_EQ(compiled.slotCount, 5);
    ASSERT_EQ(compiled.compile("(!a)*"), parseOk);
    EXPECT_EQ(compiled.slotCount, 3);
}

}  // namespace

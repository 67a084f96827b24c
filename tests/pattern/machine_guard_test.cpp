#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/reg_exp.h"

namespace {

void load(regExp& target, const std::vector<instruction>& program, int groups = 0, int slots = 0) {
    ASSERT_TRUE(target.program.setCount(program.size()));
    for (std::size_t k = 0; k < program.size(); ++k) {
        target.program.at(static_cast<std::ptrdiff_t>(k)) = program[k];
    }
    target.groupCount = groups;
    target.slotCount = slots;
}

struct craftedCase {
    const char* name;
    std::vector<instruction> program;
    int groups;
    int slots;
    const char* text;
    bool matches;
    matchContext::word end;
};

// Programs no pattern compiles to, driving the machine to the edges of the
// text and the stack: it must answer without reading outside either.
TEST(MachineGuards, NothingIsReadPastTheTerminator) {
    const craftedCase cases[] = {
        {"char after the terminator",
         {{opCall, 2}, {opAdvance, 0}, {opChar, 0}, {opChar, 0}, {opMatch, 0}},
         0,
         0,
         "",
         false,
         0},
        {"any byte after the terminator",
         {{opCall, 2}, {opAdvance, 0}, {opChar, 0}, {opAnyChar, 0}, {opMatch, 0}},
         0,
         0,
         "",
         false,
         0},
        {"class after the terminator",
         {{opCall, 2},
          {opAdvance, 0},
          {opChar, 0},
          {opNotCharSet, 0},
          {0, 0},
          {0, 0},
          {0, 0},
          {0, 0},
          {opMatch, 0}},
         0,
         0,
         "",
         false,
         0},
        {"back-reference past the terminator",
         {{opCall, 2},
          {opFail, 0},
          {opGroupStart, 0},
          {opAnyChar, 0},
          {opChar, 0},
          {opGroupEnd, 0},
          {opBackRef, 0},
          {opMatch, 0}},
         1,
         0,
         "a",
         false,
         2},
        {"back-reference to a group ending before its start",
         {{opCall, 2},
          {opFail, 0},
          {opGroupEnd, 0},
          {opAnyChar, 0},
          {opGroupStart, 0},
          {opBackRef, 0},
          {opMatch, 0}},
         1,
         0,
         "ab",
         true,
         1},
        {"pop from an empty stack gives 0",
         {{opCall, 2}, {opAdvance, 0}, {opPopPos, 0}, {opPopPos, 0}, {opMatch, 0}},
         0,
         0,
         "abc",
         true,
         0},
        {"terminator matched at the end of a search",
         {{opCall, 2}, {opAdvance, 0}, {opChar, 0}, {opMatch, 0}},
         0,
         0,
         "ab",
         false,
         2},
    };
    for (const craftedCase& c : cases) {
        regExp crafted;
        load(crafted, c.program, c.groups, c.slots);
        matchContext context;
        EXPECT_EQ(crafted.match(c.text, context), c.matches) << c.name;
        EXPECT_EQ(context.matchEnd, c.end) << c.name;
    }
}

struct misuseCase {
    const char* name;
    std::vector<instruction> program;
    int groups;
    int slots;
};

TEST(MachineGuards, ReachingOutsideTheProgramOrItsStateIsInvalid) {
    const misuseCase cases[] = {
        {"empty program", {}, 0, 0},
        {"jump past the end", {{opJump, 2}, {opMatch, 0}}, 0, 0},
        {"negative jump", {{opJump, -1}}, 0, 0},
        {"falling off the end", {{opNop, 0}}, 0, 0},
        {"not an opcode", {{7, 0}}, 0, 0},
        {"class cut short", {{opCharSet, 0}, {-1, -1}, {-1, -1}}, 0, 0},
        {"group out of range", {{opGroupStart, 1}, {opMatch, 0}}, 1, 0},
        {"negative group", {{opPushGroup, -1}, {opMatch, 0}}, 1, 0},
        {"slot out of range", {{opSavePos, 2}, {opMatch, 0}}, 0, 2},
        {"back-reference out of range", {{opBackRef, 0}, {opMatch, 0}}, 0, 0},
        {"position that is no position",
         {{opPushSlot, 0}, {opPushGroup, 0}, {opPopPos, 0}, {opMatch, 0}},
         1,
         1},
        {"depth that is no depth",
         {{opPushGroup, 0}, {opPopSlot, 0}, {opLoadDepth, 0}, {opMatch, 0}},
         1,
         1},
        {"backtrack to an unset group value",
         {{opPushGroup, 0}, {opPopPos, 0}, {opBacktrack, 0}},
         1,
         0},
    };
    for (const misuseCase& c : cases) {
        regExp crafted;
        if (!c.program.empty()) {
            load(crafted, c.program, c.groups, c.slots);
        }
        matchContext context;
        try {
            crafted.match("abc", context);
            ADD_FAILURE() << "no exception: " << c.name;
        } catch (const CAtlException& e) {
            EXPECT_EQ(e.code, E_INVALIDARG) << c.name;
        }
    }
}

TEST(MachineGuards, StackThatCannotGrowRaisesOutOfMemory) {
    struct limitCase {
        const char* pattern;
        std::string text;
    };
    const limitCase cases[] = {
        {"a*", std::string(2000, 'a')},
        // A lazy repeat of an item that consumes nothing would push forever.
        {"()*?x", "a"},
        {"(!b)+?x", "a"},
    };
    for (const limitCase& c : cases) {
        regExp compiled;
        ASSERT_EQ(compiled.compile(c.pattern), parseOk) << c.pattern;
        matchContext context;
        context.stackLimit = 1024;
        try {
            compiled.match(c.text.c_str(), context);
            ADD_FAILURE() << "no exception: " << c.pattern;
        } catch (const CAtlException& e) {
            EXPECT_EQ(e.code, E_OUTOFMEMORY) << c.pattern;
        }
    }
}

TEST(MachineGuards, StackWithinItsLimitGrowsAsNeeded) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("a*"), parseOk);
    matchContext context;
    context.stackLimit = 1024;
    ASSERT_TRUE(compiled.match(std::string(100, 'a').c_str(), context));
    EXPECT_EQ(context.matchEnd, 100);
    EXPECT_LE(context.stack.count(), 1024U);
}

TEST(MachineGuards, StepLimitEndsExponentialBacktracking) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("{.+}+b"), parseOk);
    const std::string text(40, 'a');
    matchContext context;
    context.stepLimit = 100000;
    try {
        compiled.match(text.c_str(), context);
        ADD_FAILURE() << "no exception";
    } catch (const CAtlException& e) {
        EXPECT_EQ(e.code, E_FAIL);
    }
    // A match within the limit is not disturbed by it.
    EXPECT_TRUE(compiled.match("aab", context));
    EXPECT_EQ(context.matchEnd, 3);
}

TEST(MachineGuards, UnfinishedGroupsReadAsNeverMatched) {
    // The group's start is recorded, then the match succeeds before its end.
    regExp crafted;
    load(crafted, {{opCall, 2}, {opAdvance, 0}, {opGroupStart, 0}, {opMatch, 0}}, 1, 0);
    matchContext context;
    ASSERT_TRUE(crafted.match("a", context));
    EXPECT_EQ(context.groups.at(0).start, matchContext::none);
    EXPECT_EQ(context.groups.at(0).end, matchContext::none);
}

}  // namespace

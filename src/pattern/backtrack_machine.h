#pragma once

#include <cstdint>

#include "pattern/growable_array.h"
#include "pattern/instruction.h"
#include "pattern/match_context.h"

// Runs a program over a folded text with an explicit backtrack stack. Every
// position it holds stays within the text and one past its terminator, and
// every read of the program, the stack, the slots and the groups is checked.
class backtrackMachine {
public:
    using word = matchContext::word;

    // text has length bytes and a terminator; context must be prepared.
    backtrackMachine(const growableArray<instruction>& program, const char* text, word length,
                     matchContext& context)
        : program(program), text(text), length(length), context(context) {}

    // True when the program reaches opMatch; matchStart and matchEnd are set.
    bool run();

private:
    // Carries out instruction i; false when the run has finished.
    bool step(const instruction& current, bool& matched);
    bool consumeClass(bool inSet);
    bool consumeBackReference(std::int32_t group);
    void push(word value);
    word pop();
    void backtrack() { instructionIndex = pop(); }
    word& slot(std::int32_t number) { return context.slots.at(number); }
    matchContext::groupSpan& group(std::int32_t number) { return context.groups.at(number); }
    word checkedPosition(word position) const;
    word checkedDepth(word depth) const;

    const growableArray<instruction>& program;
    const char* text;
    word length;
    matchContext& context;
    word instructionIndex = 0;
    word position = 0;
    word attemptStart = 0;
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "pattern/instruction.h"
#include "pattern/parse_status.h"
#include "pattern/reg_exp.h"

// Turns a folded pattern text into the program of a regExp by recursive
// descent. Every construct returns the index of its first instruction, or a
// negative value: absent when the status is still parseOk, failed otherwise.
// Each construct also says, through emptyFlag, whether it can match the empty
// text.
class patternCompiler {
public:
    patternCompiler(regExp& target, const char* pattern) : target(target), cursor(pattern) {}

    // Lays out the whole program and leaves the result in the target's status.
    void compileProgram();

private:
    struct counts {
        std::size_t instructions;
        int groups;
        int slots;
    };
    enum repeatKind { star, plus, optional, lazyStar, lazyPlus, lazyOptional };

    counts remember() const;
    void restore(const counts& saved);
    bool failed() const { return target.status != parseOk; }
    int fail(parseStatus status);
    // The index of the first record appended, or failed when the program
    // cannot grow.
    int emit(std::initializer_list<instruction> records);
    int emit(std::int32_t opcode, std::int32_t operand = 0) { return emit({{opcode, operand}}); }
    int programEnd() const { return static_cast<int>(target.program.count()); }
    instruction& at(int index) { return target.program.at(index); }

    int sequence(bool& emptyFlag);
    int term(bool& emptyFlag);
    int quantifiedItem(bool& emptyFlag);
    int greedyRepeat(repeatKind kind, int firstStart, bool& emptyFlag);
    int lazyRepeat(repeatKind kind, int firstStart, bool& emptyFlag);

    int item(bool& emptyFlag);
    int group(bool capture, bool& emptyFlag);
    int charClass(bool& emptyFlag);
    bool takeClassByte(unsigned char& byte);
    int negation(bool& emptyFlag);
    int escape(bool& emptyFlag);
    int backReference();

    regExp& target;
    const char* cursor;
    int nesting = 0;
};

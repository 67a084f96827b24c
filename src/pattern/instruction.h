#pragma once

#include <cstdint>

// The operations of the backtracking machine. The gaps in the numbering are
// not operations.
enum opcodeNumber : std::int32_t {
    opNop = 0,
    opGroupStart = 1,
    opGroupEnd = 2,
    opChar = 3,
    opAnyChar = 4,
    opCharSet = 5,
    opNotCharSet = 6,
    opJump = 13,
    opPushPos = 14,
    opPopPos = 15,
    opCall = 16,
    opBacktrack = 17,
    opPushSlot = 20,
    opPopSlot = 21,
    opSavePos = 22,
    opSaveDepth = 23,
    opLoadPos = 24,
    opLoadDepth = 25,
    opFailIfNoProgress = 26,
    opBackRef = 27,
    opFail = 28,
    opAdvance = 29,
    opMatch = 30,
    opPushGroup = 31,
    opPopGroup = 32,
};

struct instruction {
    std::int32_t opcode;
    std::int32_t operand;
};

// A class is its opcode followed by this many records holding 256 bits.
constexpr int charSetRecords = 4;

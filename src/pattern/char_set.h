#pragma once

#include <cstddef>
#include <cstdint>

#include "pattern/growable_array.h"
#include "pattern/instruction.h"

// The 256 bits of a class follow its opcode: record k holds the byte values
// 64k to 64k+63, the lower half in its opcode field, the upper in its operand.

inline std::int32_t& charSetWord(growableArray<instruction>& program, std::ptrdiff_t classStart,
                                 unsigned char byte) {
    instruction& record = program.at(classStart + 1 + byte / 64);
    return (byte % 64) < 32 ? record.opcode : record.operand;
}

inline void addToCharSet(growableArray<instruction>& program, std::ptrdiff_t classStart,
                         unsigned char byte) {
    std::int32_t& word = charSetWord(program, classStart, byte);
    word = static_cast<std::int32_t>(static_cast<std::uint32_t>(word) | (1U << (byte % 32)));
}

inline bool charSetHas(const growableArray<instruction>& program, std::ptrdiff_t classStart,
                       unsigned char byte) {
    const instruction& record = program.at(classStart + 1 + byte / 64);
    std::int32_t word = (byte % 64) < 32 ? record.opcode : record.operand;
    return ((static_cast<std::uint32_t>(word) >> (byte % 32)) & 1U) != 0;
}

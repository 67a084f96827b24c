#include "program_listing.h"

#include <gtest/gtest.h>

#include <map>

#include "pattern/char_set.h"

namespace {

const std::map<int, std::string>& opcodeNames() {
    static const std::map<int, std::string> names = {
        {opNop, "nop"},
        {opGroupStart, "groupStart"},
        {opGroupEnd, "groupEnd"},
        {opChar, "char"},
        {opAnyChar, "any"},
        {opCharSet, "set"},
        {opNotCharSet, "notSet"},
        {opJump, "jump"},
        {opPushPos, "pushPos"},
        {opPopPos, "popPos"},
        {opCall, "call"},
        {opBacktrack, "backtrack"},
        {opPushSlot, "pushSlot"},
        {opPopSlot, "popSlot"},
        {opSavePos, "savePos"},
        {opSaveDepth, "saveDepth"},
        {opLoadPos, "loadPos"},
        {opLoadDepth, "loadDepth"},
        {opFailIfNoProgress, "failIfNoProgress"},
        {opBackRef, "backRef"},
        {opFail, "fail"},
        {opAdvance, "advance"},
        {opMatch, "match"},
        {opPushGroup, "pushGroup"},
        {opPopGroup, "popGroup"},
    };
    return names;
}

bool hasOperand(int opcode) {
    switch (opcode) {
        case opGroupStart:
        case opGroupEnd:
        case opJump:
        case opCall:
        case opPushSlot:
        case opPopSlot:
        case opSavePos:
        case opSaveDepth:
        case opLoadPos:
        case opLoadDepth:
        case opFailIfNoProgress:
        case opBackRef:
        case opPushGroup:
        case opPopGroup:
            return true;
        default:
            return false;
    }
}

std::string byteText(int byte) {
    if (byte > ' ' && byte < 127) {
        return std::string(1, static_cast<char>(byte));
    }
    return "\\" + std::to_string(byte);
}

std::string setMembers(const growableArray<instruction>& program, std::ptrdiff_t start) {
    std::string members;
    int byte = 0;
    while (byte < 256) {
        if (!charSetHas(program, start, static_cast<unsigned char>(byte))) {
            ++byte;
            continue;
        }
        int last = byte;
        while (last + 1 < 256 && charSetHas(program, start, static_cast<unsigned char>(last + 1))) {
            ++last;
        }
        members += byteText(byte);
        if (last > byte) {
            members += "-" + byteText(last);
        }
        byte = last + 1;
    }
    return "[" + members + "]";
}

}  // namespace

std::string programListing(const regExp& compiled) {
    std::string text;
    std::ptrdiff_t count = static_cast<std::ptrdiff_t>(compiled.program.count());
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        const instruction& current = compiled.program.at(i);
        if (!text.empty()) {
            text += "; ";
        }
        auto name = opcodeNames().find(current.opcode);
        text += name == opcodeNames().end() ? "op" + std::to_string(current.opcode) : name->second;
        if (current.opcode == opChar) {
            text += current.operand == 0 ? " 0" : " '" + byteText(current.operand & 0xff) + "'";
        } else if (current.opcode == opCharSet || current.opcode == opNotCharSet) {
            text += setMembers(compiled.program, i);
            i += charSetRecords;
        } else if (hasOperand(current.opcode)) {
            text += " " + std::to_string(current.operand);
        } else if (current.operand != 0) {
            text += " ?" + std::to_string(current.operand);
        }
    }
    return text;
}

std::string listingOf(const char* pattern) {
    regExp compiled;
    EXPECT_EQ(compiled.compile(pattern), parseOk) << pattern;
    return programListing(compiled);
}

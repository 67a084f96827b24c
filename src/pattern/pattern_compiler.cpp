#include "pattern/pattern_compiler.h"

#include <limits>

#include "pattern/nesting_scope.h"

namespace {

constexpr int absent = -1;

}  // namespace

void patternCompiler::compileProgram() {
    if (emit(opCall) < 0) {
        return;
    }
    if (*cursor == '^') {
        ++cursor;
        if (emit(opFail) < 0) {
            return;
        }
    } else if (emit(opAdvance) < 0) {
        return;
    }
    bool emptyFlag = true;
    sequence(emptyFlag);
    if (!failed()) {
        at(0).operand = 2;
        emit(opMatch);
    }
}

patternCompiler::counts patternCompiler::remember() const {
    return {target.program.count(), target.groupCount, target.slotCount};
}

void patternCompiler::restore(const counts& saved) {
    target.program.setCount(saved.instructions);
    target.groupCount = saved.groups;
    target.slotCount = saved.slots;
}

int patternCompiler::fail(parseStatus status) {
    target.status = status;
    return absent;
}

int patternCompiler::emit(std::initializer_list<instruction> records) {
    std::size_t first = target.program.count();
    std::size_t end = first + records.size();
    if (end > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
        !target.program.setCount(end)) {
        return fail(parseOutOfMemory);
    }
    std::ptrdiff_t index = static_cast<std::ptrdiff_t>(first);
    for (const instruction& record : records) {
        target.program.at(index++) = record;
    }
    return static_cast<int>(first);
}

int patternCompiler::sequence(bool& emptyFlag) {
    if (*cursor == '\0') {
        return absent;
    }
    bool termEmpty = true;
    int start = term(termEmpty);
    if (start < 0) {
        return start;
    }
    bool allEmpty = termEmpty;
    while (*cursor != '\0') {
        bool restEmpty = true;
        if (term(restEmpty) < 0) {
            if (failed()) {
                return absent;
            }
            break;
        }
        allEmpty = allEmpty && restEmpty;
    }
    emptyFlag = allEmpty;
    return start;
}

// The item is first compiled behind alternation scaffolding; without a '|'
// after it, the scaffolding is dropped and the item compiled again bare.
int patternCompiler::term(bool& emptyFlag) {
    nestingScope scope(nesting);
    if (scope.tooDeep()) {
        return fail(parseOutOfMemory);
    }
    counts saved = remember();
    const char* savedCursor = cursor;
    int b = emit({{opPushPos, 0}, {opCall, 0}, {opPopPos, 0}, {opJump, 0}});
    if (b < 0) {
        return b;
    }
    at(b + 1).operand = b + 4;
    int left = quantifiedItem(emptyFlag);
    if (left < 0) {
        if (!failed()) {
            restore(saved);
        }
        return left;
    }
    int d = emit(opJump);
    if (d < 0) {
        return d;
    }
    at(b + 3).operand = d + 1;
    if (*cursor != '|') {
        restore(saved);
        cursor = savedCursor;
        return quantifiedItem(emptyFlag);
    }
    ++cursor;
    bool rightEmpty = true;
    int right = term(rightEmpty);
    if (right < 0) {
        if (!failed()) {
            restore(saved);
        }
        return right;
    }
    at(d).operand = programEnd();
    at(b + 3).operand = right;
    if (rightEmpty) {
        emptyFlag = true;
    }
    return b;
}

int patternCompiler::quantifiedItem(bool& emptyFlag) {
    counts saved = remember();
    const char* itemStart = cursor;
    int firstStart = item(emptyFlag);
    if (firstStart < 0) {
        return firstStart;
    }
    char marker = *cursor;
    if (marker != '*' && marker != '+' && marker != '?') {
        return firstStart;
    }
    int markerLength = cursor[1] == '?' ? 2 : 1;
    repeatKind kind;
    switch (marker) {
        case '*':
            kind = markerLength == 2 ? lazyStar : star;
            break;
        case '+':
            kind = markerLength == 2 ? lazyPlus : plus;
            break;
        default:
            kind = markerLength == 2 ? lazyOptional : optional;
            break;
    }
    // A plus keeps its first compilation as the mandatory occurrence; the
    // repeated copy reuses its group numbers.
    if (kind == plus || kind == lazyPlus) {
        target.groupCount = saved.groups;
    } else {
        restore(saved);
    }
    cursor = itemStart;
    bool greedy = kind == star || kind == plus || kind == optional;
    int start = greedy ? greedyRepeat(kind, firstStart, emptyFlag)
                       : lazyRepeat(kind, firstStart, emptyFlag);
    cursor += markerLength;
    return start;
}

int patternCompiler::greedyRepeat(repeatKind kind, int firstStart, bool& emptyFlag) {
    int slot = target.slotCount++;
    int b = emit({{opPushSlot, slot},
                  {opSavePos, slot},
                  {opPushPos, 0},
                  {opCall, 0},
                  {opPopPos, 0},
                  {opPopSlot, slot},
                  {opJump, 0}});
    if (b < 0) {
        return b;
    }
    int f = b + 6;
    at(b + 3).operand = f + 1;
    bool itemEmpty = false;
    if (item(itemEmpty) < 0 || emit({{opFailIfNoProgress, slot}, {opSavePos, slot}}) < 0) {
        return absent;
    }
    if (kind != optional && emit(opJump, b) < 0) {
        return absent;
    }
    at(f).operand = programEnd();
    if (itemEmpty && kind != optional) {
        return fail(parseEmptyRepeat);
    }
    emptyFlag = kind != plus;
    return kind == plus ? firstStart : b;
}

// The position is saved before what follows is tried, so that taking one
// more occurrence starts where the repeat stood, not where the failed attempt
// left off.
int patternCompiler::lazyRepeat(repeatKind kind, int firstStart, bool& emptyFlag) {
    int b = emit({{opPushPos, 0}, {opCall, 0}, {opPopPos, 0}});
    if (b < 0) {
        return b;
    }
    bool itemEmpty = false;
    int itemStart = item(itemEmpty);
    if (itemStart < 0) {
        return itemStart;
    }
    emptyFlag = true;
    if (kind == lazyOptional) {
        at(b + 1).operand = programEnd();
        return b;
    }
    // A negation or a back-reference can succeed without consuming or leaving
    // a backtrack point; repeating it lazily would never end.
    int itemOpcode = at(itemStart).opcode;
    bool zeroWidth = itemOpcode == opSavePos || itemOpcode == opBackRef;
    int c = emit(opJump, b);
    if (c < 0) {
        return c;
    }
    at(b + 1).operand = c + 1;
    if (itemEmpty || zeroWidth) {
        return fail(parseEmptyRepeat);
    }
    return kind == lazyPlus ? firstStart : b;
}

#include "pattern/backtrack_machine.h"

#include <cstring>

#include "pattern/char_set.h"

bool backtrackMachine::run() {
    bool matched = false;
    for (std::size_t steps = 0;; ++steps) {
        if (steps == context.stepLimit) {
            throw CAtlException(E_FAIL);
        }
        if (instructionIndex == 0) {
            context.matchStart = position;
        }
        if (!step(program.at(instructionIndex), matched)) {
            return matched;
        }
    }
}

bool backtrackMachine::step(const instruction& current, bool& matched) {
    word& i = instructionIndex;
    word& p = position;
    switch (current.opcode) {
        case opNop:
            ++i;
            break;
        case opGroupStart:
            group(current.operand).start = p;
            ++i;
            break;
        case opGroupEnd:
            group(current.operand).end = p;
            ++i;
            break;
        case opChar:
            // The terminator itself can be matched, but nothing past it.
            if (p <= length && static_cast<signed char>(text[p]) == current.operand) {
                ++p;
                ++i;
            } else {
                backtrack();
            }
            break;
        case opAnyChar:
            if (p < length) {
                ++p;
                ++i;
            } else {
                backtrack();
            }
            break;
        case opCharSet:
        case opNotCharSet:
            if (consumeClass(current.opcode == opCharSet)) {
                ++p;
                i += 1 + charSetRecords;
            } else {
                backtrack();
            }
            break;
        case opJump:
            i = current.operand;
            break;
        case opPushPos:
            push(p);
            ++i;
            break;
        case opPopPos:
            p = checkedPosition(pop());
            ++i;
            break;
        case opCall:
            push(i + 1);
            i = current.operand;
            break;
        case opBacktrack:
            backtrack();
            break;
        case opPushSlot:
            push(slot(current.operand));
            ++i;
            break;
        case opPopSlot: {
            word value = pop();
            slot(current.operand) = value;
            ++i;
            break;
        }
        case opSavePos:
            slot(current.operand) = p;
            ++i;
            break;
        case opSaveDepth:
            slot(current.operand) = context.depth;
            ++i;
            break;
        case opLoadPos:
            p = checkedPosition(slot(current.operand));
            ++i;
            break;
        case opLoadDepth:
            context.depth = checkedDepth(slot(current.operand));
            ++i;
            break;
        case opFailIfNoProgress:
            if (p == slot(current.operand)) {
                backtrack();
            } else {
                ++i;
            }
            break;
        case opBackRef:
            if (consumeBackReference(current.operand)) {
                ++i;
            } else {
                backtrack();
            }
            break;
        case opFail:
            context.matchEnd = p;
            return false;
        case opAdvance:
            // Start positions stop at the terminator; an empty text has only one.
            ++attemptStart;
            if (attemptStart >= length) {
                context.matchEnd = length;
                return false;
            }
            context.depth = 0;
            i = 0;
            p = attemptStart;
            break;
        case opMatch:
            context.matchEnd = p;
            matched = true;
            return false;
        case opPushGroup: {
            const matchContext::groupSpan& span = group(current.operand);
            push(span.start);
            push(span.end);
            ++i;
            break;
        }
        case opPopGroup: {
            matchContext::groupSpan& span = group(current.operand);
            span.end = pop();
            span.start = pop();
            ++i;
            break;
        }
        default:
            throw CAtlException(E_INVALIDARG);
    }
    return true;
}

bool backtrackMachine::consumeClass(bool inSet) {
    if (position >= length) {
        return false;
    }
    unsigned char byte = static_cast<unsigned char>(text[position]);
    return charSetHas(program, instructionIndex, byte) == inSet;
}

// A group that is unset, unfinished (its end not after its start, as inside
// the group itself) or out of the text has matched nothing: length 0.
bool backtrackMachine::consumeBackReference(std::int32_t number) {
    const matchContext::groupSpan& span = group(number);
    bool finished = span.start >= 0 && span.start <= span.end && span.end <= length + 1;
    word spanLength = finished ? span.end - span.start : 0;
    if (spanLength == 0) {
        return true;
    }
    // Both texts are folded, so equal bytes mean equal without regard to case.
    if (position + spanLength > length + 1 ||
        std::memcmp(text + position, text + span.start, static_cast<std::size_t>(spanLength)) !=
            0) {
        return false;
    }
    position += spanLength;
    return true;
}

void backtrackMachine::push(word value) {
    word depth = context.depth + 1;
    if (depth >= static_cast<word>(context.stack.count())) {
        std::size_t wanted = 2 * static_cast<std::size_t>(depth) + 2;
        // Going on without every pushed word would give a wrong answer.
        if (wanted > context.stackLimit || !context.stack.setCount(wanted)) {
            throw CAtlException(E_OUTOFMEMORY);
        }
    }
    context.stack.at(depth) = value;
    context.depth = depth;
}

backtrackMachine::word backtrackMachine::pop() {
    if (context.depth == 0) {
        return 0;
    }
    word value = context.stack.at(context.depth);
    --context.depth;
    return value;
}

backtrackMachine::word backtrackMachine::checkedPosition(word candidate) const {
    if (candidate < 0 || candidate > length + 1) {
        throw CAtlException(E_INVALIDARG);
    }
    return candidate;
}

backtrackMachine::word backtrackMachine::checkedDepth(word candidate) const {
    if (candidate < 0 || (candidate > 0 && candidate >= static_cast<word>(context.stack.count()))) {
        throw CAtlException(E_INVALIDARG);
    }
    return candidate;
}

#include <climits>

#include "pattern/char_set.h"
#include "pattern/nesting_scope.h"
#include "pattern/pattern_compiler.h"

namespace {

constexpr int absent = -1;

struct abbreviation {
    char letter;
    const char* expansion;
};

// Searched in this order. Only the first item of an expansion is compiled,
// so \q matches the double-quoted form alone.
const abbreviation abbreviations[] = {
    {'a', "([a-zA-Z0-9])"},
    {'b', "([ \\t])"},
    {'c', "([a-zA-Z])"},
    {'d', "([0-9])"},
    {'h', "([0-9a-fA-F])"},
    {'n', "(\r|(\r?\n))"},
    {'q', "(\"[^\"]*\")|('[^']*')"},
    {'w', "([a-zA-Z]+)"},
    {'z', "([0-9]+)"},
};

const char* expansionOf(char letter) {
    for (const abbreviation& entry : abbreviations) {
        if (entry.letter == letter) {
            return entry.expansion;
        }
    }
    return nullptr;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int patternCompiler::item(bool& emptyFlag) {
    nestingScope scope(nesting);
    if (scope.tooDeep()) {
        return fail(parseOutOfMemory);
    }
    char c = *cursor;
    switch (c) {
        case '\0':
        case ')':
        case ']':
        case '}':
            return absent;
        case '{':
            return group(true, emptyFlag);
        case '(':
            return group(false, emptyFlag);
        case '[':
            return charClass(emptyFlag);
        case '!':
            return negation(emptyFlag);
        case '\\':
            return escape(emptyFlag);
        case '.':
            ++cursor;
            emptyFlag = false;
            return emit(opAnyChar);
        case '$':
            // Only a '$' that ends the pattern is the end of the text.
            if (cursor[1] == '\0') {
                c = '\0';
            }
            break;
        default:
            break;
    }
    ++cursor;
    emptyFlag = false;
    return emit(opChar, static_cast<signed char>(c));
}

int patternCompiler::group(bool capture, bool& emptyFlag) {
    char close = capture ? '}' : ')';
    parseStatus unclosed = capture ? parseUnclosedBrace : parseUnclosedParen;
    ++cursor;
    int number = 0;
    int start;
    int callIndex;
    if (capture) {
        number = target.groupCount++;
        start = emit({{opPushGroup, number},
                      {opGroupStart, number},
                      {opCall, 0},
                      {opPopGroup, number},
                      {opBacktrack, 0}});
        callIndex = start + 2;
    } else {
        start = emit({{opCall, 0}, {opBacktrack, 0}});
        callIndex = start;
    }
    if (start < 0) {
        return start;
    }
    bool bodyEmpty = true;
    int body = sequence(bodyEmpty);
    if (body < 0) {
        if (failed()) {
            return body;
        }
        if (*cursor != close) {
            return fail(unclosed);
        }
        // An empty group still needs a body to call.
        body = emit(opNop);
        if (body < 0) {
            return body;
        }
        bodyEmpty = false;
    }
    at(callIndex).operand = body;
    if (capture && emit(opGroupEnd, number) < 0) {
        return absent;
    }
    if (*cursor != close) {
        return fail(unclosed);
    }
    ++cursor;
    emptyFlag = bodyEmpty;
    return start;
}

int patternCompiler::charClass(bool& emptyFlag) {
    ++cursor;
    bool negated = false;
    if (*cursor == '^') {
        negated = true;
        ++cursor;
    }
    if (*cursor == ']') {
        ++cursor;
        return fail(parseEmptyClass);
    }
    int start = emit({{negated ? opNotCharSet : opCharSet, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});
    if (start < 0) {
        return start;
    }
    while (*cursor != '\0' && *cursor != ']') {
        unsigned char first;
        if (!takeClassByte(first)) {
            break;
        }
        unsigned char last = first;
        if (*cursor == '-') {
            ++cursor;
            if (*cursor == ']' || *cursor == '\0') {
                return fail(parseUnclosedBracket);
            }
            last = static_cast<unsigned char>(*cursor++);
            if (last < first) {
                return fail(parseBadRange);
            }
        }
        for (unsigned byte = first; byte <= last; ++byte) {
            addToCharSet(target.program, start, static_cast<unsigned char>(byte));
        }
    }
    if (*cursor != ']') {
        return fail(parseUnclosedBracket);
    }
    ++cursor;
    emptyFlag = false;
    return start;
}

// One byte of a class body; a backslash takes the next byte as it is, but
// \t is a tab. False for a backslash that ends the pattern: that ends the body.
bool patternCompiler::takeClassByte(unsigned char& byte) {
    if (*cursor == '\\') {
        ++cursor;
        if (*cursor == '\0') {
            return false;
        }
        byte =
            *cursor == 't' ? static_cast<unsigned char>('\t') : static_cast<unsigned char>(*cursor);
    } else {
        byte = static_cast<unsigned char>(*cursor);
    }
    ++cursor;
    return true;
}

int patternCompiler::negation(bool& emptyFlag) {
    ++cursor;
    int savedPos = target.slotCount++;
    int savedDepth = target.slotCount++;
    int start = emit({{opSavePos, savedPos},
                      {opSaveDepth, savedDepth},
                      {opCall, 0},
                      {opLoadPos, savedPos},
                      {opLoadDepth, savedDepth},
                      {opJump, 0}});
    if (start < 0) {
        return start;
    }
    int body = item(emptyFlag);
    if (body < 0) {
        if (failed()) {
            return body;
        }
        // Nothing to negate: the empty text always matches, so this never does.
        body = emit(opNop);
        if (body < 0) {
            return body;
        }
        emptyFlag = false;
    }
    at(start + 2).operand = body;
    if (emit({{opLoadPos, savedPos}, {opLoadDepth, savedDepth}, {opBacktrack, 0}}) < 0) {
        return absent;
    }
    at(start + 5).operand = programEnd();
    return start;
}

int patternCompiler::escape(bool& emptyFlag) {
    ++cursor;
    emptyFlag = false;
    char c = *cursor;
    if (c == '\0') {
        return emit(opChar, 0);
    }
    if (isDigit(c)) {
        return backReference();
    }
    if (const char* expansion = expansionOf(c)) {
        const char* resume = cursor + 1;
        cursor = expansion;
        int start = quantifiedItem(emptyFlag);
        cursor = resume;
        return start < 0 ? fail(parseBadAbbreviation) : start;
    }
    ++cursor;
    return emit(opChar, static_cast<signed char>(c));
}

int patternCompiler::backReference() {
    long long number = 0;
    while (isDigit(*cursor)) {
        // Saturates: any number this large is not a group.
        if (number <= INT_MAX) {
            number = number * 10 + (*cursor - '0');
        }
        ++cursor;
    }
    if (number >= target.groupCount) {
        return fail(parseBadBackReference);
    }
    return emit(opBackRef, static_cast<std::int32_t>(number));
}

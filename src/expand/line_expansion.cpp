#include <cstdlib>
#include <cstring>
#include <iostream>

#include "events/event_report.h"
#include "expand/subs_iter.h"

namespace {

const char* findByte(const char* begin, const char* end, char byte) {
    return static_cast<const char*>(
        std::memchr(begin, byte, static_cast<std::size_t>(end - begin)));
}

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || c == '_';
}

bool isDirective(const textLine& line) {
    return line.length >= 2 && line.text[0] == '>' && line.text[1] == '>';
}

// The directive after ">>". A CR before the line feed belongs to the line end
// also where the file is read as bytes, so a template written with CR LF line
// ends means the same everywhere; a NUL ends the directive.
std::string_view directiveText(const textLine& line, bool carriageReturnKept) {
    std::size_t length = line.length;
    if (carriageReturnKept && line.endedByLineFeed && line.text[length - 1] == '\r') {
        --length;
    }
    std::string_view directive(line.text + 2, length - 2);
    return directive.substr(0, directive.find('\0'));
}

// The reader leaves the line end, or a NUL after a last line without one,
// right after the line; the line feed written goes there.
void checkLineEnd(const textLine& line, int sourceLine) {
    if (line.text[line.length] != (line.endedByLineFeed ? '\n' : '\0')) {
        { assertEvent report("inBuffer[length - 1] == '\\0'", "..\\fillwright", sourceLine); }
        std::abort();
    }
}

}  // namespace

bool subsIter::processStream(textInput& in, textOutput& out) {
    bool includesSucceeded = true;
    textLine line;
    while (!out.failed() && in.readLine(line)) {
        if (isDirective(line)) {
            includesSucceeded =
                carryOutDirective(directiveText(line, in.keepsLineEndCarriageReturns()), out) &&
                includesSucceeded;
        } else {
            writeTextLine(line, out);
        }
    }
    if (in.failed()) {
        std::cerr << "read failed" << std::endl;
    }
    const bool written = out.flush();
    return !in.failed() && written && includesSucceeded;
}

bool subsIter::matchToken(const char* dollar, const char* end, const char*& next,
                          const std::string*& value) {
    const char* nameBegin = dollar + 1;
    const char* nameEnd = nameBegin;
    const char* tokenEnd = nullptr;
    if (nameBegin < end && *nameBegin == '(') {
        ++nameBegin;
        // Names are short; a call to memchr would cost more than the loop.
        nameEnd = nameBegin;
        while (nameEnd < end && *nameEnd != ')') {
            ++nameEnd;
        }
        if (nameEnd == end) {
            return false;
        }
        tokenEnd = nameEnd + 1;
    } else {
        while (nameEnd < end && isNameCharacter(*nameEnd)) {
            ++nameEnd;
        }
        tokenEnd = nameEnd;
    }
    const std::string* found =
        lookups.find(nameBegin, static_cast<std::size_t>(nameEnd - nameBegin), currentSubs());
    if (found == nullptr) {
        return false;
    }
    next = tokenEnd;
    value = found;
    return true;
}

template <typename Emit>
const char* subsIter::forEachToken(const char* begin, const char* end, Emit emit) {
    const char* segment = begin;
    const char* dollar = findByte(begin, end, '$');
    while (dollar != nullptr) {
        const char* next = nullptr;
        const std::string* value = nullptr;
        if (matchToken(dollar, end, next, value)) {
            emit(segment, static_cast<std::size_t>(dollar - segment), *value);
            segment = next;
        } else {
            next = dollar + 1;
        }
        dollar = findByte(next, end, '$');
    }
    return segment;
}

void subsIter::writeTextLine(textLine& line, textOutput& out) {
    char* const text = line.text;
    const char* const lineEnd = text + line.length;
    const char* rest = text;
    int sourceLine = 273;
    if (findByte(text, lineEnd, '$') != nullptr) {
        // Dollar signs after a NUL are not searched; the bytes are still copied.
        const char* nul = findByte(text, lineEnd, '\0');
        rest =
            forEachToken(text, nul != nullptr ? nul : lineEnd,
                         [&out](const char* segment, std::size_t length, const std::string& value) {
                             out.write(segment, length);
                             out.write(value);
                         });
        sourceLine = 292;
    }
    checkLineEnd(line, sourceLine);
    text[line.length] = '\n';
    out.write(rest, static_cast<std::size_t>(lineEnd + 1 - rest));
}

std::string subsIter::expandValue(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 10);
    const char* end = text.data() + text.size();
    const char* rest =
        forEachToken(text.data(), end,
                     [&result](const char* segment, std::size_t length, const std::string& value) {
                         result.append(segment, length);
                         result += value;
                     });
    result.append(rest, end);
    return result;
}

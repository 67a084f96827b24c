#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "events/event_report.h"
#include "expand/dollar_search.h"
#include "expand/short_name.h"
#include "expand/subs_iter.h"
#include "expand/word_bytes.h"

namespace {

// An empty text may have no storage at all (a null pointer), which memchr
// must not be given.
const char* findByte(const char* begin, const char* end, char byte) {
    if (begin == end) {
        return nullptr;
    }
    return static_cast<const char*>(
        std::memchr(begin, byte, static_cast<std::size_t>(end - begin)));
}

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || c == '_';
}

// The first character at or after name that cannot belong to a $NAME token.
const char* endOfName(const char* name, const char* end) {
    for (; end - name >= 8; name += 8) {
        if (const std::uint64_t others =
                ~wordBytes::nameCharacters(wordBytes::load(name)) & wordBytes::highBits;
            others != 0) {
            return name + wordBytes::firstMarked(others);
        }
    }
    while (name < end && isNameCharacter(*name)) {
        ++name;
    }
    return name;
}

// The first ')' or line feed at or after name, or end.
const char* closingParenthesis(const char* name, const char* end) {
    for (; end - name >= 8; name += 8) {
        const std::uint64_t word = wordBytes::load(name);
        if (const std::uint64_t stops =
                wordBytes::equalTo(word, ')') | wordBytes::equalTo(word, '\n');
            stops != 0) {
            return name + wordBytes::firstMarked(stops);
        }
    }
    while (name < end && *name != ')' && *name != '\n') {
        ++name;
    }
    return name;
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

// The leading text lines of complete lines, up to the first directive line
// or line with a NUL byte: those need the line by line treatment.
std::size_t plainTextLength(std::string_view lines) {
    const char* const begin = lines.data();
    const char* const end = begin + lines.size();
    const char* plainEnd = end;
    for (const char* angle = findByte(begin, end, '>'); angle != nullptr;
         angle = findByte(angle + 1, end, '>')) {
        if (angle + 1 < end && angle[1] == '>' && (angle == begin || angle[-1] == '\n')) {
            plainEnd = angle;
            break;
        }
    }
    if (const char* nul = findByte(begin, plainEnd, '\0'); nul != nullptr) {
        plainEnd = nul;
        while (plainEnd > begin && plainEnd[-1] != '\n') {
            --plainEnd;
        }
    }
    return static_cast<std::size_t>(plainEnd - begin);
}

}  // namespace

bool subsIter::processStream(textInput& in, textOutput& out) {
    bool includesSucceeded = true;
    textLine line;
    std::size_t lineNumber = 0;
    const bool oneByOne = linesOneByOne();
    while (!out.failed()) {
        // Most lines are plain text: those are expanded many lines at a time.
        const std::string_view lines = oneByOne ? std::string_view() : in.completeLines();
        if (const std::size_t plain = plainTextLength(lines); plain > 0) {
            writeTextLines(lines.substr(0, plain), out);
            in.skip(plain);
            continue;
        }
        if (!in.readLine(line)) {
            break;
        }
        ++lineNumber;
        if (isDirective(line)) {
            directiveLine = lineNumber;
            includesSucceeded =
                carryOutDirective(directiveText(line, in.keepsLineEndCarriageReturns()), out) &&
                includesSucceeded;
        } else {
            if (settings.strict) {
                reportMisses({line.text, line.length}, lineNumber);
            }
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
    const char* tokenEnd = nullptr;
    tokenCache::reader cache = lookups.readerOf(currentSubs());
    const cachedValue* found = tokenAt(dollar, end, tokenEnd, cache);
    if (found == nullptr) {
        return false;
    }
    next = tokenEnd;
    value = found->text;
    return true;
}

// Inlined into the scans: it runs for every dollar sign of a template.
[[gnu::always_inline]] inline const cachedValue* subsIter::tokenAt(const char* dollar,
                                                                   const char* end,
                                                                   const char*& tokenEnd,
                                                                   tokenCache::reader& cache) {
    const char* nameBegin = dollar + 1;
    const char* nameEnd = nullptr;
    if (shortName::available &&
        end - nameBegin > static_cast<std::ptrdiff_t>(packedName::capacity)) {
        const bool parenthesized = *nameBegin == '(';
        const char* name = nameBegin + parenthesized;
        packedName packed;
        if (shortName::pack(name, parenthesized, packed)) {
            tokenEnd = name + packed.length + parenthesized;
            return cache.find(packed, name);
        }
    }
    if (nameBegin < end && *nameBegin == '(') {
        ++nameBegin;
        nameEnd = closingParenthesis(nameBegin, end);
        if (nameEnd == end || *nameEnd != ')') {
            return nullptr;
        }
        tokenEnd = nameEnd + 1;
    } else {
        nameEnd = endOfName(nameBegin, end);
        tokenEnd = nameEnd;
    }
    return cache.find(nameBegin, static_cast<std::size_t>(nameEnd - nameBegin));
}

template <typename Emit>
const char* subsIter::forEachToken(const char* begin, const char* end, Emit emit) {
    tokenCache::reader cache = lookups.readerOf(currentSubs());
    const char* segment = begin;
    const char* next = begin;  // where the next token may begin
    const char* block = begin;
    for (; end - block >= static_cast<std::ptrdiff_t>(dollarBlock::size);
         block += dollarBlock::size) {
        for (std::uint64_t dollars = dollarBlock::find(block); dollars != 0;
             dollars &= dollars - 1) {
            const char* dollar = block + __builtin_ctzll(dollars);
            if (dollar < next) {
                continue;  // inside the last token
            }
            const char* tokenEnd = nullptr;
            if (const cachedValue* value = tokenAt(dollar, end, tokenEnd, cache);
                value != nullptr) {
                emit(segment, static_cast<std::size_t>(dollar - segment), *value);
                segment = next = tokenEnd;
            }
        }
    }
    // The rest, shorter than a block.
    const char* dollar = findByte(next > block ? next : block, end, '$');
    while (dollar != nullptr) {
        if (const cachedValue* value = tokenAt(dollar, end, next, cache); value != nullptr) {
            emit(segment, static_cast<std::size_t>(dollar - segment), *value);
            segment = next;
        } else {
            next = dollar + 1;
        }
        dollar = findDollar(next, end);
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
                         [&out](const char* segment, std::size_t length, const cachedValue& value) {
                             out.writePadded(segment, length);
                             out.writePadded(value.bytes(), value.size);
                         });
        sourceLine = 292;
    }
    checkLineEnd(line, sourceLine);
    text[line.length] = '\n';
    out.write(rest, static_cast<std::size_t>(lineEnd + 1 - rest));
}

// Complete text lines without NUL bytes: their line feeds are copied as they
// are, so the lines need not be taken one by one.
void subsIter::writeTextLines(std::string_view lines, textOutput& out) {
    const char* const end = lines.data() + lines.size();
    textOutput::freeSpace space = out.acquire();
    const char* rest = forEachToken(
        lines.data(), end,
        [&out, &space](const char* segment, std::size_t length, const cachedValue& value) {
            if (length <= shortPiece && value.size <= shortPiece &&
                space.end - space.at >= static_cast<std::ptrdiff_t>(2 * shortPiece)) {
                std::memcpy(space.at, segment, shortPiece);
                space.at += length;
                std::memcpy(space.at, value.bytes(), shortPiece);
                space.at += value.size;
                return;
            }
            out.release(space.at);
            out.write(segment, length);
            out.write(value.bytes(), value.size);
            space = out.acquire();
        });
    out.release(space.at);
    out.write(rest, static_cast<std::size_t>(end - rest));
}

std::string subsIter::expandValue(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 10);
    const char* end = text.data() + text.size();
    const char* rest =
        forEachToken(text.data(), end,
                     [&result](const char* segment, std::size_t length, const cachedValue& value) {
                         result.append(segment, length);
                         result += *value.text;
                     });
    result.append(rest, end);
    return result;
}

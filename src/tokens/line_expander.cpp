#include "tokens/line_expander.h"

#include <algorithm>
#include <cstring>

#include "tokens/dollar_search.h"
#include "tokens/short_name.h"
#include "tokens/token_syntax.h"
#include "tokens/word_bytes.h"

namespace {

using namespace tokenSyntax;

// Two of these begin a directive line.
constexpr char directiveMark = '>';

// An empty text may have no storage at all (a null pointer), which memchr
// must not be given.
const char* findByte(const char* begin, const char* end, char byte) {
    if (begin == end) {
        return nullptr;
    }
    return static_cast<const char*>(
        std::memchr(begin, byte, static_cast<std::size_t>(end - begin)));
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
                wordBytes::equalTo(word, closeParenthesis) | wordBytes::equalTo(word, lineFeed);
            stops != 0) {
            return name + wordBytes::firstMarked(stops);
        }
    }
    while (name < end && *name != closeParenthesis && *name != lineFeed) {
        ++name;
    }
    return name;
}

// The first line start after begin that is a directive line, or may be one
// when more text follows end; else end.
const char* nextDirective(const char* begin, const char* end, bool softEnd) {
    for (const char* mark = findByte(begin, end, directiveMark); mark != nullptr;
         mark = findByte(mark + 1, end, directiveMark)) {
        if (mark > begin && mark[-1] == lineFeed &&
            (mark + 1 < end ? mark[1] == directiveMark : softEnd)) {
            return mark;
        }
    }
    return end;
}

}  // namespace

lineExpander::lineExpander(const subsTable& table) {
    useTable(table);
}

void lineExpander::useTable(const subsTable& newTable) {
    table = &newTable;
    longestKeyword = 0;
    for (const auto& entry : newTable.all()) {
        longestKeyword = std::max(longestKeyword, entry.first.size());
    }
    lookups.forget();
}

void lineExpander::keywordSet(std::size_t keywordLength) {
    longestKeyword = std::max(longestKeyword, keywordLength);
    lookups.forget();
}

// Inlined into the scans: it runs for every dollar sign of a template.
[[gnu::always_inline]] inline const cachedValue* lineExpander::tokenAt(
    const char* dollar, const char* end, bool softEnd, const char*& tokenEnd,
    tokenCache::reader& cache, closingSearch& closing, missObserver* observer) const {
    const char* nameBegin = dollar + 1;
    if (shortName::available &&
        end - nameBegin > static_cast<std::ptrdiff_t>(packedName::capacity)) {
        const bool parenthesized = *nameBegin == openParenthesis;
        const char* name = nameBegin + parenthesized;
        packedName packed;
        if (shortName::pack(name, parenthesized, packed)) {
            tokenEnd = name + packed.length + parenthesized;
            const cachedValue* value = cache.find(packed, name);
            if (value == nullptr && observer != nullptr && parenthesized) {
                observer->unknownName({name, packed.length}, currentFile, currentLine);
            }
            return value;
        }
    }
    return longTokenAt(dollar, end, softEnd, tokenEnd, cache, closing, observer);
}

const cachedValue* lineExpander::longTokenAt(const char* dollar, const char* end, bool softEnd,
                                             const char*& tokenEnd, tokenCache::reader& cache,
                                             closingSearch& closing, missObserver* observer) const {
    const char* nameBegin = dollar + 1;
    tokenEnd = nullptr;
    if (nameBegin == end && softEnd) {
        return nullptr;
    }
    if (nameBegin < end && *nameBegin == openParenthesis) {
        const char* name = nameBegin + 1;
        if (closing.stop == nullptr || name < closing.from || name > closing.stop) {
            closing = {name, closingParenthesis(name, end)};
        }
        const char* stop = closing.stop;
        const auto length = static_cast<std::size_t>(stop - name);
        if (stop == end && softEnd && length <= longestKeyword) {
            return nullptr;
        }
        tokenEnd = dollar + 1;
        if (stop == end || *stop != closeParenthesis) {
            return nullptr;
        }
        const cachedValue* value = length <= longestKeyword ? cache.find(name, length) : nullptr;
        if (value == nullptr) {
            if (observer != nullptr) {
                observer->unknownName({name, length}, currentFile, currentLine);
            }
            return nullptr;
        }
        tokenEnd = stop + 1;
        return value;
    }
    const char* nameEnd = endOfName(nameBegin, end);
    const auto length = static_cast<std::size_t>(nameEnd - nameBegin);
    if (nameEnd == end && softEnd && length <= longestKeyword) {
        return nullptr;
    }
    tokenEnd = dollar + 1;
    const cachedValue* value = length <= longestKeyword ? cache.find(nameBegin, length) : nullptr;
    if (value != nullptr) {
        tokenEnd = nameEnd;
    }
    return value;
}

template <typename Emit>
lineExpander::scanEnd lineExpander::forEachToken(const char* begin, const char* from,
                                                 const char* end, bool softEnd,
                                                 missObserver* observer, Emit emit) {
    tokenCache::reader cache = lookups.readerOf(*table);
    closingSearch closing;
    const char* segment = begin;
    const char* next = from;  // where the next token may begin
    const char* dollar = findByte(next, end, tokenSyntax::dollar);
    while (dollar != nullptr) {
        const char* tokenEnd = nullptr;
        if (const cachedValue* value =
                tokenAt(dollar, end, softEnd, tokenEnd, cache, closing, observer);
            value != nullptr) {
            emit(segment, static_cast<std::size_t>(dollar - segment), *value);
            segment = next = tokenEnd;
        } else if (tokenEnd == nullptr) {
            return {segment, dollar};
        } else {
            next = dollar + 1;
        }
        dollar = findDollar(next, end);
    }
    return {segment, end};
}

const char* lineExpander::writeExpanded(const char* begin, const char* end, bool softEnd,
                                        textOutput& out, missObserver* observer) {
    const blocksEnd blocks = writeBlocks(begin, end, softEnd, out, observer);
    if (blocks.held != nullptr) {
        return blocks.held;
    }
    textOutput::freeSpace space = out.acquire();
    const scanEnd scanned = forEachToken(
        blocks.segment, blocks.from, end, softEnd, observer,
        [&out, &space](const char* segment, std::size_t length, const cachedValue& value) {
            const paddedText text{segment, length};
            const paddedText replacement = value.padded();
            if (text.isShort() && replacement.isShort() &&
                space.end - space.at >= static_cast<std::ptrdiff_t>(2 * shortPiece)) {
                space.at = replacement.copyShortTo(text.copyShortTo(space.at));
                return;
            }
            out.release(space.at);
            out.write(text.data, text.size);
            out.write(replacement.data, replacement.size);
            space = out.acquire();
        });
    out.release(space.at);
    out.write(scanned.segment, static_cast<std::size_t>(scanned.held - scanned.segment));
    return scanned.held;
}

// Out of the loop that calls it, whose free space then stays in registers.
[[gnu::noinline]] textOutput::freeSpace lineExpander::writePieces(textOutput& out, char* at,
                                                                  const char* segment,
                                                                  std::size_t length,
                                                                  const cachedValue& value) {
    out.release(at);
    out.write(segment, length);
    out.write(value.padded());
    return out.acquire();
}

lineExpander::blocksEnd lineExpander::writeBlocks(const char* begin, const char* end, bool softEnd,
                                                  textOutput& out, missObserver* observer) {
    tokenCache::reader cache = lookups.readerOf(*table);
    closingSearch closing;
    textOutput::freeSpace space = out.acquire();
    const char* segment = begin;
    const char* next = begin;
    const char* chunk = begin;
    std::uint16_t offsets[listedChunk];
    while (end - chunk >= static_cast<std::ptrdiff_t>(blockRoom)) {
        const std::size_t blocks =
            std::min(listedChunk, static_cast<std::size_t>(end - chunk) - fixedCopy) /
            dollarBlock::size;
        std::size_t count = 0;
        for (std::size_t block = 0; block < blocks; ++block) {
            const std::size_t offset = block * dollarBlock::size;
            count += dollarBlock::listOffsets(dollarBlock::find(chunk + offset),
                                              static_cast<std::uint16_t>(offset), offsets + count);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const char* dollar = chunk + offsets[i];
            if (dollar < next) {
                continue;  // inside the last token
            }
            const bool parenthesized = dollar[1] == openParenthesis;
            const char* name = dollar + 1 + parenthesized;
            const cachedValue* value;
            const char* tokenEnd;
            if (packedName packed; shortName::pack(name, parenthesized, packed)) {
                value = &cache.findPacked(packed, name);
                const bool known = value->text != nullptr;
                if (observer != nullptr && !known && parenthesized) {
                    observer->unknownName({name, packed.length}, currentFile, currentLine);
                }
                // No branch on the name being known, which varies at random
                // (compilers make one of a conditional here): an unknown
                // token is written as an empty value, and its bytes begin the
                // next segment.
                const std::size_t tokenLength = 1 + 2 * std::size_t{parenthesized} + packed.length;
                tokenEnd = dollar + (tokenLength & (0 - std::size_t{known}));
            } else {
                // Its own variable, so that tokenEnd need not live in memory.
                const char* longEnd = nullptr;
                value = longTokenAt(dollar, end, softEnd, longEnd, cache, closing, observer);
                if (value == nullptr) {
                    if (longEnd != nullptr) {
                        continue;
                    }
                    out.release(space.at);
                    out.write(segment, static_cast<std::size_t>(dollar - segment));
                    return {segment, next, dollar};
                }
                tokenEnd = longEnd;
            }
            const auto length = static_cast<std::size_t>(dollar - segment);
            if (length <= fixedCopy && value->size <= shortPiece &&
                space.end - space.at >= static_cast<std::ptrdiff_t>(fixedCopy + shortPiece)) {
                std::memcpy(space.at, segment, fixedCopy);
                space.at += length;
                std::memcpy(space.at, value->shortCopy, shortPiece);
                space.at += value->size;
            } else {
                space = writePieces(out, space.at, segment, length, *value);
            }
            segment = next = tokenEnd;
        }
        chunk += blocks * dollarBlock::size;
    }
    out.release(space.at);
    return {segment, std::max(next, chunk), nullptr};
}

const char* lineExpander::writeLines(const char* begin, const char* end, bool softEnd,
                                     bool& afterNul, textOutput& out) {
    const char* at = begin;
    while (at < end) {
        if (afterNul) {
            const char* lineEnd = findByte(at, end, lineFeed);
            const char* rest = lineEnd != nullptr ? lineEnd + 1 : end;
            out.write(at, static_cast<std::size_t>(rest - at));
            at = rest;
            afterNul = lineEnd == nullptr;
            continue;
        }
        const char* nul = findByte(at, end, '\0');
        const char* tokensEnd = nul != nullptr ? nul : end;
        const char* held = writeExpanded(at, tokensEnd, softEnd && nul == nullptr, out);
        if (held != tokensEnd) {
            return held;
        }
        at = tokensEnd;
        afterNul = nul != nullptr;
    }
    return at;
}

void lineExpander::expandText(textInput& in, textOutput& out) {
    bool atLineStart = true;
    bool afterNul = false;  // no more tokens on this line
    while (!out.failed()) {
        const std::string_view text = in.buffered();
        const bool softEnd = !in.exhausted();
        const char* const begin = text.data();
        const char* const end = begin + text.size();
        const char* at = begin;
        bool directive = false;
        while (at < end) {
            if (atLineStart) {
                if (end - at < 2 && softEnd) {
                    break;  // a directive or not: the next read tells
                }
                if (end - at >= 2 && at[0] == directiveMark && at[1] == directiveMark) {
                    directive = true;
                    break;
                }
            }
            const char* textEnd = nextDirective(at, end, softEnd);
            const char* held = writeLines(at, textEnd, softEnd && textEnd == end, afterNul, out);
            if (held > begin) {
                atLineStart = held[-1] == lineFeed;
            }
            at = held;
            if (held != textEnd) {
                break;
            }
        }
        in.skip(static_cast<std::size_t>(at - begin));
        if (directive) {
            return;
        }
        if (!softEnd) {
            if (!atLineStart) {
                out.write(&lineFeed, 1);
            }
            return;
        }
        in.readMore();
    }
}

void lineExpander::expandLine(const textLine& line, std::string_view file, std::uint64_t lineNumber,
                              textOutput& out) {
    currentFile = file;
    currentLine = lineNumber;
    const char* const end = line.text + line.length;
    const char* const nul = findByte(line.text, end, '\0');
    const char* const tokensEnd = nul != nullptr ? nul : end;
    writeExpanded(line.text, tokensEnd, false, out, misses);
    out.write(tokensEnd, static_cast<std::size_t>(end - tokensEnd));
    out.write(&lineFeed, 1);
}

std::string lineExpander::expandValue(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 10);
    const char* end = text.data() + text.size();
    const scanEnd scanned =
        forEachToken(text.data(), text.data(), end, false, nullptr,
                     [&result](const char* segment, std::size_t length, const cachedValue& value) {
                         result.append(segment, length);
                         result += *value.text;
                     });
    result.append(scanned.segment, end);
    return result;
}

std::size_t lineExpander::expandedLength(std::string_view text) {
    std::size_t length = 0;
    const char* end = text.data() + text.size();
    const scanEnd scanned =
        forEachToken(text.data(), text.data(), end, false, nullptr,
                     [&length](const char*, std::size_t segmentLength, const cachedValue& value) {
                         length += segmentLength + value.size;
                     });
    return length + static_cast<std::size_t>(end - scanned.segment);
}

bool lineExpander::matchToken(const char* dollar, const char* end, const char*& next,
                              const std::string*& value) {
    tokenCache::reader cache = lookups.readerOf(*table);
    closingSearch closing;
    const char* tokenEnd = nullptr;
    const cachedValue* found = tokenAt(dollar, end, false, tokenEnd, cache, closing, nullptr);
    if (found == nullptr) {
        return false;
    }
    next = tokenEnd;
    value = found->text;
    return true;
}

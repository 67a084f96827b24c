#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pattern/atl_exception.h"
#include "pattern/reg_exp.h"

// The input is a pattern, a NUL and a text. Both are capped: a short pattern
// can take time exponential in the text, and longer inputs reach nothing new.
namespace {

constexpr std::size_t patternCap = 64;
constexpr std::size_t textCap = 256;
// Ample for any sound match of such a text; a program that pushes without end
// then stops quickly instead of growing its stack to the default limit.
constexpr std::size_t stackWords = std::size_t{1} << 16;
// Exponential backtracking is what such an engine does, not a fault: stop it
// after about a millisecond's work.
constexpr std::size_t steps = std::size_t{1} << 18;

bool withinText(matchContext::word position, std::size_t textLength) {
    // The terminator itself can be matched, so the end may lie one past it.
    return position >= 0 && static_cast<std::size_t>(position) <= textLength + 1;
}

void checkPositions(const matchContext& context, std::size_t textLength) {
    if (!withinText(context.matchStart, textLength) || !withinText(context.matchEnd, textLength)) {
        std::abort();
    }
    for (int g = 0; g < context.groupCount; ++g) {
        const matchContext::groupSpan& span = context.groups.at(g);
        const bool unset = span.start == matchContext::none && span.end == matchContext::none;
        if (!unset && (!withinText(span.start, textLength) || !withinText(span.end, textLength))) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* nul = static_cast<const char*>(std::memchr(bytes, '\0', size));
    const std::size_t patternLength = nul != nullptr ? static_cast<std::size_t>(nul - bytes) : size;
    const std::size_t textLength = nul != nullptr ? size - patternLength - 1 : 0;
    if (patternLength > patternCap || textLength > textCap) {
        return -1;
    }
    const std::string pattern(bytes, patternLength);
    // Matching stops at the first NUL of the text, as for any C string.
    const std::string text(nul != nullptr ? nul + 1 : bytes, textLength);
    try {
        regExp expression;
        if (expression.compile(pattern.c_str()) != parseOk) {
            return 0;
        }
        matchContext context;
        context.stackLimit = stackWords;
        context.stepLimit = steps;
        if (expression.match(text.c_str(), context)) {
            checkPositions(context, std::strlen(text.c_str()));
        }
    } catch (const CAtlException&) {
        // The engine's documented way to report misuse and lack of memory.
    }
    return 0;
}

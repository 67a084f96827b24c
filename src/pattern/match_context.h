#pragma once

#include <cstddef>
#include <limits>

#include "pattern/growable_array.h"

// The state of one match: where it began and ended, the capture groups and
// the backtrack stack. Positions are offsets from the start of the text.
struct matchContext {
    using word = std::ptrdiff_t;
    static constexpr word none = -1;
    static constexpr std::size_t initialStackWords = 256;
    // Far beyond any sound match of a short pattern; it stops patterns that
    // push forever from taking all memory.
    static constexpr std::size_t defaultStackLimit = std::size_t{1} << 24;

    struct groupSpan {
        word start;
        word end;
    };

    // Raises CAtlException(E_OUTOFMEMORY) when the stack cannot be allocated.
    matchContext();

    int groupCount = 0;
    word matchStart = 0;
    word matchEnd = 0;
    growableArray<word> slots;
    growableArray<groupSpan> groups;
    // Words live at indexes 1 to depth; index 0 is never used.
    growableArray<word> stack;
    word depth = 0;
    // Growing the stack beyond this many words raises E_OUTOFMEMORY.
    std::size_t stackLimit = defaultStackLimit;
    // Running more instructions than this raises E_FAIL. A short pattern can
    // take time exponential in the text, so whoever matches patterns of
    // unknown origin sets a bound; the walk's own pattern needs none.
    std::size_t stepLimit = std::numeric_limits<std::size_t>::max();
};

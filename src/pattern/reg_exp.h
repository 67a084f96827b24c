#pragma once

#include "pattern/growable_array.h"
#include "pattern/instruction.h"
#include "pattern/match_context.h"
#include "pattern/parse_status.h"

// A pattern compiled into a program for a backtracking machine. Letter case
// never matters: pattern and text are both folded to lower case.
class regExp {
public:
    regExp() = default;

    // Replaces any earlier program. parseNoPattern for a null pattern, which
    // leaves the object as it was.
    parseStatus compile(const char* pattern);

    // True when the pattern matches somewhere in text; context then holds the
    // positions. Raises CAtlException(E_INVALIDARG) when the program reaches
    // outside itself or its state, CAtlException(E_OUTOFMEMORY) when the
    // backtrack stack cannot grow.
    bool match(const char* text, matchContext& context) const;

    growableArray<instruction> program;
    int groupCount = 0;
    int slotCount = 0;

private:
    friend class patternCompiler;

    parseStatus status = parseOk;
};

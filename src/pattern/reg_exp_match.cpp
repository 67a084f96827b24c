#include <cstring>

#include "pattern/backtrack_machine.h"
#include "pattern/folded_copy.h"
#include "pattern/reg_exp.h"

namespace {

bool prepare(matchContext& context, int groupCount, int slotCount) {
    if (groupCount < 0 || slotCount < 0) {
        throw CAtlException(E_INVALIDARG);
    }
    context.depth = 0;
    context.groupCount = groupCount;
    if (!context.groups.setCount(static_cast<std::size_t>(groupCount)) ||
        !context.slots.setCount(static_cast<std::size_t>(slotCount))) {
        return false;
    }
    for (int g = 0; g < groupCount; ++g) {
        context.groups.at(g) = {matchContext::none, matchContext::none};
    }
    for (int s = 0; s < slotCount; ++s) {
        context.slots.at(s) = 0;
    }
    return true;
}

// Only finished groups have a span to show; the rest read as never matched.
void clearUnfinishedGroups(matchContext& context) {
    for (int g = 0; g < context.groupCount; ++g) {
        matchContext::groupSpan& span = context.groups.at(g);
        if (span.start == matchContext::none || span.end == matchContext::none) {
            span = {matchContext::none, matchContext::none};
        }
    }
}

}  // namespace

bool regExp::match(const char* text, matchContext& context) const {
    if (text == nullptr) {
        return false;
    }
    std::size_t length = std::strlen(text);
    std::unique_ptr<char[]> folded = foldedCopy(text, length);
    if (folded == nullptr || !prepare(context, groupCount, slotCount)) {
        return false;
    }
    backtrackMachine machine(program, folded.get(), static_cast<matchContext::word>(length),
                             context);
    bool matched = machine.run();
    clearUnfinishedGroups(context);
    return matched;
}

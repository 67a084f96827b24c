#include <iostream>
#include <new>

#include "events/text.h"
#include "expand/subs_iter.h"

bool subsIter::expandTemplate(const std::string& path, textInput& in, textOutput& out) {
    guard.startTemplate(out.identity());
    try {
        return expandStream(path, in, out);
    } catch (const std::bad_alloc&) {
        // What the expansion was building is gone; what it wrote so far
        // stays, and the next template starts afresh.
        filenames.clear();
        expander.useTable(currentSubs());
        std::cerr << "Not enough memory to expand " << quoted(path) << std::endl;
        return false;
    }
}

#include "expand/include_guard.h"

#include <algorithm>

void includeGuard::startTemplate(const std::optional<fileIdentity>& written) {
    output = written;
    expanding.clear();
    expansions = 0;
}

includeGuard::verdict includeGuard::admit(const std::optional<fileIdentity>& include) {
    if (limitReached()) {
        return verdict::tooMany;
    }
    // A file whose identity cannot be had is held by the depth and count limits alone.
    if (include && std::find(expanding.begin(), expanding.end(), include) != expanding.end()) {
        return verdict::cycle;
    }
    if (include && include == output) {
        return verdict::output;
    }
    ++expansions;
    return verdict::allowed;
}

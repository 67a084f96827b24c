#include "templates/include_guard.h"

#include <algorithm>

void includeGuard::startTemplate(const pendingOutput& written) {
    output = written.identity();
    outputWithoutFile.reset();
    if (!output) {
        outputWithoutFile = written.place();
    }
    expanding.clear();
    expansions = 0;
}

includeGuard::verdict includeGuard::beforeOpening(const std::string& path) const {
    if (expansions >= includeLimit) {
        return verdict::tooMany;
    }
    if (outputWithoutFile && placeOfPath(path) == outputWithoutFile) {
        return verdict::output;
    }
    return verdict::allowed;
}

includeGuard::verdict includeGuard::admit(const std::optional<fileIdentity>& include) {
    if (expansions >= includeLimit) {
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

#include "io/paths.h"
#include "outputs/output_mode.h"

namespace {

// Links followed by hand, at most: the system's own bound.
constexpr int linkHops = 40;

std::size_t lastSeparator(const std::string& path) {
    return path.find_last_of(pathSeparators);
}

std::string parentOf(const std::string& path) {
    const std::size_t separator = lastSeparator(path);
    return separator == std::string::npos ? "."
           : separator == 0               ? path.substr(0, 1)
                                          : path.substr(0, separator);
}

}  // namespace

std::optional<outputPlace> placeOfPath(std::string path) {
    for (int hop = 0; hop <= linkHops; ++hop) {
        const std::string parent = parentOf(path);
        if (const auto target = linkText(path)) {
            const bool absolute = !target->empty() && lastSeparator(*target) == 0;
            path = absolute ? *target : parent + "/" + *target;
            continue;
        }
        const auto parentIdentity = identifyPath(parent);
        if (!parentIdentity) {
            return std::nullopt;
        }
        const std::size_t separator = lastSeparator(path);
        return outputPlace{*parentIdentity,
                           separator == std::string::npos ? path : path.substr(separator + 1)};
    }
    return std::nullopt;
}

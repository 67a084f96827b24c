#include "dir/dir_iterator.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "events/text.h"
#include "pattern/text_pattern.h"

namespace {

// Keeps a directory on the stack of those being walked for as long as its
// listing is walked, on every way out.
class walkingGuard {
public:
    walkingGuard(std::vector<const directory*>& walking, const directory& dir) : walking(walking) {
        walking.push_back(&dir);
    }
    walkingGuard(const walkingGuard&) = delete;
    walkingGuard& operator=(const walkingGuard&) = delete;
    ~walkingGuard() { walking.pop_back(); }

private:
    std::vector<const directory*>& walking;
};

}  // namespace

bool dirIterator::walk(const std::string& dir, int depth) {
    // The start may be a link: the tree is what it leads to.
    return walk(dir, directory::open(dir), depth);
}

bool dirIterator::walk(const std::string& dir, const directory& opened, int depth) {
    walked.clear();
    if (!opened.isOpen()) {
        if (startFailuresReported) {
            std::error_code error;
            const auto status = std::filesystem::status(dir, error);
            log.message(status.type() == std::filesystem::file_type::not_found
                            ? "Starting directory " + quoted(dir) + " does not exist"
                        : status.type() == std::filesystem::file_type::directory
                            ? "Cannot open starting directory " + quoted(dir) + " for listing"
                            : "Starting directory " + quoted(dir) + " is not a directory");
        }
        return false;
    }
    start = &opened;
    const bool listed = walkDirectory(dir, opened, depth);
    start = nullptr;
    return listed;
}

bool dirIterator::walkDirectory(const std::string& path, const directory& dir, int depth) {
    static const textPattern dotsOnly("^\\.+$");
    std::vector<directoryEntry> entries;
    if (!dir.list(entries) && entries.empty()) {
        // The starting directory stays quiet; a subdirectory is named, and its
        // siblings are still walked.
        if (!walking.empty() || startFailuresReported) {
            log.message("Cannot open directory " + quoted(path) + " for listing");
        }
        return false;
    }
    const walkingGuard guard(walking, dir);
    walked.insert(dir.identity());
    bool everyListingRead = true;
    std::string fullPath;
    for (const directoryEntry& entry : entries) {
        if (dotsOnly.matches(entry.name)) {
            continue;
        }
        fullPath.assign(path).append("/").append(entry.name);
        const std::string& argument = fullPaths ? fullPath : entry.name;
        if (entry.type == directoryEntry::kind::file) {
            processFile(argument, depth);
        } else if (enterDirectory(argument, depth) &&
                   !walkSubdirectory(fullPath, dir, entry, depth + 1)) {
            everyListingRead = false;
        }
    }
    return everyListingRead;
}

bool dirIterator::walkSubdirectory(const std::string& path, const directory& parent,
                                   const directoryEntry& entry, int depth) {
    if (walking.size() > static_cast<std::size_t>(depthLimit)) {
        log.message("Not entering " + quoted(path) + ": it is nested more than " +
                    std::to_string(depthLimit) + " deep");
        return true;
    }
    const bool isLink = entry.type == directoryEntry::kind::linkToDirectory;
    const directory dir =
        isLink ? parent.linkedDirectory(entry.name) : parent.subdirectory(entry.name);
    if (!dir.isOpen()) {
        log.message("Cannot open directory " + quoted(path) + " for listing");
        return false;
    }
    const auto sameAs = [&dir](const directory* other) {
        return other->identity() == dir.identity();
    };
    if (std::any_of(walking.begin(), walking.end(), sameAs)) {
        log.message("Not entering " + quoted(path) + ": it leads back to a directory being walked");
        return true;
    }
    if (walked.count(dir.identity()) != 0) {
        log.message("Not entering " + quoted(path) + ": it was walked already");
        return true;
    }
    // Writes under a link must stay in the tree: a link out of it is not
    // followed, whatever its spelling.
    if (isLink && !dir.liesWithin(*start)) {
        log.message("Not entering " + quoted(path) + ": it is a link that leads out of the tree");
        return true;
    }
    return walkDirectory(path, dir, depth);
}

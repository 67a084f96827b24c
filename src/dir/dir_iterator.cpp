#include "dir/dir_iterator.h"

#include <algorithm>
#include <iostream>

#include "dir/directory_listing.h"
#include "events/text.h"
#include "pattern/text_pattern.h"

namespace {

// Keeps a directory on the stack of those being walked for as long as its
// listing is walked, on every way out.
class walkingGuard {
public:
    walkingGuard(std::vector<fileIdentity>& walking, const fileIdentity* identity)
        : walking(walking), pushed(identity != nullptr) {
        if (pushed) {
            walking.push_back(*identity);
        }
    }
    walkingGuard(const walkingGuard&) = delete;
    walkingGuard& operator=(const walkingGuard&) = delete;
    ~walkingGuard() {
        if (pushed) {
            walking.pop_back();
        }
    }

private:
    std::vector<fileIdentity>& walking;
    bool pushed;
};

}  // namespace

bool dirIterator::walk(const std::string& dir, int depth) {
    walked.clear();
    fileIdentity identity;
    const bool identified = platformFile::identifyPath(dir, identity);
    return walkDirectory(dir, depth, identified ? &identity : nullptr, false);
}

bool dirIterator::walkDirectory(const std::string& dir, int depth, const fileIdentity* identity,
                                bool isSubdirectory) {
    static const textPattern dotsOnly("^\\.+$");
    directoryListing listing(dir);
    if (!listing.isOpen()) {
        // The starting directory stays quiet; a subdirectory is named, and its
        // siblings are still walked.
        if (isSubdirectory) {
            std::cerr << "Cannot open directory " << quoted(dir) << " for listing" << std::endl;
        }
        return false;
    }
    walkingGuard guard(walking, identity);
    if (identity != nullptr) {
        walked.insert(*identity);
    }
    bool everyListingOpened = true;
    std::string name;
    std::string fullPath;
    bool isDirectory = false;
    while (listing.next(name, isDirectory)) {
        if (dotsOnly.matches(name)) {
            continue;
        }
        fullPath.assign(dir).append("/").append(name);
        const std::string& argument = fullPaths ? fullPath : name;
        if (!isDirectory) {
            processFile(argument, depth);
        } else if (enterDirectory(argument, depth) && !walkSubdirectory(fullPath, depth + 1)) {
            everyListingOpened = false;
        }
    }
    return everyListingOpened;
}

// A link that leads back to a directory being walked would make the walk
// endless; an ordinary link to a directory elsewhere is followed, once.
bool dirIterator::walkSubdirectory(const std::string& path, int depth) {
    fileIdentity identity;
    const bool identified = platformFile::identifyPath(path, identity);
    if (identified && std::find(walking.begin(), walking.end(), identity) != walking.end()) {
        std::cerr << "Not entering " << quoted(path)
                  << ": it leads back to a directory being walked" << std::endl;
        return true;
    }
    if (identified && walked.count(identity) != 0) {
        std::cerr << "Not entering " << quoted(path) << ": it was walked already" << std::endl;
        return true;
    }
    return walkDirectory(path, depth, identified ? &identity : nullptr, true);
}

#include "dir/dir_iterator.h"

#include <algorithm>
#include <iostream>

#include "events/text.h"
#include "pattern/text_pattern.h"

namespace {

// Keeps a directory on the stack of those being walked for as long as its
// listing is walked, on every way out.
class walkingGuard {
public:
    walkingGuard(std::vector<directoryIdentity>& walking, const directoryIdentity* identity)
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
    std::vector<directoryIdentity>& walking;
    bool pushed;
};

}  // namespace

bool dirIterator::walk(const std::string& dir, int depth) {
    directoryIdentity identity;
    const bool identified = identifyDirectory(dir, identity);
    return walkDirectory(dir, depth, identified ? &identity : nullptr, false);
}

bool dirIterator::walkDirectory(const std::string& dir, int depth,
                                const directoryIdentity* identity, bool isSubdirectory) {
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
// endless; an ordinary link to a directory elsewhere is followed.
bool dirIterator::walkSubdirectory(const std::string& path, int depth) {
    directoryIdentity identity;
    const bool identified = identifyDirectory(path, identity);
    if (identified && std::find(walking.begin(), walking.end(), identity) != walking.end()) {
        std::cerr << "Not entering " << quoted(path)
                  << ": it leads back to a directory being walked" << std::endl;
        return true;
    }
    return walkDirectory(path, depth, identified ? &identity : nullptr, true);
}

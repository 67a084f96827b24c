#pragma once

#include <string>
#include <vector>

#include "dir/directory_listing.h"

// A depth-first walk over a directory tree that hands every directory to
// enterDirectory and every other entry to processFile. Names made only of
// dots are skipped.
class dirIterator {
public:
    explicit dirIterator(bool fullPaths) : fullPaths(fullPaths) {}
    dirIterator(const dirIterator&) = delete;
    dirIterator& operator=(const dirIterator&) = delete;
    virtual ~dirIterator() = default;

    // True when the directory should be walked into.
    virtual bool enterDirectory(const std::string& /*path*/, int /*depth*/) { return true; }
    // Called for every entry that is not a directory; the walk ignores the result.
    virtual bool processFile(const std::string& path, int depth) = 0;

    // False when the listing of dir could not be opened.
    bool walk(const std::string& dir, int depth);

protected:
    bool fullPaths;

private:
    bool walkDirectory(const std::string& dir, int depth, const directoryIdentity* identity,
                       bool isSubdirectory);
    bool walkSubdirectory(const std::string& path, int depth);

    // The directories whose listings are being walked, outermost first.
    std::vector<directoryIdentity> walking;
};

#pragma once

#include <set>
#include <string>
#include <vector>

#include "io/file_identity.h"

// A depth-first walk over a directory tree that hands every directory to
// enterDirectory and every other entry to processFile. Names made only of
// dots are skipped, and each directory is walked at most once, whatever
// links lead to it.
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
    bool walkDirectory(const std::string& dir, int depth, const fileIdentity* identity,
                       bool isSubdirectory);
    bool walkSubdirectory(const std::string& path, int depth);

    // The directories whose listings are being walked, outermost first.
    std::vector<fileIdentity> walking;
    // Every directory walked so far: links could otherwise lead into one
    // directory many ways, and so many times over.
    std::set<fileIdentity> walked;
};

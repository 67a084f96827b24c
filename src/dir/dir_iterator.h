#pragma once

#include <set>
#include <string>
#include <vector>

#include "io/directory.h"
#include "io/file_identity.h"
#include "record/run_log.h"

// A depth-first walk over a directory tree that hands every directory to
// enterDirectory and every other entry to processFile. Names made only of
// dots are skipped, and each directory is walked at most once, whatever
// links lead to it. Each directory is held open while it is walked, and
// reached from its parent by name, never by a path someone could change: a
// link is entered only when it leads to a directory inside the tree.
class dirIterator {
public:
    dirIterator(bool fullPaths, runLog& log) : fullPaths(fullPaths), log(log) {}
    dirIterator(const dirIterator&) = delete;
    dirIterator& operator=(const dirIterator&) = delete;
    virtual ~dirIterator() = default;

    // True when the directory should be walked into.
    virtual bool enterDirectory(const std::string& /*path*/, int /*depth*/) { return true; }
    // Called for every entry that is not a directory; the walk ignores the result.
    virtual bool processFile(const std::string& path, int depth) = 0;

    // False when the listing of dir, or of a directory under it, could not
    // be read.
    bool walk(const std::string& dir, int depth);
    // The same for a starting directory opened already, called dir in paths.
    bool walk(const std::string& dir, const directory& start, int depth);

    // Directories nested deeper than this are not entered: each one walked
    // holds a descriptor, and the walk must end on any tree.
    static constexpr int depthLimit = 1024;

protected:
    // The directory whose entries are being handed out, held open; null
    // outside a walk.
    const directory* directoryListed() const { return walking.empty() ? nullptr : walking.back(); }

    bool fullPaths;
    runLog& log;
    // A starting directory that cannot be listed is named too; by default
    // it stays quiet.
    bool startFailuresReported = false;

private:
    bool walkDirectory(const std::string& path, const directory& dir, int depth);
    bool walkSubdirectory(const std::string& path, const directory& parent,
                          const directoryEntry& entry, int depth);

    const directory* start = nullptr;
    // The directories whose listings are being walked, outermost first.
    std::vector<const directory*> walking;
    // Every directory walked so far: links could otherwise lead into one
    // directory many ways, and so many times over.
    std::set<fileIdentity> walked;
};

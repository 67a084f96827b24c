#pragma once

#include <memory>
#include <string>

// The platform's listing of one directory: each entry's bare name and
// whether it is a directory (a link counts as what it leads to). The "."
// and ".." entries may be among them.
class directoryListing {
public:
    explicit directoryListing(const std::string& dir);
    directoryListing(const directoryListing&) = delete;
    directoryListing& operator=(const directoryListing&) = delete;
    ~directoryListing();

    bool isOpen() const;
    // False when no entry is left (or the listing failed on the way).
    bool next(std::string& name, bool& isDirectory);

private:
    struct state;
    std::unique_ptr<state> platform;
};

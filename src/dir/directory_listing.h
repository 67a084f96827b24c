#pragma once

#include <cstdint>
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

// What makes a directory the same directory whatever path leads to it:
// device and inode on POSIX, volume serial and file index on Windows.
struct directoryIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const directoryIdentity& other) const {
        return volume == other.volume && file == other.file;
    }
};

// False when the directory's identity cannot be had.
bool identifyDirectory(const std::string& path, directoryIdentity& identity);

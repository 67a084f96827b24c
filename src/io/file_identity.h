#pragma once

#include <cstdint>

// What makes a file the same file whatever path or link leads to it: device
// and inode on POSIX, volume serial and file index on Windows.
struct fileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const fileIdentity& other) const {
        return volume == other.volume && file == other.file;
    }
    bool operator!=(const fileIdentity& other) const { return !(*this == other); }
    bool operator<(const fileIdentity& other) const {
        return volume != other.volume ? volume < other.volume : file < other.file;
    }
};

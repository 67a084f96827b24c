#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "dir/directory_listing.h"

namespace {

unsigned char upperCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

// The order in which NTFS lists a directory: names compared by their upper-
// case form, byte by byte. Names that differ only in case, which POSIX
// allows side by side, follow their bytes, so that the order is total.
bool listedBefore(std::string_view a, std::string_view b) {
    const auto differ = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return upperCase(x) == upperCase(y); });
    if (differ.first != a.end() && differ.second != b.end()) {
        return upperCase(*differ.first) < upperCase(*differ.second);
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

}  // namespace

// The system lists a directory in an order of its own, which differs from
// machine to machine; keywords set by one template hold for those expanded
// after it, so the entries are read whole and handed out in the order of the
// Windows program, and a tree gives the same outputs wherever it is run.
struct directoryListing::state {
    std::string dir;
    // Each entry's type from the listing, then its name (bounded by the
    // system) and a NUL, one entry after another.
    std::string entries;
    std::vector<std::size_t> sorted;  // where the entries begin, in order
    std::size_t handedOut = 0;

    std::string_view nameAt(std::size_t at) const {
        return std::string_view(entries.c_str() + at + 1);
    }
};

directoryListing::directoryListing(const std::string& dir) {
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) {
        return;
    }
    platform.reset(new state{dir, {}, {}, 0});
    // A listing that fails on the way hands out what it read.
    while (const dirent* entry = ::readdir(stream)) {
        platform->sorted.push_back(platform->entries.size());
        platform->entries += static_cast<char>(entry->d_type);
        platform->entries.append(entry->d_name).append(1, '\0');
    }
    ::closedir(stream);
    std::sort(platform->sorted.begin(), platform->sorted.end(),
              [this](std::size_t a, std::size_t b) {
                  return listedBefore(platform->nameAt(a), platform->nameAt(b));
              });
}

directoryListing::~directoryListing() = default;

bool directoryListing::isOpen() const {
    return platform != nullptr;
}

bool directoryListing::next(std::string& name, bool& isDirectory) {
    if (platform == nullptr || platform->handedOut == platform->sorted.size()) {
        return false;
    }
    const std::size_t at = platform->sorted[platform->handedOut++];
    name = platform->nameAt(at);
    const auto type = static_cast<unsigned char>(platform->entries[at]);
    if (type == DT_DIR) {
        isDirectory = true;
    } else if (type == DT_REG) {
        isDirectory = false;
    } else {
        // Links, and file systems that do not say: ask what the name leads to.
        struct stat status {};
        const std::string path = platform->dir + "/" + name;
        isDirectory = ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }
    return true;
}

#include <windows.h>

#include "dir/directory_listing.h"

struct directoryListing::state {
    HANDLE search;
    WIN32_FIND_DATAA data;
    bool pending;  // data holds an entry not yet handed out
};

directoryListing::directoryListing(const std::string& dir) : platform(new state{}) {
    const std::string search = dir + "/*";
    platform->search = FindFirstFileA(search.c_str(), &platform->data);
    platform->pending = platform->search != INVALID_HANDLE_VALUE;
}

directoryListing::~directoryListing() {
    if (platform->search != INVALID_HANDLE_VALUE) {
        FindClose(platform->search);
    }
}

bool directoryListing::isOpen() const {
    return platform->search != INVALID_HANDLE_VALUE;
}

bool directoryListing::next(std::string& name, bool& isDirectory) {
    if (!platform->pending) {
        if (!isOpen() || !FindNextFileA(platform->search, &platform->data)) {
            return false;
        }
    }
    platform->pending = false;
    name = platform->data.cFileName;
    isDirectory = (platform->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

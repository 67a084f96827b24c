#include <dirent.h>
#include <sys/stat.h>

#include "dir/directory_listing.h"

struct directoryListing::state {
    DIR* stream;
    std::string dir;
};

directoryListing::directoryListing(const std::string& dir) {
    DIR* stream = ::opendir(dir.c_str());
    if (stream != nullptr) {
        platform.reset(new state{stream, dir});
    }
}

directoryListing::~directoryListing() {
    if (platform != nullptr) {
        ::closedir(platform->stream);
    }
}

bool directoryListing::isOpen() const {
    return platform != nullptr;
}

bool directoryListing::next(std::string& name, bool& isDirectory) {
    if (platform == nullptr) {
        return false;
    }
    const dirent* entry = ::readdir(platform->stream);
    if (entry == nullptr) {
        return false;
    }
    name = entry->d_name;
    if (entry->d_type == DT_DIR) {
        isDirectory = true;
    } else if (entry->d_type == DT_REG) {
        isDirectory = false;
    } else {
        // Links, and file systems that do not say: ask what the name leads to.
        struct stat status {};
        const std::string path = platform->dir + "/" + name;
        isDirectory = ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }
    return true;
}

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

bool identifyDirectory(const std::string& path, directoryIdentity& identity) {
    // Backup semantics let a directory be opened; the handle only reads attributes.
    HANDLE handle =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!known) {
        return false;
    }
    identity.volume = information.dwVolumeSerialNumber;
    identity.file =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}

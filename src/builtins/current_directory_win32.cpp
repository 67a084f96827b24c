#include <direct.h>

#include <cstdlib>

#include "builtins/current_directory.h"

bool currentDirectory(std::string& path) {
    // With no buffer the runtime allocates one of the length needed.
    char* directory = _getcwd(nullptr, 0);
    if (directory == nullptr) {
        return false;
    }
    path = directory;
    std::free(directory);
    return true;
}

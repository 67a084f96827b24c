#include <unistd.h>

#include <cerrno>
#include <vector>

#include "builtins/current_directory.h"

bool currentDirectory(std::string& path) {
    std::vector<char> buffer(1024);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
    path = buffer.data();
    return true;
}

#include <windows.h>

#include "io/private_directory.h"

std::string makePrivateDirectory() {
    char temporary[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof temporary, temporary);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    // The user's own temporary directory; the new directory inherits its
    // access rights. A name already taken is never reused.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = std::string(temporary, length) + "fillwright-" +
                                 std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(GetTickCount64()) + "-" + std::to_string(attempt);
        if (CreateDirectoryA(name.c_str(), nullptr)) {
            return name;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return {};
        }
    }
    return {};
}

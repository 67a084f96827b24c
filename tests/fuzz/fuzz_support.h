#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

// A directory of this process's own under the temporary directory, so that
// parallel fuzzing jobs never share files.
inline std::filesystem::path processScratchPath(const std::string& prefix) {
    return std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()));
}

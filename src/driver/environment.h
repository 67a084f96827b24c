#pragma once

#include <string>
#include <utility>
#include <vector>

// The process's environment variables, name and value, as the system holds them.
std::vector<std::pair<std::string, std::string>> environmentVariables();

// Whether a variable's name begins with prefix, compared as the system
// compares names: by their bytes on POSIX, without regard to case on Windows.
bool nameBeginsWith(const std::string& name, const std::string& prefix);

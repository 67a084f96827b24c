#pragma once

#include <string>

// The process's current directory, absolute and in the platform's form, of
// any length. False when it cannot be had.
bool currentDirectory(std::string& path);

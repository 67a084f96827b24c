#pragma once

#include <string>

// A new, empty directory under the system's temporary directory that only
// this user can enter; empty text when none can be made. Files made inside
// it are safe from other users' links and renames.
std::string makePrivateDirectory();

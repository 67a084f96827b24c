#pragma once

#include <string>
#include <string_view>

// The messages for text that cannot be read as it was saved, alike for every
// kind of file that meets them.

// kind names the file ("Template"); ending follows the advice, as in
// "; directive ignored".
void reportUtf16(std::string_view kind, const std::string& path, std::string_view ending = {});
// Text-mode reading stopped at a Ctrl-Z before the end of the file.
void reportEndOfFileMark(const std::string& path);

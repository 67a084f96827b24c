#pragma once

#include <string>
#include <string_view>

#include "record/run_log.h"

// The messages for text that cannot be read as it was saved, alike for every
// kind of file that meets them.

// kind names the file ("Template"); ending follows the advice, as in
// "; directive ignored".
void reportUtf16(runLog& log, std::string_view kind, const std::string& path,
                 std::string_view ending = {}, messagePlace place = {});
// Text-mode reading stopped at a Ctrl-Z before the end of the file.
void reportEndOfFileMark(runLog& log, const std::string& path);

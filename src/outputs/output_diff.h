#pragma once

#include <cstddef>
#include <string>

#include "io/file_handle.h"
#include "record/run_log.h"

// The unified diff (3 lines of context) from the old text of an output to its
// new one; the old file may be none. Texts are held in memory, so beyond the
// limits, or for a text with a NUL byte, one line says so.
namespace outputDiff {

constexpr std::size_t byteLimit = std::size_t{4} << 20;
constexpr std::size_t lineLimit = 20000;

// The diff goes to the log as the current template's.
void write(runLog& log, const std::string& shownName, const fileHandle& oldFile,
           const fileHandle& newFile);

}  // namespace outputDiff

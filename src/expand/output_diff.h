#pragma once

#include <cstddef>
#include <ostream>
#include <string>

// The unified diff (3 lines of context) from the old text of an output to its
// new one, both read from files; old may not exist. Texts are held in memory,
// so beyond the limits, or for a text with a NUL byte, one line says so.
namespace outputDiff {

constexpr std::size_t byteLimit = std::size_t{4} << 20;
constexpr std::size_t lineLimit = 20000;

void write(std::ostream& out, const std::string& shownName, const std::string& oldFile,
           const std::string& newFile);

}  // namespace outputDiff

#pragma once

#include <cstddef>
#include <memory>

// Copies text with its terminator into destination (size bytes), turning A-Z
// into a-z and leaving every other byte alone. Returns 0, or an errno-style
// code: 22 for a null argument, 34 when the destination is too small.
int copyFolded(char* destination, std::size_t size, const char* text);

// Raises CAtlException for a failing code of copyFolded: 12 (out of memory),
// 22 and 34 (bad argument), anything else but 0 and 80 (truncation).
void throwOnCopyFailure(int error);

// A folded copy of text (length bytes and the terminator); null when the
// storage cannot be allocated.
std::unique_ptr<char[]> foldedCopy(const char* text, std::size_t length);

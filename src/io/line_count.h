#pragma once

#include <cstddef>
#include <cstdint>

// The line feeds in [data, data + size). It runs over every byte a template
// hands out, so that messages can name their lines without the expansion
// reading a line at a time: 16 bytes at once where SSE2 is there.
std::uint64_t countLineFeeds(const char* data, std::size_t size);

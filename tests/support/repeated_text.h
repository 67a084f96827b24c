#pragma once

#include <cstddef>
#include <string>

// The piece written count times in a row.
inline std::string repeated(const std::string& piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

#include "outputs/same_bytes.h"

#include <cstring>
#include <vector>

bool holdSameBytes(const fileHandle& one, const fileHandle& other) {
    constexpr std::size_t piece = 64 * 1024;
    std::vector<char> ours(piece);
    std::vector<char> theirs(piece);
    for (std::uint64_t offset = 0;;) {
        const long long count = one.readFull(offset, ours.data(), piece);
        if (count < 0 || other.readFull(offset, theirs.data(), piece) != count ||
            std::memcmp(ours.data(), theirs.data(), static_cast<std::size_t>(count)) != 0) {
            return false;
        }
        if (static_cast<std::size_t>(count) < piece) {
            return true;
        }
        offset += static_cast<std::uint64_t>(count);
    }
}

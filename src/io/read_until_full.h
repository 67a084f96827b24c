#pragma once

#include <cstddef>

// Fills buffer through read(to, room), which gives the bytes it read, 0 at
// the end of the input or -1 on an error, until size bytes have come or the
// input ends; the bytes read, or -1. A read may give fewer bytes than asked
// for before the end, so one read is not enough to compare files piece by
// piece.
template <typename Read>
long long readUntilFull(char* buffer, std::size_t size, Read read) {
    std::size_t total = 0;
    while (total < size) {
        const long long count = read(buffer + total, size - total);
        if (count < 0) {
            return -1;
        }
        if (count == 0) {
            break;
        }
        total += static_cast<std::size_t>(count);
    }
    return static_cast<long long>(total);
}

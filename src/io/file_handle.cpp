#include "io/file_handle.h"

fileHandle& fileHandle::operator=(fileHandle&& other) noexcept {
    if (this != &other) {
        close();
        known = other.known;
        knownPermissionBits = other.knownPermissionBits;
        descriptor = other.release();
    }
    return *this;
}

std::optional<fileIdentity> fileHandle::identity() const {
    return known ? known : askIdentity();
}

fileHandle::~fileHandle() {
    close();
}

long long fileHandle::readFull(std::uint64_t offset, char* buffer, std::size_t size) const {
    // A read may give fewer bytes than asked for before the end, so one read
    // is not enough to compare files piece by piece.
    std::size_t total = 0;
    while (total < size) {
        const long long count = readAt(offset + total, buffer + total, size - total);
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

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "io/file_identity.h"

// An open file that closes itself: a descriptor on POSIX, a C runtime
// descriptor over a file handle on Windows. Every file of the program is
// opened as one, by a directory (io/directory.h) or by path (io/paths.h).
class fileHandle {
public:
    fileHandle() = default;
    explicit fileHandle(int descriptor) : descriptor(descriptor) {}
    // A file whose status was read as it was opened: its identity cannot
    // change while it is open, and its permission bits are taken as they
    // were then, so neither is asked again.
    fileHandle(int descriptor, const fileIdentity& identity, unsigned permissionBits)
        : descriptor(descriptor), known(identity), knownPermissionBits(permissionBits) {}
    fileHandle(fileHandle&& other) noexcept
        : known(other.known), knownPermissionBits(other.knownPermissionBits) {
        descriptor = other.release();
    }
    fileHandle& operator=(fileHandle&& other) noexcept;
    fileHandle(const fileHandle&) = delete;
    fileHandle& operator=(const fileHandle&) = delete;
    ~fileHandle();

    bool isOpen() const { return descriptor >= 0; }
    int get() const { return descriptor; }
    int release() {
        const int held = descriptor;
        descriptor = -1;
        known.reset();
        return held;
    }

    // Bytes read, 0 at the end, -1 on a read error.
    long long readSome(char* buffer, std::size_t size) const;
    // The same at an offset, leaving the position alone.
    long long readAt(std::uint64_t offset, char* buffer, std::size_t size) const;
    // Reads until size bytes have come or the file ends; the bytes read, or -1.
    long long readFull(std::uint64_t offset, char* buffer, std::size_t size) const;
    // False when not every byte could be written.
    bool writeAll(const char* data, std::size_t size) const;
    bool seek(std::uint64_t offset) const;
    // Where the next write goes; -1 when it cannot be had.
    std::int64_t position() const;
    // Ends the file at length.
    bool cutAt(std::uint64_t length) const;
    std::optional<fileIdentity> identity() const;
    // The permission bits a new output takes from this file as its template:
    // never the set-ID or sticky bits, which would let someone else's
    // template make a program that runs as this account.
    unsigned permissionBits() const;
    // -1 when it cannot be had.
    std::int64_t size() const;
    bool flushToDisk() const;
    // Whether reading reached its end early, at a Ctrl-Z (0x1A) byte before
    // the last byte of a regular file: text mode on Windows takes that byte
    // for the end of the file, and the rest is lost. bytesRead is what
    // readSome gave in all. A Ctrl-Z as the last byte is the old end-of-file
    // mark and counts as the end. Moves the position: for use once reading
    // is done. Always false where files are read as bytes.
    bool stoppedAtEndOfFileMark(std::uint64_t bytesRead) const;
    // False when closing reports an error (a delayed write failure).
    bool close();

private:
    std::optional<fileIdentity> askIdentity() const;

    int descriptor = -1;
    std::optional<fileIdentity> known;
    unsigned knownPermissionBits = 0;
};

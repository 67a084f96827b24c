#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "io/platform_file.h"

namespace platformFile {

const bool lineEndCarriageReturnsKept = false;
const char pathSeparators[] = "\\/";

namespace {

// _read and _write count in unsigned int.
constexpr std::size_t largestTransfer = 1u << 30;

}  // namespace

int openForReading(const std::string& path, readable accepted) {
    int file = -1;
    if (_sopen_s(&file, path.c_str(), _O_RDONLY | _O_TEXT | _O_NOINHERIT, _SH_DENYNO, 0) != 0) {
        return -1;
    }
    // Device names such as CON or NUL open a device in any directory.
    struct _stat64 status {};
    const bool regular = _fstat64(file, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
    if (accepted == readable::regularFiles && !regular) {
        _close(file);
        return -1;
    }
    return file;
}

int openForWriting(const std::string& path) {
    int file = -1;
    if (_sopen_s(&file, path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT | _O_NOINHERIT,
                 _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0) {
        return -1;
    }
    return file;
}

long long readSome(int file, char* buffer, std::size_t size) {
    return _read(file, buffer, static_cast<unsigned>(std::min(size, largestTransfer)));
}

// Text mode never gives more bytes than it takes from the file, and stops at
// the first Ctrl-Z: a mark that stopped it lies at or after bytesRead, and a
// file read to its real end holds none before its last byte.
bool stoppedAtEndOfFileMark(int file, std::uint64_t bytesRead) {
    struct _stat64 status {};
    if (_fstat64(file, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG ||
        status.st_size < 1 || static_cast<std::uint64_t>(status.st_size - 1) <= bytesRead ||
        _lseeki64(file, static_cast<long long>(bytesRead), SEEK_SET) < 0) {
        return false;
    }
    std::uint64_t left = static_cast<std::uint64_t>(status.st_size - 1) - bytesRead;
    std::vector<char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(left, 64 * 1024)));
    const int mode = _setmode(file, _O_BINARY);
    if (mode < 0) {
        return false;
    }
    bool found = false;
    while (left > 0 && !found) {
        const int count = _read(file, chunk.data(),
                                static_cast<unsigned>(std::min<std::uint64_t>(left, chunk.size())));
        if (count <= 0) {
            break;
        }
        found = std::memchr(chunk.data(), 0x1a, static_cast<std::size_t>(count)) != nullptr;
        left -= static_cast<std::uint64_t>(count);
    }
    _setmode(file, mode);
    return found;
}

bool writeAll(int file, const char* data, std::size_t size) {
    while (size > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min(size, largestTransfer));
        const int count = _write(file, data, chunk);
        if (count <= 0) {
            return false;
        }
        // In text mode the count may include the CRs added; never step past the chunk.
        const std::size_t done = std::min(static_cast<std::size_t>(count), std::size_t{chunk});
        data += done;
        size -= done;
    }
    return true;
}

bool closeFile(int file) {
    return _close(file) == 0;
}

}  // namespace platformFile

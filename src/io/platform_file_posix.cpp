#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/platform_file.h"

namespace platformFile {

const bool lineEndCarriageReturnsKept = true;
const char pathSeparators[] = "/";

namespace {

bool isAccepted(const struct stat& status, readable accepted) {
    return accepted == readable::regularFiles ? S_ISREG(status.st_mode) : !S_ISDIR(status.st_mode);
}

// Cleared once open, so that a FIFO or device accepted is read and written
// as usual.
bool clearNonBlocking(int file) {
    const int flags = ::fcntl(file, F_GETFL);
    return flags >= 0 && ::fcntl(file, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

}  // namespace

int openForReading(const std::string& path, readable accepted) {
    struct stat status {};
    // Checked before opening too: opening some devices has effects of its own.
    if (::stat(path.c_str(), &status) != 0 || !isAccepted(status, accepted)) {
        return -1;
    }
    // Opening a FIFO waits for a writer unless it does not block; where FIFOs
    // are accepted, that wait is what their readers expect.
    const int waiting = accepted == readable::regularFiles ? O_NONBLOCK : 0;
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | waiting);
    if (file < 0) {
        return -1;
    }
    // The name may lead elsewhere by now; what counts is what was opened.
    if (::fstat(file, &status) != 0 || !isAccepted(status, accepted) || !clearNonBlocking(file)) {
        ::close(file);
        return -1;
    }
    return file;
}

int openForWriting(const std::string& path) {
    // A FIFO without a reader fails at once instead of blocking the run.
    const int file =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (file >= 0 && !clearNonBlocking(file)) {
        ::close(file);
        return -1;
    }
    return file;
}

long long readSome(int file, char* buffer, std::size_t size) {
    for (;;) {
        ssize_t count = ::read(file, buffer, size);
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
}

bool stoppedAtEndOfFileMark(int /*file*/, std::uint64_t /*bytesRead*/) {
    return false;
}

bool writeAll(int file, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t count = ::write(file, data, size);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

bool closeFile(int file) {
    return ::close(file) == 0;
}

}  // namespace platformFile

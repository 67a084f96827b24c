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

namespace {

fileIdentity identityOf(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

// Decided before opening too: opening some devices has effects of its own.
// A directory or a FIFO without a reader cannot be opened for writing anyway.
writeRefusal refusalBeforeOpening(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return writeRefusal::none;
    }
    if (S_ISLNK(status.st_mode)) {
        return writeRefusal::symbolicLink;
    }
    const bool device =
        S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISSOCK(status.st_mode);
    return device ? writeRefusal::notRegularFile : writeRefusal::none;
}

}  // namespace

writeOpening openForWriting(const std::string& path, const fileIdentity* keep) {
    writeOpening opening;
    writeRefusal& refusal = opening.refusal;
    refusal = refusalBeforeOpening(path);
    if (refusal != writeRefusal::none) {
        return opening;
    }
    // What was opened is checked, since the name may have been swapped since
    // it was looked at. A link as the last name fails to open; a FIFO without
    // a reader fails at once instead of blocking the run.
    const int file =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0666);
    if (file < 0) {
        // ELOOP: the name has become a link since it was checked.
        refusal = errno == ELOOP ? writeRefusal::symbolicLink : writeRefusal::cannotOpen;
        return opening;
    }
    struct stat status {};
    if (::fstat(file, &status) != 0) {
        refusal = writeRefusal::cannotOpen;
    } else if (!S_ISREG(status.st_mode)) {
        refusal = writeRefusal::notRegularFile;
    } else if (keep != nullptr && identityOf(status) == *keep) {
        refusal = writeRefusal::sameFile;
    } else if (!clearNonBlocking(file)) {
        refusal = writeRefusal::cannotOpen;
    }
    if (refusal != writeRefusal::none) {
        ::close(file);
        return opening;
    }
    opening.file = file;
    opening.identity = identityOf(status);
    return opening;
}

writeRefusal previewRefusal(const std::string& path, const fileIdentity* keep) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? writeRefusal::none : writeRefusal::cannotOpen;
    }
    if (S_ISLNK(status.st_mode)) {
        return writeRefusal::symbolicLink;
    }
    if (S_ISDIR(status.st_mode)) {
        return writeRefusal::cannotOpen;
    }
    if (!S_ISREG(status.st_mode)) {
        return writeRefusal::notRegularFile;
    }
    return keep != nullptr && identityOf(status) == *keep ? writeRefusal::sameFile
                                                          : writeRefusal::none;
}

bool identifyPath(const std::string& path, fileIdentity& identity) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    identity = identityOf(status);
    return true;
}

bool identifyOpen(int file, fileIdentity& identity) {
    struct stat status {};
    if (::fstat(file, &status) != 0) {
        return false;
    }
    identity = identityOf(status);
    return true;
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

bool cutAtPosition(int file) {
    const off_t position = ::lseek(file, 0, SEEK_CUR);
    return position >= 0 && ::ftruncate(file, position) == 0;
}

bool closeFile(int file) {
    return ::close(file) == 0;
}

}  // namespace platformFile

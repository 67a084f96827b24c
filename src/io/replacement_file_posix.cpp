#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/replacement_file.h"

namespace replacementFile {

namespace {

// The O_NOFOLLOW of every open here: the names are in trees that others may
// write, and a link put there must never lead a write or a read elsewhere.
constexpr int safely = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

bool isSameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

}  // namespace

nameHolds inspect(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? nameHolds::nothing : nameHolds::unknown;
    }
    if (S_ISLNK(status.st_mode)) {
        return nameHolds::symbolicLink;
    }
    return S_ISREG(status.st_mode) ? nameHolds::regularFile : nameHolds::otherFile;
}

// Asked rather than tried: opening the output to write, even without writing,
// would wake the programs that watch it.
bool mayWrite(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

int createExclusive(const std::string& path, const std::string& modeFrom, bool& nameTaken) {
    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat source {};
    // Never the set-user-ID or set-group-ID bits: someone else's template
    // must not make a program that runs as this account.
    if (!modeFrom.empty() && ::stat(modeFrom.c_str(), &source) == 0) {
        mode = source.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO);
    }
    const int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | safely, mode);
    nameTaken = file < 0 && errno == EEXIST;
    if (file < 0) {
        return -1;
    }
    // Held until the file is renamed, so that a run cleaning up leftovers
    // knows it is in use. Such a run may have locked or removed it first;
    // where the file system has no locks, there is nothing to wait for.
    struct stat status {};
    const bool lockedByOther = ::flock(file, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (lockedByOther || ::fstat(file, &status) != 0 || status.st_nlink == 0) {
        ::close(file);
        nameTaken = true;
        return -1;
    }
    return file;
}

int duplicateForText(int file) {
    return ::fcntl(file, F_DUPFD_CLOEXEC, 0);
}

int openForComparing(const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY | safely);
    struct stat status {};
    if (file >= 0 && (::fstat(file, &status) != 0 || !S_ISREG(status.st_mode))) {
        ::close(file);
        return -1;
    }
    return file;
}

std::int64_t sizeOf(int file) {
    struct stat status {};
    return ::fstat(file, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

long long readAt(int file, std::int64_t offset, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = ::pread(file, buffer, size, static_cast<off_t>(offset));
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
}

void takeModeAndOwner(int file, const std::string& output) {
    struct stat old {};
    if (::lstat(output.c_str(), &old) != 0) {
        return;
    }
    if (::fchown(file, old.st_uid, old.st_gid) != 0) {
        // An ordinary account may still give the file a group it belongs to.
        [[maybe_unused]] const int ignored = ::fchown(file, static_cast<uid_t>(-1), old.st_gid);
    }
    struct stat now {};
    mode_t mode = old.st_mode & 07777;
    // A set-ID bit stays only with the owner or group it was set for.
    if (::fstat(file, &now) != 0 || now.st_uid != old.st_uid) {
        mode &= static_cast<mode_t>(~S_ISUID);
    }
    if (now.st_gid != old.st_gid) {
        mode &= static_cast<mode_t>(~S_ISGID);
    }
    ::fchmod(file, mode);
}

bool flushToDisk(int file) {
    return ::fsync(file) == 0;
}

bool closeFile(int file) {
    return ::close(file) == 0;
}

// Renamed while still open and locked: a cleaning run cannot take it away
// between the two.
bool replace(int file, const std::string& temporary, const std::string& output) {
    const bool renamed = ::rename(temporary.c_str(), output.c_str()) == 0;
    ::close(file);
    return renamed;
}

void removeIfUnused(const std::string& path) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
        return;
    }
    const int file = ::open(path.c_str(), O_RDONLY | safely);
    if (file < 0) {
        return;
    }
    struct stat opened {};
    if (::fstat(file, &opened) == 0 && isSameFile(named, opened) &&
        ::flock(file, LOCK_EX | LOCK_NB) == 0) {
        ::unlink(path.c_str());
    }
    ::close(file);
}

void removeName(const std::string& path) {
    ::unlink(path.c_str());
}

}  // namespace replacementFile

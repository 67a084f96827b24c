#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "io/directory.h"
#include "io/file_handle.h"
#include "io/paths.h"
#include "io/text_file.h"

const char pathSeparators[] = "/";
const bool textLineEndsAreCrLf = false;
const bool lineEndCarriageReturnsKept = true;

namespace {

fileIdentity identityOf(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

unsigned permissionBitsOf(const struct stat& status) {
    return static_cast<unsigned>(status.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO));
}

// A descriptor with what its status told, so that it is not asked again.
fileHandle known(int descriptor, const struct stat& status) {
    return fileHandle(descriptor, identityOf(status), permissionBitsOf(status));
}

// Every open here: descriptors never reach the programs a run might start,
// and opening a FIFO or device never waits.
constexpr int quietly = O_CLOEXEC | O_NONBLOCK;

// A directory deeper than this above a linked directory is not looked for:
// no real tree is that deep, and the loop must end on any file system.
constexpr int deepestAncestor = 4096;

bool isAccepted(const struct stat& status, readable accepted) {
    return accepted == readable::regularFiles ? S_ISREG(status.st_mode) : !S_ISDIR(status.st_mode);
}

// Cleared once open, so that a FIFO or device accepted is read and written
// as usual; a regular file never blocks, whatever the flag.
bool clearNonBlocking(int file, const struct stat& status) {
    if (S_ISREG(status.st_mode)) {
        return true;
    }
    const int flags = ::fcntl(file, F_GETFL);
    return flags >= 0 && ::fcntl(file, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// The one way a file is opened for reading, by a directory or (at is
// AT_FDCWD) by path. A link is followed: reading may go anywhere.
fileHandle openReadable(int at, const std::string& name, readable accepted) {
    struct stat status {};
    // Checked before opening too: opening some devices has effects of its own.
    if (::fstatat(at, name.c_str(), &status, 0) != 0 || !isAccepted(status, accepted)) {
        return fileHandle();
    }
    // Opening a FIFO waits for a writer unless it does not block; where FIFOs
    // are accepted, that wait is what their readers expect.
    const int waiting = accepted == readable::regularFiles ? O_NONBLOCK : 0;
    fileHandle file(::openat(at, name.c_str(), O_RDONLY | O_CLOEXEC | waiting));
    // The name may lead elsewhere by now; what counts is what was opened.
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !isAccepted(status, accepted) ||
        !clearNonBlocking(file.get(), status)) {
        return fileHandle();
    }
    return known(file.release(), status);
}

}  // namespace

// --- fileHandle

long long fileHandle::readSome(char* buffer, std::size_t size) const {
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, size);
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
}

long long fileHandle::readAt(std::uint64_t offset, char* buffer, std::size_t size) const {
    for (;;) {
        const ssize_t count = ::pread(descriptor, buffer, size, static_cast<off_t>(offset));
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
}

bool fileHandle::writeAll(const char* data, std::size_t size) const {
    while (size > 0) {
        const ssize_t count = ::write(descriptor, data, size);
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

bool fileHandle::seek(std::uint64_t offset) const {
    return ::lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::int64_t fileHandle::position() const {
    return static_cast<std::int64_t>(::lseek(descriptor, 0, SEEK_CUR));
}

bool fileHandle::cutAt(std::uint64_t length) const {
    return ::ftruncate(descriptor, static_cast<off_t>(length)) == 0;
}

std::optional<fileIdentity> fileHandle::askIdentity() const {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        return std::nullopt;
    }
    return identityOf(status);
}

std::int64_t fileHandle::size() const {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

bool fileHandle::flushToDisk() const {
    return ::fsync(descriptor) == 0;
}

bool fileHandle::stoppedAtEndOfFileMark(std::uint64_t /*bytesRead*/) const {
    return false;
}

bool fileHandle::close() {
    return descriptor < 0 || ::close(release()) == 0;
}

unsigned fileHandle::permissionBits() const {
    if (known) {
        return knownPermissionBits;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        return S_IRUSR | S_IWUSR;
    }
    return permissionBitsOf(status);
}

// --- directory

directory::directory(std::intptr_t opened) : handle(opened) {
    struct stat status {};
    if (handle >= 0 && ::fstat(static_cast<int>(handle), &status) == 0) {
        id = identityOf(status);
    } else if (handle >= 0) {
        ::close(static_cast<int>(handle));
        handle = -1;
    }
}

directory directory::open(const std::string& path) {
    return directory(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

directory::directory(directory&& other) noexcept : handle(other.handle), id(other.id) {
    other.handle = -1;
}

directory& directory::operator=(directory&& other) noexcept {
    if (this != &other) {
        if (handle >= 0) {
            ::close(static_cast<int>(handle));
        }
        handle = other.handle;
        id = other.id;
        other.handle = -1;
    }
    return *this;
}

directory::~directory() {
    if (handle >= 0) {
        ::close(static_cast<int>(handle));
    }
}

bool directory::isOpen() const {
    return handle >= 0;
}

namespace {

int fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

unsigned char upperCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

// The order in which NTFS lists a directory: names compared by their upper-
// case form, byte by byte. Names that differ only in case, which POSIX
// allows side by side, follow their bytes, so that the order is total.
bool listedBefore(const directoryEntry& one, const directoryEntry& other) {
    const std::string& a = one.name;
    const std::string& b = other.name;
    const auto differ = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return upperCase(x) == upperCase(y); });
    if (differ.first != a.end() && differ.second != b.end()) {
        return upperCase(*differ.first) < upperCase(*differ.second);
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

bool leadsToDirectory(int at, const char* name) {
    struct stat status {};
    return ::fstatat(at, name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

// The system lists a directory in an order of its own, which differs from
// machine to machine; keywords set by one template hold for those expanded
// after it, so the entries are handed out in the order of the Windows
// program, and a tree gives the same outputs wherever it is run.
bool directory::list(std::vector<directoryEntry>& entries) const {
    // A listing of its own, so that its position is no one else's.
    const int own = ::openat(fd(handle), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* stream = own >= 0 ? ::fdopendir(own) : nullptr;
    if (stream == nullptr) {
        if (own >= 0) {
            ::close(own);
        }
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(stream)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        directoryEntry found{name, directoryEntry::kind::file};
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat status {};
            if (::fstatat(fd(handle), name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
                type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISLNK(status.st_mode) ? DT_LNK : DT_REG;
            }
        }
        if (type == DT_DIR) {
            found.type = directoryEntry::kind::directory;
        } else if (type == DT_LNK && leadsToDirectory(fd(handle), name)) {
            found.type = directoryEntry::kind::linkToDirectory;
        }
        entries.push_back(std::move(found));
        errno = 0;
    }
    const bool complete = errno == 0;
    ::closedir(stream);
    std::sort(entries.begin(), entries.end(), listedBefore);
    return complete;
}

directory directory::subdirectory(const std::string& name) const {
    return directory(
        ::openat(fd(handle), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

directory directory::linkedDirectory(const std::string& name) const {
    return directory(::openat(fd(handle), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool directory::liesWithin(const directory& ancestor) const {
    fileIdentity at = id;
    int current = ::fcntl(fd(handle), F_DUPFD_CLOEXEC, 0);
    bool within = false;
    for (int level = 0; current >= 0 && level < deepestAncestor; ++level) {
        if (at == ancestor.id) {
            within = true;
            break;
        }
        const int parent = ::openat(current, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(current);
        current = parent;
        struct stat status {};
        if (current < 0 || ::fstat(current, &status) != 0 || identityOf(status) == at) {
            break;  // the root, whose parent is itself
        }
        at = identityOf(status);
    }
    if (current >= 0) {
        ::close(current);
    }
    return within;
}

fileHandle directory::openForReading(const std::string& name, readable accepted,
                                     bool /*asText*/) const {
    return openReadable(fd(handle), name, accepted);
}

nameHolds directory::inspect(const std::string& name, fileIdentity* identity) const {
    struct stat status {};
    if (::fstatat(fd(handle), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? nameHolds::nothing : nameHolds::unknown;
    }
    if (identity != nullptr) {
        *identity = identityOf(status);
    }
    if (S_ISLNK(status.st_mode)) {
        return nameHolds::symbolicLink;
    }
    if (S_ISDIR(status.st_mode)) {
        return nameHolds::directory;
    }
    return S_ISREG(status.st_mode) ? nameHolds::regularFile : nameHolds::otherFile;
}

fileHandle directory::openExisting(const std::string& name) const {
    fileHandle file(::openat(fd(handle), name.c_str(), O_RDONLY | O_NOFOLLOW | quietly));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return fileHandle();
    }
    return known(file.release(), status);
}

writeOpening directory::openForWriting(const std::string& name, unsigned newFileMode,
                                       const fileIdentity* keep) const {
    writeOpening opening;
    writeRefusal& refusal = opening.refusal;
    // Decided before opening too: opening some devices has effects of its
    // own. A directory or a FIFO without a reader cannot be opened for
    // writing anyway.
    struct stat status {};
    const bool exists = ::fstatat(fd(handle), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISLNK(status.st_mode)) {
        refusal = writeRefusal::symbolicLink;
        return opening;
    }
    if (exists &&
        (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISSOCK(status.st_mode))) {
        refusal = writeRefusal::notRegularFile;
        return opening;
    }
    // A regular file is opened to be read too, so that its old text can be
    // compared with the new one; where it may only be written, it is
    // written. A name removed or made between two tries is tried once more;
    // what was opened is checked, since the name may have been swapped since
    // it was looked at. A link as the name fails to open; a FIFO without a
    // reader fails at once instead of blocking the run.
    bool create = !exists;
    for (int attempt = 0; attempt < 2 && !opening.file.isOpen(); ++attempt, create = !create) {
        if (create) {
            opening.file = fileHandle(::openat(fd(handle), name.c_str(),
                                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | quietly,
                                               static_cast<mode_t>(newFileMode)));
            opening.created = opening.file.isOpen();
        } else {
            const bool regular = exists && S_ISREG(status.st_mode);
            opening.file = fileHandle(::openat(
                fd(handle), name.c_str(), (regular ? O_RDWR : O_WRONLY) | O_NOFOLLOW | quietly));
            opening.oldTextReadable = regular && opening.file.isOpen();
            if (!opening.file.isOpen() && regular && errno == EACCES) {
                opening.file =
                    fileHandle(::openat(fd(handle), name.c_str(), O_WRONLY | O_NOFOLLOW | quietly));
            }
        }
        if (!opening.file.isOpen() && errno != ENOENT && errno != EEXIST) {
            break;
        }
    }
    if (!opening.file.isOpen()) {
        // ELOOP: the name has become a link since it was checked.
        refusal = errno == ELOOP ? writeRefusal::symbolicLink : writeRefusal::cannotOpen;
        return opening;
    }
    if (::fstat(opening.file.get(), &status) != 0) {
        refusal = writeRefusal::cannotOpen;
    } else if (!S_ISREG(status.st_mode)) {
        refusal = writeRefusal::notRegularFile;
    } else if (keep != nullptr && identityOf(status) == *keep) {
        refusal = writeRefusal::sameFile;
    } else if (!clearNonBlocking(opening.file.get(), status)) {
        refusal = writeRefusal::cannotOpen;
    }
    if (refusal != writeRefusal::none) {
        opening.file = fileHandle();
        return opening;
    }
    opening.file = known(opening.file.release(), status);
    return opening;
}

// Asked rather than tried: opening the output to write, even without
// writing, would wake the programs that watch it.
bool directory::mayWrite(const std::string& name) const {
    return ::faccessat(fd(handle), name.c_str(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0;
}

fileHandle directory::createExclusive(const std::string& name, unsigned mode,
                                      bool& nameTaken) const {
    fileHandle file(::openat(fd(handle), name.c_str(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | quietly,
                             static_cast<mode_t>(mode)));
    nameTaken = !file.isOpen() && errno == EEXIST;
    if (!file.isOpen()) {
        return file;
    }
    // Held until the file is renamed, so that a run cleaning up leftovers
    // knows it is in use. Such a run may have locked or removed it first;
    // where the file system has no locks, there is nothing to wait for.
    struct stat status {};
    const bool lockedByOther = ::flock(file.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (lockedByOther || ::fstat(file.get(), &status) != 0 || status.st_nlink == 0) {
        nameTaken = true;
        return fileHandle();
    }
    return known(file.release(), status);
}

void directory::copyModeAndOwner(const fileHandle& file, const std::string& name) const {
    struct stat old {};
    if (::fstatat(fd(handle), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
        return;
    }
    if (::fchown(file.get(), old.st_uid, old.st_gid) != 0) {
        // An ordinary account may still give the file a group it belongs to.
        [[maybe_unused]] const int ignored =
            ::fchown(file.get(), static_cast<uid_t>(-1), old.st_gid);
    }
    struct stat now {};
    mode_t mode = old.st_mode & 07777;
    // A set-ID bit stays only with the owner or group it was set for.
    if (::fstat(file.get(), &now) != 0 || now.st_uid != old.st_uid) {
        mode &= static_cast<mode_t>(~S_ISUID);
    }
    if (now.st_gid != old.st_gid) {
        mode &= static_cast<mode_t>(~S_ISGID);
    }
    ::fchmod(file.get(), mode);
}

bool directory::replace(const fileHandle& /*file*/, const std::string& from,
                        const std::string& to) const {
    return ::renameat(fd(handle), from.c_str(), fd(handle), to.c_str()) == 0;
}

void directory::removeIfUnused(const std::string& name) const {
    fileIdentity named;
    if (inspect(name, &named) != nameHolds::regularFile) {
        return;
    }
    const fileHandle file(::openat(fd(handle), name.c_str(), O_RDONLY | O_NOFOLLOW | quietly));
    if (file.isOpen() && file.identity() == named && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0) {
        ::unlinkat(fd(handle), name.c_str(), 0);
    }
}

void directory::remove(const std::string& name) const {
    ::unlinkat(fd(handle), name.c_str(), 0);
}

void directory::removeOpen(const fileHandle& /*file*/, const std::string& name) const {
    ::unlinkat(fd(handle), name.c_str(), 0);
}

// --- paths

fileHandle openPathForReading(const std::string& path, readable accepted) {
    return openReadable(AT_FDCWD, path, accepted);
}

std::optional<fileIdentity> identifyPath(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return identityOf(status);
}

std::optional<std::string> linkText(const std::string& path) {
    char text[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), text, sizeof text);
    if (length < 0 || static_cast<std::size_t>(length) == sizeof text) {
        return std::nullopt;
    }
    return std::string(text, static_cast<std::size_t>(length));
}

fileHandle openStandardInput() {
    return fileHandle(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
}

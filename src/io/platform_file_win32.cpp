#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

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

namespace {

fileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return {
        information.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

// Symbolic links and junctions; other reparse points (deduplicated or cloud
// files) are ordinary files to their readers.
bool isLink(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           IsReparseTagNameSurrogate(tag.ReparseTag);
}

writeRefusal refusalOf(HANDLE handle, const fileIdentity* keep, fileIdentity& identity) {
    // Device names such as NUL or CON open a device in any directory.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        return writeRefusal::notRegularFile;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        return writeRefusal::cannotOpen;
    }
    if (isLink(handle)) {
        return writeRefusal::symbolicLink;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return writeRefusal::notRegularFile;
    }
    identity = identityOf(information);
    return keep != nullptr && identity == *keep ? writeRefusal::sameFile : writeRefusal::none;
}

}  // namespace

writeOpening openForWriting(const std::string& path, const fileIdentity* keep) {
    writeOpening opening;
    writeRefusal& refusal = opening.refusal;
    // The link itself is opened, not what it leads to.
    HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        refusal = writeRefusal::cannotOpen;
        return opening;
    }
    refusal = refusalOf(handle, keep, opening.identity);
    // A descriptor in text mode, as the rest of the output expects.
    opening.file = refusal == writeRefusal::none
                       ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT)
                       : -1;
    if (opening.file < 0) {
        CloseHandle(handle);
        if (refusal == writeRefusal::none) {
            refusal = writeRefusal::cannotOpen;
        }
    }
    return opening;
}

writeRefusal previewRefusal(const std::string& path, const fileIdentity* keep) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? writeRefusal::none
                   : writeRefusal::cannotOpen;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return writeRefusal::cannotOpen;
    }
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return writeRefusal::cannotOpen;
    }
    fileIdentity identity;
    const writeRefusal refusal = refusalOf(handle, keep, identity);
    CloseHandle(handle);
    return refusal;
}

bool identifyPath(const std::string& path, fileIdentity& identity) {
    // Backup semantics let a directory be opened; the handle only reads attributes.
    HANDLE handle =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (known) {
        identity = identityOf(information);
    }
    return known;
}

bool identifyOpen(int file, fileIdentity& identity) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file));
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information)) {
        return false;
    }
    identity = identityOf(information);
    return true;
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

bool cutAtPosition(int file) {
    const __int64 position = _lseeki64(file, 0, SEEK_CUR);
    return position >= 0 && _chsize_s(file, position) == 0;
}

bool closeFile(int file) {
    return _close(file) == 0;
}

}  // namespace platformFile

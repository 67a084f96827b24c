#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "io/replacement_file.h"

namespace replacementFile {

namespace {

constexpr std::size_t largestTransfer = 1u << 30;

// Up to a second in all.
constexpr int renameAttempts = 20;
constexpr DWORD renamePause = 50;

constexpr DWORD notAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;

bool exists(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

nameHolds inspect(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (!exists(attributes)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? nameHolds::nothing
                                                                              : nameHolds::unknown;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return nameHolds::symbolicLink;
    }
    return (attributes & notAFile) != 0 ? nameHolds::otherFile : nameHolds::regularFile;
}

// Tried as a write in place would open it; nothing is written.
bool mayWrite(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

// Opened without delete sharing: a run cleaning up leftovers cannot remove
// it while it is written. New files take the directory's security, as the
// output written in place would.
int createExclusive(const std::string& path, const std::string& /*modeFrom*/, bool& nameTaken) {
    int file = -1;
    const errno_t error =
        _sopen_s(&file, path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                 _SH_DENYNO, _S_IREAD | _S_IWRITE);
    nameTaken = error == EEXIST;
    return error == 0 ? file : -1;
}

int duplicateForText(int file) {
    const int copy = _dup(file);
    if (copy >= 0) {
        _setmode(copy, _O_TEXT);
    }
    return copy;
}

// Shared for deletion too: another run may put its output in this one's
// place meanwhile.
int openForComparing(const std::string& path) {
    if (inspect(path) != nameHolds::regularFile) {
        return -1;
    }
    const HANDLE handle = CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    const int file = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (file < 0) {
        CloseHandle(handle);
    }
    return file;
}

std::int64_t sizeOf(int file) {
    struct _stat64 status {};
    return _fstat64(file, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

long long readAt(int file, std::int64_t offset, char* buffer, std::size_t size) {
    if (_lseeki64(file, offset, SEEK_SET) != offset) {
        return -1;
    }
    return _read(file, buffer, static_cast<unsigned>(std::min(size, largestTransfer)));
}

// ReplaceFileA keeps the old file's attributes and security itself.
void takeModeAndOwner(int /*file*/, const std::string& /*output*/) {}

bool flushToDisk(int file) {
    return _commit(file) == 0;
}

bool closeFile(int file) {
    return _close(file) == 0;
}

bool replace(int file, const std::string& temporary, const std::string& output) {
    if (_close(file) != 0) {
        return false;
    }
    if (exists(GetFileAttributesA(output.c_str())) &&
        ReplaceFileA(output.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
        return true;
    }
    // A new output, or one that ReplaceFileA could not take over: wherever it
    // failed, the temporary file still has its own name. A reader that holds
    // the output open without delete sharing blocks the rename for a while.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(temporary.c_str(), output.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (attempt == renameAttempts ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) {
            return false;
        }
        Sleep(renamePause);
    }
}

void removeIfUnused(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (exists(attributes) && (attributes & (notAFile | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
        DeleteFileA(path.c_str());
    }
}

void removeName(const std::string& path) {
    DeleteFileA(path.c_str());
}

}  // namespace replacementFile

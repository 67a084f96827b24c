#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "io/directory.h"
#include "io/file_handle.h"
#include "io/paths.h"
#include "io/text_file.h"

const char pathSeparators[] = "\\/";
const bool textLineEndsAreCrLf = true;
const bool lineEndCarriageReturnsKept = false;

namespace {

// The status codes looked at; ntstatus.h would clash with windows.h.
constexpr NTSTATUS nameCollision = static_cast<NTSTATUS>(0xC0000035L);
constexpr NTSTATUS sharingViolation = static_cast<NTSTATUS>(0xC0000043L);
constexpr NTSTATUS accessDenied = static_cast<NTSTATUS>(0xC0000022L);
constexpr FILE_INFORMATION_CLASS renameInformation = static_cast<FILE_INFORMATION_CLASS>(10);

// _read and _write count in unsigned int.
constexpr std::size_t largestTransfer = 1u << 30;

// Up to a second in all.
constexpr int renameAttempts = 20;
constexpr DWORD renamePause = 50;

// Parents of a linked directory looked at, at most.
constexpr int deepestAncestor = 4096;

constexpr ULONG shareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ULONG shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Held without delete sharing, a directory cannot be renamed or removed.
constexpr ACCESS_MASK directoryAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

HANDLE handleOf(int file) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(file));
}

HANDLE asHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::wstring wide(const std::string& name) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), text.data(), length);
    return text;
}

std::string narrow(const wchar_t* text, std::size_t length) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), result.data(), size, nullptr,
                        nullptr);
    return result;
}

// Opens a name in a directory, as openat does: the name is looked up in the
// directory held, with no path in between. The status, or 0 with handle set.
NTSTATUS openRelative(HANDLE in, const std::string& name, ACCESS_MASK access, ULONG share,
                      ULONG disposition, ULONG options, HANDLE& opened) {
    opened = INVALID_HANDLE_VALUE;
    // Windows paths drop the blanks and dots at the end of a name; a name
    // made here must be the one they reach.
    std::wstring text = wide(name);
    text.erase(text.find_last_not_of(L". ") + 1);
    if (text.empty() || text.size() > 32767 || text.find_first_of(L"\\/") != std::wstring::npos) {
        return static_cast<NTSTATUS>(0xC0000033L);  // an invalid name
    }
    UNICODE_STRING unicode;
    unicode.Buffer = const_cast<PWSTR>(text.c_str());
    unicode.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    unicode.MaximumLength = unicode.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &unicode, OBJ_CASE_INSENSITIVE, in, nullptr);
    IO_STATUS_BLOCK status;
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS result = NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status,
                                         nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                                         options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (result >= 0) {
        opened = handle;
    }
    return result;
}

fileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return {
        information.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

bool informationOf(HANDLE handle, BY_HANDLE_FILE_INFORMATION& information) {
    return GetFileInformationByHandle(handle, &information) != 0;
}

// Symbolic links and junctions; other reparse points (deduplicated or cloud
// files) are ordinary files to their readers.
bool isLink(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           IsReparseTagNameSurrogate(tag.ReparseTag);
}

bool isDirectory(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    return informationOf(handle, information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A C runtime descriptor that owns the handle, or -1 (the handle closed).
int descriptorOf(HANDLE handle, int flags) {
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    const int file = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (file < 0) {
        CloseHandle(handle);
    }
    return file;
}

bool isAccepted(HANDLE handle, readable accepted) {
    // Device names such as CON or NUL open a device in any directory.
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    if (isDirectory(handle)) {
        return false;
    }
    return accepted == readable::anyButDirectories || disk;
}

fileHandle readableFrom(HANDLE handle, readable accepted) {
    if (handle == INVALID_HANDLE_VALUE) {
        return fileHandle();
    }
    if (!isAccepted(handle, accepted)) {
        CloseHandle(handle);
        return fileHandle();
    }
    return fileHandle(descriptorOf(handle, _O_RDONLY | _O_TEXT | _O_NOINHERIT));
}

writeRefusal refusalOf(HANDLE handle, const fileIdentity* keep) {
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        return writeRefusal::notRegularFile;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!informationOf(handle, information)) {
        return writeRefusal::cannotOpen;
    }
    if (isLink(handle)) {
        return writeRefusal::symbolicLink;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return writeRefusal::notRegularFile;
    }
    return keep != nullptr && identityOf(information) == *keep ? writeRefusal::sameFile
                                                               : writeRefusal::none;
}

}  // namespace

// --- fileHandle

long long fileHandle::readSome(char* buffer, std::size_t size) const {
    return _read(descriptor, buffer, static_cast<unsigned>(std::min(size, largestTransfer)));
}

long long fileHandle::readAt(std::uint64_t offset, char* buffer, std::size_t size) const {
    if (!seek(offset)) {
        return -1;
    }
    return readSome(buffer, size);
}

bool fileHandle::writeAll(const char* data, std::size_t size) const {
    while (size > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min(size, largestTransfer));
        const int count = _write(descriptor, data, chunk);
        if (count <= 0) {
            return false;
        }
        data += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

bool fileHandle::seek(std::uint64_t offset) const {
    return _lseeki64(descriptor, static_cast<long long>(offset), SEEK_SET) ==
           static_cast<long long>(offset);
}

std::int64_t fileHandle::position() const {
    return _lseeki64(descriptor, 0, SEEK_CUR);
}

bool fileHandle::cutAt(std::uint64_t length) const {
    return _chsize_s(descriptor, static_cast<long long>(length)) == 0;
}

std::optional<fileIdentity> fileHandle::askIdentity() const {
    BY_HANDLE_FILE_INFORMATION information{};
    const HANDLE handle = handleOf(descriptor);
    if (handle == INVALID_HANDLE_VALUE || !informationOf(handle, information)) {
        return std::nullopt;
    }
    return identityOf(information);
}

std::int64_t fileHandle::size() const {
    struct _stat64 status {};
    return _fstat64(descriptor, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

bool fileHandle::flushToDisk() const {
    return _commit(descriptor) == 0;
}

// Text mode never gives more bytes than it takes from the file, and stops at
// the first Ctrl-Z: a mark that stopped it lies at or after bytesRead, and a
// file read to its real end holds none before its last byte.
bool fileHandle::stoppedAtEndOfFileMark(std::uint64_t bytesRead) const {
    struct _stat64 status {};
    if (_fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG ||
        status.st_size < 1 || static_cast<std::uint64_t>(status.st_size - 1) <= bytesRead ||
        _lseeki64(descriptor, static_cast<long long>(bytesRead), SEEK_SET) < 0) {
        return false;
    }
    std::uint64_t left = static_cast<std::uint64_t>(status.st_size - 1) - bytesRead;
    std::vector<char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(left, 64 * 1024)));
    const int mode = _setmode(descriptor, _O_BINARY);
    if (mode < 0) {
        return false;
    }
    bool found = false;
    while (left > 0 && !found) {
        const int count = _read(descriptor, chunk.data(),
                                static_cast<unsigned>(std::min<std::uint64_t>(left, chunk.size())));
        if (count <= 0) {
            break;
        }
        found = std::memchr(chunk.data(), 0x1a, static_cast<std::size_t>(count)) != nullptr;
        left -= static_cast<std::uint64_t>(count);
    }
    _setmode(descriptor, mode);
    return found;
}

bool fileHandle::close() {
    return descriptor < 0 || _close(release()) == 0;
}

// Windows files take their directory's security instead.
unsigned fileHandle::permissionBits() const {
    return 0666;
}

// --- directory

directory::directory(std::intptr_t opened) : handle(opened) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == -1) {
        return;
    }
    if (informationOf(asHandle(handle), information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        id = identityOf(information);
    } else {
        CloseHandle(asHandle(handle));
        handle = -1;
    }
}

directory directory::open(const std::string& path) {
    const HANDLE opened = CreateFileA(path.c_str(), directoryAccess, shareReadWrite, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return directory(opened == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(opened));
}

directory::directory(directory&& other) noexcept : handle(other.handle), id(other.id) {
    other.handle = -1;
}

directory& directory::operator=(directory&& other) noexcept {
    if (this != &other) {
        if (handle != -1) {
            CloseHandle(asHandle(handle));
        }
        handle = other.handle;
        id = other.id;
        other.handle = -1;
    }
    return *this;
}

directory::~directory() {
    if (handle != -1) {
        CloseHandle(asHandle(handle));
    }
}

bool directory::isOpen() const {
    return handle != -1;
}

bool directory::list(std::vector<directoryEntry>& entries) const {
    // Aligned for the records the system fills it with.
    std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(asHandle(handle), request, buffer.data(),
                                          static_cast<DWORD>(buffer.size() * sizeof(LONGLONG)))) {
            return GetLastError() == ERROR_NO_MORE_FILES;
        }
        request = FileIdBothDirectoryInfo;
        const char* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::size_t length = entry->FileNameLength / sizeof(wchar_t);
            const std::wstring_view name(entry->FileName, length);
            if (name != L"." && name != L"..") {
                directoryEntry found{narrow(entry->FileName, length), directoryEntry::kind::file};
                const DWORD attributes = entry->FileAttributes;
                if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    // The reparse tag stands where the extended attributes' size would.
                    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                                      IsReparseTagNameSurrogate(entry->EaSize);
                    found.type = link ? directoryEntry::kind::linkToDirectory
                                      : directoryEntry::kind::directory;
                }
                entries.push_back(std::move(found));
            }
            if (entry->NextEntryOffset == 0) {
                break;
            }
            at += entry->NextEntryOffset;
        }
    }
}

directory directory::subdirectory(const std::string& name) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    openRelative(asHandle(handle), name, directoryAccess, shareReadWrite, FILE_OPEN,
                 FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, opened);
    if (opened != INVALID_HANDLE_VALUE && isLink(opened)) {
        CloseHandle(opened);
        opened = INVALID_HANDLE_VALUE;
    }
    return directory(opened == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(opened));
}

directory directory::linkedDirectory(const std::string& name) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    openRelative(asHandle(handle), name, directoryAccess, shareReadWrite, FILE_OPEN,
                 FILE_DIRECTORY_FILE, opened);
    return directory(opened == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(opened));
}

// Windows opens no ".." relative to a handle: the directory's final path is
// cut a name at a time, and each directory on the way is judged by its
// identity, not by the spelling of the path.
bool directory::liesWithin(const directory& ancestor) const {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = GetFinalPathNameByHandleW(asHandle(handle), path.data(),
                                           static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            return false;
        }
        if (length < path.size()) {
            break;
        }
        path.resize(length + 1);
    }
    std::wstring at(path.data(), length);
    for (int level = 0; level < deepestAncestor; ++level) {
        const HANDLE opened = CreateFileW(at.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (opened != INVALID_HANDLE_VALUE) {
            BY_HANDLE_FILE_INFORMATION information{};
            const bool same =
                informationOf(opened, information) && identityOf(information) == ancestor.id;
            CloseHandle(opened);
            if (same) {
                return true;
            }
        }
        const std::size_t cut = at.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut + 1 == at.size()) {
            return false;
        }
        // A drive's root keeps its separator: "\\?\C:\".
        at.erase(at[cut - 1] == L':' ? cut + 1 : cut);
    }
    return false;
}

fileHandle directory::openForReading(const std::string& name, readable accepted,
                                     bool asText) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    openRelative(asHandle(handle), name, GENERIC_READ, shareAll, FILE_OPEN, FILE_NON_DIRECTORY_FILE,
                 opened);
    fileHandle file = readableFrom(opened, accepted);
    if (file.isOpen() && !asText) {
        _setmode(file.get(), _O_BINARY);
    }
    return file;
}

nameHolds directory::inspect(const std::string& name, fileIdentity* identity) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    const NTSTATUS status = openRelative(asHandle(handle), name, FILE_READ_ATTRIBUTES, shareAll,
                                         FILE_OPEN, FILE_OPEN_REPARSE_POINT, opened);
    if (opened == INVALID_HANDLE_VALUE) {
        const ULONG error = RtlNtStatusToDosError(status);
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? nameHolds::nothing
                                                                              : nameHolds::unknown;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    nameHolds holds = nameHolds::unknown;
    if (informationOf(opened, information)) {
        if (identity != nullptr) {
            *identity = identityOf(information);
        }
        holds = isLink(opened) ? nameHolds::symbolicLink
                : (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                    ? nameHolds::directory
                : GetFileType(opened) != FILE_TYPE_DISK ? nameHolds::otherFile
                                                        : nameHolds::regularFile;
    }
    CloseHandle(opened);
    return holds;
}

// Shared for deletion too: another run may put its output in this one's
// place meanwhile.
fileHandle directory::openExisting(const std::string& name) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    openRelative(asHandle(handle), name, GENERIC_READ, shareAll, FILE_OPEN,
                 FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, opened);
    if (opened == INVALID_HANDLE_VALUE) {
        return fileHandle();
    }
    if (refusalOf(opened, nullptr) != writeRefusal::none) {
        CloseHandle(opened);
        return fileHandle();
    }
    return fileHandle(descriptorOf(opened, _O_RDONLY | _O_BINARY | _O_NOINHERIT));
}

writeOpening directory::openForWriting(const std::string& name, unsigned /*newFileMode*/,
                                       const fileIdentity* keep) const {
    writeOpening opening;
    // The link itself is opened, never what it leads to. A new file takes
    // the directory's security, as every new Windows file does.
    HANDLE opened = INVALID_HANDLE_VALUE;
    constexpr ULONG options = FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT;
    const NTSTATUS status = openRelative(asHandle(handle), name, GENERIC_READ | GENERIC_WRITE,
                                         shareReadWrite, FILE_CREATE, options, opened);
    opening.created = opened != INVALID_HANDLE_VALUE;
    if (status == nameCollision) {
        // Read too where the account may, so that the old text can be
        // compared with the new one.
        openRelative(asHandle(handle), name, GENERIC_READ | GENERIC_WRITE, shareReadWrite,
                     FILE_OPEN, options, opened);
        opening.oldTextReadable = opened != INVALID_HANDLE_VALUE;
        if (!opening.oldTextReadable) {
            openRelative(asHandle(handle), name, GENERIC_WRITE, shareReadWrite, FILE_OPEN, options,
                         opened);
        }
    }
    if (opened == INVALID_HANDLE_VALUE) {
        opening.refusal = writeRefusal::cannotOpen;
        return opening;
    }
    opening.refusal = refusalOf(opened, keep);
    if (opening.refusal != writeRefusal::none) {
        CloseHandle(opened);
        return opening;
    }
    opening.file = fileHandle(descriptorOf(opened, _O_RDWR | _O_BINARY | _O_NOINHERIT));
    if (!opening.file.isOpen()) {
        opening.refusal = writeRefusal::cannotOpen;
    }
    return opening;
}

// Tried as a write in place would open it; nothing is written.
bool directory::mayWrite(const std::string& name) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    openRelative(asHandle(handle), name, GENERIC_WRITE, shareAll, FILE_OPEN,
                 FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, opened);
    if (opened == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(opened);
    return true;
}

// Opened without delete sharing: a run cleaning up leftovers cannot remove
// it while it is written, nor between its writing and its rename, which goes
// through this same handle.
fileHandle directory::createExclusive(const std::string& name, unsigned /*mode*/,
                                      bool& nameTaken) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    const NTSTATUS status = openRelative(
        asHandle(handle), name, GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | READ_CONTROL,
        shareReadWrite, FILE_CREATE, FILE_NON_DIRECTORY_FILE, opened);
    nameTaken = status == nameCollision;
    return fileHandle(descriptorOf(opened, _O_RDWR | _O_BINARY | _O_NOINHERIT));
}

// What replacing a file in place keeps on Windows: its attributes and its
// access rights.
void directory::copyModeAndOwner(const fileHandle& file, const std::string& name) const {
    HANDLE old = INVALID_HANDLE_VALUE;
    openRelative(asHandle(handle), name, READ_CONTROL | FILE_READ_ATTRIBUTES, shareAll, FILE_OPEN,
                 FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, old);
    if (old == INVALID_HANDLE_VALUE) {
        return;
    }
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(old, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &access,
                        nullptr, &descriptor) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor, &control, &revision);
        const SECURITY_INFORMATION inherited = (control & SE_DACL_PROTECTED) != 0
                                                   ? PROTECTED_DACL_SECURITY_INFORMATION
                                                   : UNPROTECTED_DACL_SECURITY_INFORMATION;
        SetSecurityInfo(handleOf(file.get()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inherited,
                        nullptr, nullptr, access, nullptr);
        LocalFree(descriptor);
    }
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(old, FileBasicInfo, &basic, sizeof basic)) {
        FILE_BASIC_INFO attributes{};
        attributes.FileAttributes = basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY;
        SetFileInformationByHandle(handleOf(file.get()), FileBasicInfo, &attributes,
                                   sizeof attributes);
    }
    CloseHandle(old);
}

// Renamed through its own handle, while still open without delete sharing:
// no other run can remove it between its last write and the rename. A
// reader that holds the output open without delete sharing blocks the
// rename for a while.
bool directory::replace(const fileHandle& file, const std::string& /*from*/,
                        const std::string& to) const {
    const std::wstring name = wide(to);
    std::vector<char> request(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(request.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = asHandle(handle);
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::memcpy(rename->FileName, name.data(), name.size() * sizeof(wchar_t));
    for (int attempt = 0;; ++attempt) {
        IO_STATUS_BLOCK status;
        const NTSTATUS result =
            NtSetInformationFile(handleOf(file.get()), &status, request.data(),
                                 static_cast<ULONG>(request.size()), renameInformation);
        if (result >= 0) {
            return true;
        }
        if (attempt == renameAttempts || (result != sharingViolation && result != accessDenied)) {
            return false;
        }
        Sleep(renamePause);
    }
}

void directory::removeIfUnused(const std::string& name) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    // A run in progress holds its file without delete sharing: this fails.
    openRelative(asHandle(handle), name, DELETE | FILE_READ_ATTRIBUTES, shareAll, FILE_OPEN,
                 FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, opened);
    if (opened == INVALID_HANDLE_VALUE) {
        return;
    }
    if (refusalOf(opened, nullptr) == writeRefusal::none) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(opened, FileDispositionInfo, &disposition, sizeof disposition);
    }
    CloseHandle(opened);
}

void directory::remove(const std::string& name) const {
    HANDLE opened = INVALID_HANDLE_VALUE;
    openRelative(asHandle(handle), name, DELETE, shareAll, FILE_OPEN,
                 FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, opened);
    if (opened != INVALID_HANDLE_VALUE) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(opened, FileDispositionInfo, &disposition, sizeof disposition);
        CloseHandle(opened);
    }
}

void directory::removeOpen(const fileHandle& file, const std::string& /*name*/) const {
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(handleOf(file.get()), FileDispositionInfo, &disposition,
                               sizeof disposition);
}

// --- paths

// Reads share deletion too: a file being read may be renamed over or
// removed meanwhile, as on POSIX, and the file of a run in progress (held
// with delete access) can be read.
fileHandle openPathForReading(const std::string& path, readable accepted) {
    const HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, shareAll, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return readableFrom(opened, accepted);
}

std::optional<fileIdentity> identifyPath(const std::string& path) {
    // Backup semantics let a directory be opened; the handle only reads attributes.
    const HANDLE opened = CreateFileA(path.c_str(), 0, shareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = informationOf(opened, information);
    CloseHandle(opened);
    if (!known) {
        return std::nullopt;
    }
    return identityOf(information);
}

std::optional<std::string> linkText(const std::string& /*path*/) {
    return std::nullopt;
}

fileHandle openStandardInput() {
    return fileHandle(_dup(0));
}

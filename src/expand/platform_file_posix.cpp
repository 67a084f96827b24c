#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "expand/platform_file.h"

namespace platformFile {

int openForReading(const std::string& path) {
    int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(file, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(file);
        return -1;
    }
    return file;
}

int openForWriting(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

long long readSome(int file, char* buffer, std::size_t size) {
    for (;;) {
        ssize_t count = ::read(file, buffer, size);
        if (count >= 0 || errno != EINTR) {
            return count;
        }
    }
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

bool closeFile(int file) { return ::close(file) == 0; }

}  // namespace platformFile

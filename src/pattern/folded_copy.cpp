#include "pattern/folded_copy.h"

#include <new>

#include "pattern/atl_exception.h"

namespace {

constexpr int noError = 0;
constexpr int outOfMemory = 12;
constexpr int invalidArgument = 22;
constexpr int outOfRange = 34;
constexpr int truncated = 80;

}  // namespace

int copyFolded(char* destination, std::size_t size, const char* text) {
    if (destination == nullptr || text == nullptr) {
        return invalidArgument;
    }
    for (std::size_t k = 0; k < size; ++k) {
        char c = text[k];
        destination[k] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (c == '\0') {
            return noError;
        }
    }
    if (size > 0) {
        destination[0] = '\0';
    }
    return outOfRange;
}

void throwOnCopyFailure(int error) {
    switch (error) {
        case noError:
        case truncated:
            return;
        case outOfMemory:
            throw CAtlException(E_OUTOFMEMORY);
        case invalidArgument:
        case outOfRange:
            throw CAtlException(E_INVALIDARG);
        default:
            throw CAtlException(E_FAIL);
    }
}

std::unique_ptr<char[]> foldedCopy(const char* text, std::size_t length) {
    std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
    if (copy != nullptr) {
        throwOnCopyFailure(copyFolded(copy.get(), length + 1, text));
    }
    return copy;
}

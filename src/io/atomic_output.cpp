#include "io/atomic_output.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

#include "io/read_until_full.h"
#include "io/replacement_file.h"

namespace {

// ".<output name>.fillwright-tmp-<16 hex digits>": never a template's name,
// since it cannot end in ".pre", and it says what it is.
constexpr std::string_view temporaryMark = ".fillwright-tmp-";
constexpr std::size_t randomDigits = 16;
// Keeps the temporary name within the usual 255-byte limit of a file name.
constexpr std::size_t longestNamePart = 128;
constexpr int namingAttempts = 16;
constexpr std::size_t comparedPiece = 64 * 1024;

std::string randomDigitsText() {
    static std::random_device source;
    static std::mt19937_64 numbers((std::uint64_t{source()} << 32) ^ source());
    std::uint64_t value = numbers();
    std::string digits(randomDigits, '0');
    for (std::size_t i = randomDigits; i-- > 0; value >>= 4) {
        digits[i] = "0123456789abcdef"[value & 15];
    }
    return digits;
}

std::string temporaryNameFor(const std::string& output) {
    // The walk joins names with '/', so the last one ends the directory.
    const std::size_t slash = output.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string name = output.substr(0, nameStart) + ".";
    name.append(output, nameStart, longestNamePart);
    name.append(temporaryMark).append(randomDigitsText());
    return name;
}

// Reads size bytes at offset unless the file ends or fails first.
long long readFully(int file, std::int64_t offset, char* buffer, std::size_t size) {
    return readUntilFull(buffer, size, [&](char* to, std::size_t room) {
        return replacementFile::readAt(file, offset + (to - buffer), to, room);
    });
}

// Exactly the form temporaryNameFor gives.
bool isLeftoverName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    const std::size_t suffix = temporaryMark.size() + randomDigits;
    if (name.size() < 2 + suffix || name.front() != '.' ||
        name.substr(name.size() - suffix, temporaryMark.size()) != temporaryMark) {
        return false;
    }
    return name.find_first_not_of("0123456789abcdef", name.size() - randomDigits) ==
           std::string_view::npos;
}

}  // namespace

atomicOutput::atomicOutput(const std::string& output, const std::string& templatePath)
    : output(output) {
    switch (replacementFile::inspect(output)) {
        case replacementFile::nameHolds::symbolicLink:
            state = refusal::symbolicLink;
            return;
        case replacementFile::nameHolds::otherFile:
            state = refusal::notRegularFile;
            return;
        case replacementFile::nameHolds::unknown:
            state = refusal::cannotOpen;
            return;
        case replacementFile::nameHolds::regularFile:
            outputExists = true;
            break;
        case replacementFile::nameHolds::nothing:
            break;
    }
    // A file the account may not write in place is not replaced either.
    if (outputExists && !replacementFile::mayWrite(output)) {
        state = refusal::cannotOpen;
        return;
    }
    for (int attempt = 0; attempt < namingAttempts && file < 0; ++attempt) {
        std::string name = temporaryNameFor(output);
        bool nameTaken = false;
        file = replacementFile::createExclusive(name, outputExists ? "" : templatePath, nameTaken);
        if (file >= 0) {
            temporary = std::move(name);
        } else if (!nameTaken) {
            break;
        }
    }
    if (file < 0) {
        state = refusal::cannotOpen;
    }
}

atomicOutput::~atomicOutput() {
    if (file >= 0) {
        replacementFile::closeFile(file);
    }
    if (!temporary.empty() && !committed) {
        replacementFile::removeName(temporary);
    }
}

int atomicOutput::writer() {
    return file >= 0 ? replacementFile::duplicateForText(file) : -1;
}

bool atomicOutput::commit() {
    if (file < 0) {
        return false;
    }
    if (outputExists && holdsSameText()) {
        return true;
    }
    if (outputExists) {
        replacementFile::takeModeAndOwner(file, output);
    }
    if (!replacementFile::flushToDisk(file)) {
        return false;
    }
    const int written = file;
    file = -1;
    committed = replacementFile::replace(written, temporary, output);
    return committed;
}

// Piece by piece, so that memory stays flat whatever the size of the output.
bool atomicOutput::holdsSameText() const {
    const int old = replacementFile::openForComparing(output);
    if (old < 0) {
        return false;
    }
    const std::int64_t size = replacementFile::sizeOf(file);
    bool same = size >= 0 && size == replacementFile::sizeOf(old);
    std::vector<char> ours(same ? comparedPiece : 0);
    std::vector<char> theirs(ours.size());
    for (std::int64_t offset = 0; same && offset < size;) {
        const long long count = readFully(file, offset, ours.data(), ours.size());
        same = count > 0 && readFully(old, offset, theirs.data(), ours.size()) == count &&
               std::memcmp(ours.data(), theirs.data(), static_cast<std::size_t>(count)) == 0;
        offset += count;
    }
    replacementFile::closeFile(old);
    return same;
}

void atomicOutput::removeLeftover(const std::string& path) {
    if (isLeftoverName(path)) {
        replacementFile::removeIfUnused(path);
    }
}

#include "expand/preview_outputs.h"

#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "events/shown_text.h"
#include "expand/output_diff.h"
#include "io/platform_file.h"
#include "io/private_directory.h"
#include "io/read_until_full.h"

namespace {

std::size_t lastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

class readFile {
public:
    explicit readFile(const std::string& path)
        : file(platformFile::openForReading(path, platformFile::readable::regularFiles)) {}
    readFile(const readFile&) = delete;
    readFile& operator=(const readFile&) = delete;
    ~readFile() {
        if (file >= 0) {
            platformFile::closeFile(file);
        }
    }
    bool isOpen() const { return file >= 0; }
    // Fills the buffer unless the file ends first; the bytes read, or -1.
    long long readFull(char* buffer, std::size_t size) {
        return readUntilFull(buffer, size, [this](char* to, std::size_t room) {
            return platformFile::readSome(file, to, room);
        });
    }

private:
    int file;
};

}  // namespace

previewOutputs::previewOutputs(std::ostream& report, bool showDiffs)
    : report(report), showDiffs(showDiffs), directory(makePrivateDirectory()) {}

previewOutputs::~previewOutputs() {
    if (!directory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
}

bool previewOutputs::namesDirectory(const std::string& output) {
    return output.empty() || lastSeparator(output) == output.size() - 1;
}

std::string previewOutputs::newTextFile() {
    return directory + "/" + std::to_string(++filesMade);
}

bool previewOutputs::keysOf(const std::string& path, bool& exists, fileKey& file, placeKey& place) {
    fileIdentity identity;
    exists = platformFile::identifyPath(path, identity);
    file = {identity.volume, identity.file};
    const std::size_t separator = lastSeparator(path);
    const std::string parent = separator == std::string::npos ? "."
                               : separator == 0               ? path.substr(0, 1)
                                                              : path.substr(0, separator);
    fileIdentity parentIdentity;
    if (!platformFile::identifyPath(parent, parentIdentity)) {
        return false;
    }
    place = {parentIdentity.volume, parentIdentity.file, path.substr(separator + 1)};
    return true;
}

std::string previewOutputs::readPathOf(const std::string& path) const {
    if (byFile.empty() && byPlace.empty()) {
        return path;
    }
    bool exists = false;
    fileKey file;
    placeKey place;
    const bool placeKnown = keysOf(path, exists, file, place);
    if (exists) {
        if (auto found = byFile.find(file); found != byFile.end()) {
            return found->second;
        }
    }
    if (placeKnown) {
        if (auto found = byPlace.find(place); found != byPlace.end()) {
            return found->second;
        }
    }
    return path;
}

previewOutputs::outcome previewOutputs::compare(const std::string& current,
                                                const std::string& newText) {
    fileIdentity ignored;
    if (!platformFile::identifyPath(current, ignored)) {
        return outcome::created;
    }
    readFile oldFile(current);
    readFile newFile(newText);
    // An output that is no regular file is not read; the run would write into it.
    if (!oldFile.isOpen() || !newFile.isOpen()) {
        return outcome::changed;
    }
    constexpr std::size_t blockSize = 64 * 1024;
    std::vector<char> oldBlock(blockSize);
    std::vector<char> newBlock(blockSize);
    for (;;) {
        const long long oldCount = oldFile.readFull(oldBlock.data(), blockSize);
        const long long newCount = newFile.readFull(newBlock.data(), blockSize);
        if (oldCount < 0 || newCount < 0 || oldCount != newCount ||
            std::memcmp(oldBlock.data(), newBlock.data(), static_cast<std::size_t>(oldCount)) !=
                0) {
            return outcome::changed;
        }
        if (static_cast<std::size_t>(oldCount) < blockSize) {
            return outcome::unchanged;
        }
    }
}

// An output that is a link may lead to any file of the machine, such as one
// only the administrator may read; one swapped in after the output was
// checked still has its text kept from the report.
bool previewOutputs::isLink(const std::string& output) {
    std::error_code ignored;
    return std::filesystem::is_symlink(output, ignored);
}

previewOutputs::outcome previewOutputs::settle(const std::string& output,
                                               const std::string& newText) {
    const std::string current = readPathOf(output);
    const outcome result = compare(current, newText);
    const std::string shown = shownText(output);
    static const char* const words[] = {"created ", "changed ", "unchanged "};
    report << words[static_cast<int>(result)] << shown << '\n';
    if (result != outcome::unchanged) {
        ++changes;
        if (showDiffs && current == output && isLink(output)) {
            report << "Output " << shown << " differs; it is a link, whose text is not shown\n";
        } else if (showDiffs) {
            outputDiff::write(report, shown, current, newText);
        }
    }
    report.flush();
    bool exists = false;
    fileKey file;
    placeKey place;
    if (keysOf(output, exists, file, place)) {
        byPlace[place] = newText;
    }
    if (exists) {
        byFile[file] = newText;
    }
    if (current != output) {
        std::error_code ignored;
        std::filesystem::remove(current, ignored);
    }
    return result;
}

#include "support/scratch_dir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

scratchDir::scratchDir() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::ostringstream name;
    name << "fillwright-test-" << stamp << '-' << counter++;
    root = fs::temp_directory_path() / name.str();
    fs::create_directories(root);
}

scratchDir::~scratchDir() {
    std::error_code ignored;
    // Undo read-only bits that tests set, so that everything can go.
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root, ignored);
}

std::string scratchDir::at(const std::string& relative) const {
    return (root / relative).generic_string();
}

void scratchDir::write(const std::string& relative, const std::string& content) const {
    const fs::path file = root / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string scratchDir::read(const std::string& relative) const {
    return readBytes(root / relative);
}

bool scratchDir::exists(const std::string& relative) const {
    std::error_code ignored;
    return fs::exists(root / relative, ignored);
}

void scratchDir::makeDirectory(const std::string& relative) const {
    fs::create_directories(root / relative);
}

// Read in one piece: tens of megabytes byte by byte take seconds.
std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::string content(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    return content;
}

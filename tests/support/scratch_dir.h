#pragma once

#include <filesystem>
#include <string>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object ends.
class scratchDir {
public:
    scratchDir();
    scratchDir(const scratchDir&) = delete;
    scratchDir& operator=(const scratchDir&) = delete;
    ~scratchDir();

    const std::filesystem::path& path() const { return root; }
    // The path of a name relative to the directory, as a generic string.
    std::string at(const std::string& relative) const;
    // Writes bytes exactly (no line-end translation), creating parent directories.
    void write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    void makeDirectory(const std::string& relative) const;

private:
    std::filesystem::path root;
};

// Reads a whole file as bytes; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& file);

#pragma once

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <streambuf>
#include <string>

// The tool's messages (rejected lines, refused includes) would flood the
// fuzzer's output; they are dropped.
inline void silenceErrorStream() {
    class discardingBuffer : public std::streambuf {
    protected:
        int_type overflow(int_type c) override { return traits_type::not_eof(c); }
        std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
    };
    static discardingBuffer discarded;
    std::cerr.rdbuf(&discarded);
}

// A directory of this process's own under the temporary directory, so that
// parallel fuzzing jobs never share files.
inline std::filesystem::path processScratchPath(const std::string& prefix) {
    return std::filesystem::temp_directory_path() / (prefix + std::to_string(::getpid()));
}

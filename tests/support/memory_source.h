#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "io/text_file.h"

// A text in memory read as a file would be, at most readSize bytes a read,
// so that readers can be tried on reads of any size; with endsInReadError
// its end reads as a failed read, so that their failure handling can be too.
class memorySource : public byteSource {
public:
    explicit memorySource(std::string_view text, std::size_t readSize = textInput::chunkSize,
                          bool endsInReadError = false)
        : text(text),
          readSize(std::max<std::size_t>(readSize, 1)),
          endsInReadError(endsInReadError) {}

    long long read(char* to, std::size_t room) override {
        const std::size_t count = std::min({room, readSize, text.size() - at});
        if (count == 0) {
            return endsInReadError ? -1 : 0;
        }
        std::memcpy(to, text.data() + at, count);
        at += count;
        return static_cast<long long>(count);
    }

private:
    std::string text;
    std::size_t at = 0;
    std::size_t readSize;
    bool endsInReadError;
};

// Appends what is written to a string; writes beyond capacity fail, as on a
// full disk.
class stringSink : public byteSink {
public:
    explicit stringSink(std::string& text, std::size_t capacity = std::string::npos)
        : text(text), capacity(capacity) {}

    bool write(const char* data, std::size_t size) override {
        const std::size_t room = capacity - std::min(capacity, text.size());
        text.append(data, std::min(size, room));
        return size <= room;
    }

private:
    std::string& text;
    std::size_t capacity;
};

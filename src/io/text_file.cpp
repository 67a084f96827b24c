#include "io/text_file.h"

#include <algorithm>
#include <cstring>

#include "io/platform_file.h"

namespace {

// The byte after the data (room for a NUL after a last line without a line
// feed) and the bytes that short copies may read beyond it.
constexpr std::size_t spare = 1 + shortPiece;

}  // namespace

textInput::textInput(const std::string& path, std::vector<char>& buffer,
                     platformFile::readable accepted)
    : file(platformFile::openForReading(path, accepted)), buffer(buffer) {
    if (buffer.size() < chunkSize + spare) {
        buffer.resize(chunkSize + spare);
    }
}

textInput::textInput(std::string_view content, std::vector<char>& buffer, bool endsInReadError)
    : inMemory(true),
      buffer(buffer),
      end(content.size()),
      atEnd(!endsInReadError),
      readError(endsInReadError) {
    buffer.assign(content.begin(), content.end());
    buffer.resize(content.size() + spare, '\0');
}

textInput::~textInput() {
    if (file >= 0) {
        platformFile::closeFile(file);
    }
}

bool textInput::readLine(textLine& line) {
    for (;;) {
        char* start = buffer.data() + begin;
        const std::size_t available = end - begin;
        auto* lineFeed =
            static_cast<char*>(std::memchr(start + scanned, '\n', available - scanned));
        if (lineFeed != nullptr) {
            line = {start, static_cast<std::size_t>(lineFeed - start), true};
            begin += line.length + 1;
            scanned = 0;
            return true;
        }
        scanned = available;
        if (atEnd || readError || !isOpen()) {
            if (available == 0) {
                return false;
            }
            // fill() keeps a spare byte after the data for this case.
            start[available] = '\0';
            line = {start, available, false};
            begin = end;
            scanned = 0;
            return true;
        }
        fill();
    }
}

std::string_view textInput::completeLines() {
    for (;;) {
        const char* start = buffer.data() + begin;
        const std::size_t available = end - begin;
        if (std::memchr(start + scanned, '\n', available - scanned) != nullptr) {
            // The unfinished line after the last line feed is short as a rule.
            std::size_t length = available;
            while (start[length - 1] != '\n') {
                --length;
            }
            return {start, length};
        }
        scanned = available;
        if (atEnd || readError || !isOpen()) {
            return {};
        }
        fill();
    }
}

// Reads more after the unfinished line, first moving it to the front and
// growing the buffer when the line already fills it.
bool textInput::fill() {
    if (begin > 0) {
        std::memmove(buffer.data(), buffer.data() + begin, end - begin);
        end -= begin;
        begin = 0;
    }
    if (buffer.size() - end < chunkSize + spare) {
        buffer.resize(std::max(buffer.size() * 2, end + chunkSize + spare));
    }
    const long long count =
        platformFile::readSome(file, buffer.data() + end, buffer.size() - end - spare);
    if (count < 0) {
        readError = true;
    } else if (count == 0) {
        atEnd = true;
    } else {
        end += static_cast<std::size_t>(count);
    }
    return count > 0;
}

textOutput::textOutput(const std::string& path, std::vector<char>& buffer)
    : textOutput(platformFile::openForWriting(path), buffer) {}

textOutput::textOutput(int file, std::vector<char>& buffer) : file(file), buffer(buffer) {
    if (buffer.size() < bufferSize) {
        buffer.resize(bufferSize);
    }
}

textOutput::textOutput(std::string& sink, std::size_t capacity)
    : sink(&sink), sinkCapacity(capacity), ownBuffer(bufferSize), buffer(ownBuffer) {}

textOutput::~textOutput() {
    close();
}

bool textOutput::flush() {
    if (used > 0) {
        deliver(buffer.data(), used);
        used = 0;
    }
    return !writeError;
}

void textOutput::deliver(const char* data, std::size_t size) {
    if (writeError) {
        return;
    }
    if (sink != nullptr) {
        const std::size_t room = sinkCapacity - std::min(sinkCapacity, sink->size());
        sink->append(data, std::min(size, room));
        writeError = size > room;
    } else {
        writeError = !platformFile::writeAll(file, data, size);
    }
}

void textOutput::writeThrough(const char* data, std::size_t size) {
    flush();
    if (size < buffer.size()) {
        std::copy(data, data + size, buffer.data());
        used = size;
    } else {
        deliver(data, size);
    }
}

bool textOutput::close() {
    if (!isOpen()) {
        return !writeError;
    }
    flush();
    if (file >= 0 && !platformFile::closeFile(file)) {
        writeError = true;
    }
    file = -1;
    sink = nullptr;
    return !writeError;
}

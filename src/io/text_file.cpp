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
    : file(platformFile::openForReading(path, accepted)), buffer(buffer), readSize(firstReadSize) {
    if (fileIdentity identity; file >= 0 && platformFile::identifyOpen(file, identity)) {
        opened = identity;
    }
    if (buffer.size() < readSize + spare) {
        buffer.resize(readSize + spare);
    }
}

textInput::textInput(std::string_view content, std::vector<char>& buffer, bool endsInReadError,
                     std::size_t readSize)
    : inMemory(true),
      buffer(buffer),
      unread(content),
      // A short text needs no more room than it takes.
      readSize(std::clamp<std::size_t>(content.size(), 1, std::max<std::size_t>(readSize, 1))),
      endsInReadError(endsInReadError) {
    if (buffer.size() < this->readSize + spare) {
        buffer.resize(this->readSize + spare);
    }
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

std::string_view textInput::peek(std::size_t count) {
    while (end - begin < count && !atEnd && !readError && isOpen()) {
        fill();
    }
    return {buffer.data() + begin, std::min(count, end - begin)};
}

// Reads more after the bytes not yet handed out, first moving them to the
// front; the buffer grows when they take more than a chunk, so that each read
// takes at least as much as they hold.
bool textInput::fill() {
    if (begin > 0) {
        std::memmove(buffer.data(), buffer.data() + begin, end - begin);
        end -= begin;
        begin = 0;
    }
    if (const std::size_t wanted = std::max(readSize, end) + spare; buffer.size() - end < wanted) {
        buffer.resize(std::max(buffer.size() * 2, end + wanted));
    }
    const std::size_t room = buffer.size() - end - spare;
    const long long count = inMemory ? readUnread(buffer.data() + end, room)
                                     : platformFile::readSome(file, buffer.data() + end, room);
    if (count < 0) {
        readError = true;
    } else if (count == 0) {
        atEnd = true;
        stoppedAtMark = !inMemory && platformFile::stoppedAtEndOfFileMark(file, bytesRead);
    } else {
        end += static_cast<std::size_t>(count);
        bytesRead += static_cast<std::uint64_t>(count);
        if (!inMemory) {
            readSize = std::min(2 * readSize, chunkSize);
        }
    }
    return count > 0;
}

long long textInput::readUnread(char* to, std::size_t room) {
    const std::size_t count = std::min({room, readSize, unread.size() - unreadAt});
    if (count == 0) {
        return endsInReadError ? -1 : 0;
    }
    std::memcpy(to, unread.data() + unreadAt, count);
    unreadAt += count;
    return static_cast<long long>(count);
}

textOutput::textOutput(const std::string& path, std::vector<char>& buffer,
                       const std::optional<fileIdentity>& keep)
    : textOutput(-1, buffer) {
    const platformFile::writeOpening opening =
        platformFile::openForWriting(path, keep ? &*keep : nullptr);
    file = opening.file;
    refused = opening.refusal;
    if (file >= 0) {
        opened = opening.identity;
        writesOver = true;
    }
}

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
    if (writesOver && !platformFile::cutAtPosition(file)) {
        writeError = true;
    }
    if (file >= 0 && !platformFile::closeFile(file)) {
        writeError = true;
    }
    file = -1;
    sink = nullptr;
    return !writeError;
}

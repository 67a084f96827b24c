#include "io/text_file.h"

#include <algorithm>
#include <cstring>

namespace {

// The byte after the data (room for a NUL after a last line without a line
// feed) and the bytes that short copies may read beyond it.
constexpr std::size_t spare = 1 + shortPiece;

}  // namespace

textInput::textInput(fileHandle file, std::vector<char>& buffer)
    : ownSource(std::move(file)),
      source(ownSource),
      open(ownSource.isOpen()),
      opened(open ? source.identity() : std::nullopt),
      buffer(buffer) {
    if (buffer.size() < readSize + spare) {
        buffer.resize(readSize + spare);
    }
}

textInput::textInput(byteSource& external, std::vector<char>& buffer)
    : ownSource(fileHandle()),
      source(external),
      open(true),
      opened(source.identity()),
      buffer(buffer) {
    if (buffer.size() < readSize + spare) {
        buffer.resize(readSize + spare);
    }
}

textInput::lineRead textInput::readLine(std::vector<char>& lines, std::size_t longest,
                                        textLine& line) {
    std::size_t length = 0;
    bool tooLong = false;
    bool anyTaken = false;
    for (;;) {
        const char* start = buffer.data() + begin;
        const std::size_t available = end - begin;
        const auto* lineFeed = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t piece =
            lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - start) : available;
        anyTaken = anyTaken || lineFeed != nullptr || piece > 0;
        const std::size_t kept = std::min(piece, longest - length);
        tooLong = tooLong || kept < piece;
        if (const std::size_t needed = length + kept + spare; lines.size() < needed) {
            lines.resize(std::max(lines.size() * 2, needed));
        }
        std::memcpy(lines.data() + length, start, kept);
        length += kept;
        begin += piece;
        if (lineFeed != nullptr) {
            ++begin;
            ++lineFeeds;
        }
        if (lineFeed != nullptr || (exhausted() && begin == end)) {
            if (!anyTaken) {
                return lineRead::none;
            }
            lines[length] = '\0';
            line = {lines.data(), length, lineFeed != nullptr};
            return tooLong ? lineRead::tooLong : lineRead::whole;
        }
        fill();
    }
}

std::string_view textInput::peek(std::size_t count) {
    while (end - begin < count && !exhausted()) {
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
    const long long count = source.read(buffer.data() + end, room);
    if (count < 0) {
        readError = true;
    } else if (count == 0) {
        atEnd = true;
        stoppedAtMark = source.stoppedAtEndOfFileMark(bytesRead);
    } else {
        end += static_cast<std::size_t>(count);
        bytesRead += static_cast<std::uint64_t>(count);
        readSize = std::min(2 * readSize, chunkSize);
    }
    return count > 0;
}

bool fileSink::write(const char* data, std::size_t size) {
    if (!textLineEndsAreCrLf) {
        written += size;
        return put(data, size);
    }
    // What the C runtime's text mode would write: each LF as CR LF.
    translated.clear();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            translated.push_back('\r');
        }
        translated.push_back(data[i]);
    }
    written += translated.size();
    return put(translated.data(), translated.size());
}

textOutput::textOutput(byteSink& sink, std::vector<char>& buffer) : sink(sink), buffer(buffer) {
    if (buffer.size() < bufferSize) {
        buffer.resize(bufferSize);
    }
}

bool textOutput::flush() {
    if (used > 0) {
        deliver(buffer.data(), used);
        used = 0;
    }
    return !writeError;
}

void textOutput::deliver(const char* data, std::size_t size) {
    if (!writeError) {
        writeError = !sink.write(data, size);
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

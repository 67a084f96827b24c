#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/platform_file.h"

// Pieces up to this size are copied with one fixed-size move, which needs no
// branch on the size. A textInput keeps this many readable bytes after its
// data, so that pieces of its lines can be copied so.
constexpr std::size_t shortPiece = 32;

// Text followed by readable bytes up to shortPiece in all, whatever its size.
struct paddedText {
    const char* data;
    std::size_t size;

    bool isShort() const { return size <= shortPiece; }
    // A short text, copied to where shortPiece bytes may be written; returns
    // the end of the text copied.
    char* copyShortTo(char* to) const {
        std::memcpy(to, data, shortPiece);
        return to + size;
    }
};

// One line as the reader holds it. Its bytes may be changed in place, and
// text[length] is always inside the buffer (the line feed, or a NUL after a
// last line without one), so a terminator can be put there.
struct textLine {
    char* text = nullptr;
    std::size_t length = 0;
    bool endedByLineFeed = false;
};

// Reads a file or a text in memory through one large buffer, as a stream of
// bytes or line by line. Lines read by readLine are read whole: the buffer
// grows to hold them.
class textInput {
public:
    // What one read of a file asks for, at the least, once the file has
    // proved large: its first read asks for firstReadSize and each later one
    // for twice as much as the one before, so that a small file takes a small
    // buffer.
    static constexpr std::size_t chunkSize = 256 * 1024;
    static constexpr std::size_t firstReadSize = 4096;

    // The buffer is the caller's, so that one allocation serves many files.
    textInput(const std::string& path, std::vector<char>& buffer,
              platformFile::readable accepted = platformFile::readable::regularFiles);
    // A text in memory, handed out at most readSize bytes a read, so that
    // callers can be tried on reads of any size; with endsInReadError its
    // end reads as a failed read, so that their failure handling can be too.
    textInput(std::string_view content, std::vector<char>& buffer, bool endsInReadError = false,
              std::size_t readSize = chunkSize);
    textInput(const textInput&) = delete;
    textInput& operator=(const textInput&) = delete;
    ~textInput();

    bool isOpen() const { return file >= 0 || inMemory; }
    // The file read; none for text in memory or when the system cannot tell.
    const std::optional<fileIdentity>& identity() const { return opened; }
    // Whether the CR of a CR LF line end is still in the lines read: always
    // for text in memory, and for files where they are read as bytes.
    bool keepsLineEndCarriageReturns() const {
        return inMemory || platformFile::lineEndCarriageReturnsKept;
    }
    // False at the end of the input or after a read error.
    bool readLine(textLine& line);
    // The bytes read and not yet handed out, followed by readable bytes up to
    // shortPiece in all.
    std::string_view buffered() const { return {buffer.data() + begin, end - begin}; }
    // Nothing more will be read: the end of the input, or a read error.
    bool exhausted() const { return atEnd || readError || !isOpen(); }
    // Reads more after what is buffered, at least as much as is buffered, so
    // that a caller that waits for more of the same text never reads it over
    // and over; false when nothing more came.
    bool readMore() { return fill(); }
    // Hands out the first count bytes of what buffered() gave.
    void skip(std::size_t count) {
        begin += count;
        scanned = 0;
    }
    // A read error, as opposed to the end of the input.
    bool failed() const { return readError; }
    // The input ended at a Ctrl-Z before the end of the file (see
    // platformFile::stoppedAtEndOfFileMark); the rest was never read.
    bool stoppedAtEndOfFileMark() const { return stoppedAtMark; }
    // Up to count of the bytes not yet handed out, reading more when fewer
    // are buffered; fewer only at the end of the input or after a read error.
    std::string_view peek(std::size_t count);

private:
    bool fill();
    long long readUnread(char* to, std::size_t room);

    int file = -1;
    std::optional<fileIdentity> opened;
    bool inMemory = false;
    std::vector<char>& buffer;
    std::string unread;  // of a text in memory, from unreadAt on
    std::size_t unreadAt = 0;
    std::size_t readSize = chunkSize;
    bool endsInReadError = false;
    std::size_t begin = 0;    // first byte not yet handed out
    std::size_t end = 0;      // one past the last byte read
    std::size_t scanned = 0;  // bytes after begin known to hold no line feed
    bool atEnd = false;
    bool readError = false;
    std::uint64_t bytesRead = 0;
    bool stoppedAtMark = false;
};

// Writes a file, or appends to a string in memory, through one large buffer.
class textOutput {
public:
    static constexpr std::size_t bufferSize = 256 * 1024;

    // The buffer is the caller's, so that one allocation serves many files.
    // Writes over the file from its start, and cuts off the old bytes left
    // after what was written when closed, also after a failed write. The
    // file keep names is never opened (platformFile::openForWriting).
    textOutput(const std::string& path, std::vector<char>& buffer,
               const std::optional<fileIdentity>& keep = std::nullopt);
    // Writes a file opened elsewhere (-1: none), and closes it.
    textOutput(int file, std::vector<char>& buffer);
    // Appends to sink; writes beyond capacity fail, as on a full disk.
    explicit textOutput(std::string& sink, std::size_t capacity = std::string::npos);
    textOutput(const textOutput&) = delete;
    textOutput& operator=(const textOutput&) = delete;
    ~textOutput();

    bool isOpen() const { return file >= 0 || sink != nullptr; }
    // Why the file was not opened.
    platformFile::writeRefusal refusal() const { return refused; }
    // The file written; none for a string in memory.
    const std::optional<fileIdentity>& identity() const { return opened; }
    void write(const char* data, std::size_t size) {
        if (size <= buffer.size() - used) {
            copyBytes(buffer.data() + used, data, size);
            used += size;
        } else {
            writeThrough(data, size);
        }
    }
    void write(std::string_view text) { write(text.data(), text.size()); }
    void write(paddedText text) {
        if (text.isShort() && buffer.size() - used >= shortPiece) {
            used = static_cast<std::size_t>(text.copyShortTo(buffer.data() + used) - buffer.data());
        } else {
            write(text.data, text.size);
        }
    }
    // The free part of the buffer as plain pointers, for the tightest loops:
    // in a loop's locals they need no reload after each byte stored, as the
    // members would. Nothing else may write until release() says how far the
    // bytes written reach.
    struct freeSpace {
        char* at;
        char* end;
    };
    freeSpace acquire() { return {buffer.data() + used, buffer.data() + buffer.size()}; }
    void release(const char* at) { used = static_cast<std::size_t>(at - buffer.data()); }
    // A write has failed; nothing more reaches the file. Buffered data is
    // only known to have failed once flushed.
    bool failed() const { return writeError; }
    // False when any write so far failed.
    bool flush();
    // Flushes and closes; false when any write or the close failed.
    bool close();

private:
    // Most pieces of a line are a few bytes long; copying them with a few
    // fixed-size moves spares a library call for each.
    static void copyBytes(char* to, const char* from, std::size_t size) {
        if (size > 16) {
            std::memcpy(to, from, size);
        } else if (size >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + size - 8, from + size - 8, 8);
        } else if (size >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + size - 4, from + size - 4, 4);
        } else if (size > 0) {
            to[0] = from[0];
            to[size / 2] = from[size / 2];
            to[size - 1] = from[size - 1];
        }
    }
    void writeThrough(const char* data, std::size_t size);
    void deliver(const char* data, std::size_t size);

    int file = -1;
    bool writesOver = false;  // the file must be cut where writing ends
    std::string* sink = nullptr;
    std::size_t sinkCapacity = std::string::npos;
    std::vector<char> ownBuffer;
    std::vector<char>& buffer;
    std::size_t used = 0;
    bool writeError = false;
    platformFile::writeRefusal refused = platformFile::writeRefusal::none;
    std::optional<fileIdentity> opened;
};

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_handle.h"
#include "io/file_identity.h"
#include "io/line_count.h"
#include "io/paths.h"

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

// Where a textInput's bytes come from.
class byteSource {
public:
    virtual ~byteSource() = default;
    // Bytes read, 0 at the end, -1 on a read error.
    virtual long long read(char* to, std::size_t room) = 0;
    // The file read; none where there is no file or the system cannot tell.
    virtual std::optional<fileIdentity> identity() const { return std::nullopt; }
    // See fileHandle::stoppedAtEndOfFileMark.
    virtual bool stoppedAtEndOfFileMark(std::uint64_t /*bytesRead*/) const { return false; }
    // Whether the CR of a CR LF line end is still in the bytes read.
    virtual bool keepsLineEndCarriageReturns() const { return true; }
};

// The bytes of an open file, as the platform reads it.
class fileSource : public byteSource {
public:
    explicit fileSource(fileHandle opened) : file(std::move(opened)) {}
    long long read(char* to, std::size_t room) override { return file.readSome(to, room); }
    std::optional<fileIdentity> identity() const override { return file.identity(); }
    bool stoppedAtEndOfFileMark(std::uint64_t bytesRead) const override {
        return file.stoppedAtEndOfFileMark(bytesRead);
    }
    bool keepsLineEndCarriageReturns() const override { return lineEndCarriageReturnsKept; }
    bool isOpen() const { return file.isOpen(); }

private:
    fileHandle file;
};

// Reads a file through one large buffer, as a stream of bytes or line by
// line. Lines read by readLine are read whole: the buffer grows to hold them.
class textInput {
public:
    // What one read asks for, at the least, once the input has proved
    // large: its first read asks for firstReadSize and each later one for
    // twice as much as the one before, so that a small file takes a small
    // buffer.
    static constexpr std::size_t chunkSize = 256 * 1024;
    static constexpr std::size_t firstReadSize = 4096;

    // The buffer is the caller's, so that one allocation serves many files.
    textInput(fileHandle file, std::vector<char>& buffer);
    // Reads from a source of the caller's, which must outlive the input.
    textInput(byteSource& source, std::vector<char>& buffer);
    textInput(const textInput&) = delete;
    textInput& operator=(const textInput&) = delete;

    bool isOpen() const { return open; }
    // The file read; none when the system cannot tell.
    const std::optional<fileIdentity>& identity() const { return opened; }
    // Whether the CR of a CR LF line end is still in the lines read.
    bool keepsLineEndCarriageReturns() const { return source.keepsLineEndCarriageReturns(); }
    enum class lineRead { none, whole, tooLong };
    // Copies the next line into lines, which then holds shortPiece readable
    // bytes after it, and a terminator can be put at line.text[line.length].
    // A line longer than longest is read on in pieces and passed over whole:
    // line then holds its first longest bytes. None at the end of the input
    // or after a read error. The input's own buffer never grows for a line,
    // so inputs open at once (includes) hold no more than a read each.
    lineRead readLine(std::vector<char>& lines, std::size_t longest, textLine& line);
    // The bytes read and not yet handed out, followed by readable bytes up to
    // shortPiece in all.
    std::string_view buffered() const { return {buffer.data() + begin, end - begin}; }
    // Nothing more will be read: the end of the input, or a read error.
    bool exhausted() const { return atEnd || readError || !open; }
    // Reads more after what is buffered, at least as much as is buffered, so
    // that a caller that waits for more of the same text never reads it over
    // and over; false when nothing more came.
    bool readMore() { return fill(); }
    // Hands out the first count bytes of what buffered() gave.
    void skip(std::size_t count) {
        lineFeeds += countLineFeeds(buffer.data() + begin, count);
        begin += count;
    }
    // The number of the line that the next byte handed out belongs to,
    // counted from 1.
    std::uint64_t lineNumber() const { return lineFeeds + 1; }
    // A read error, as opposed to the end of the input.
    bool failed() const { return readError; }
    // The input ended at a Ctrl-Z before the end of the file (see
    // fileHandle::stoppedAtEndOfFileMark); the rest was never read.
    bool stoppedAtEndOfFileMark() const { return stoppedAtMark; }
    // Up to count of the bytes not yet handed out, reading more when fewer
    // are buffered; fewer only at the end of the input or after a read error.
    std::string_view peek(std::size_t count);

private:
    bool fill();

    fileSource ownSource;
    byteSource& source;
    bool open;
    std::optional<fileIdentity> opened;
    std::vector<char>& buffer;
    std::size_t readSize = firstReadSize;
    std::size_t begin = 0;        // first byte not yet handed out
    std::size_t end = 0;          // one past the last byte read
    std::uint64_t lineFeeds = 0;  // in the bytes handed out
    bool atEnd = false;
    bool readError = false;
    std::uint64_t bytesRead = 0;
    bool stoppedAtMark = false;
};

// Whether a line feed is written to a text file as CR LF (Windows).
extern const bool textLineEndsAreCrLf;

// Where a textOutput's bytes go.
class byteSink {
public:
    virtual ~byteSink() = default;
    // False when not every byte could be written.
    virtual bool write(const char* data, std::size_t size) = 0;
};

// Writes to an open file from where it stands, line feeds as the platform's
// text files end their lines (CR LF on Windows).
class fileSink : public byteSink {
public:
    explicit fileSink(const fileHandle& file) : file(file) {}
    bool write(const char* data, std::size_t size) override;
    std::uint64_t bytesWritten() const { return written; }

protected:
    // The bytes as the file gets them.
    virtual bool put(const char* data, std::size_t size) { return file.writeAll(data, size); }

    const fileHandle& file;

private:
    std::uint64_t written = 0;
    std::vector<char> translated;
};

// Writes through one large buffer to a sink.
class textOutput {
public:
    static constexpr std::size_t bufferSize = 256 * 1024;

    // The buffer is the caller's, so that one allocation serves many files;
    // the sink must outlive the output.
    textOutput(byteSink& sink, std::vector<char>& buffer);
    textOutput(const textOutput&) = delete;
    textOutput& operator=(const textOutput&) = delete;

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

    byteSink& sink;
    std::vector<char>& buffer;
    std::size_t used = 0;
    bool writeError = false;
};

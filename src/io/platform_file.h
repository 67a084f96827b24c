#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/file_identity.h"

// The platform's files, by descriptor. Every file is opened with sharing that
// lets other programs read and write it meanwhile. Windows opens in text mode
// (CR LF read as LF, LF written as CR LF); POSIX passes bytes unchanged.
namespace platformFile {

// Whether the CR of a CR LF line end reaches the reader (POSIX), rather than
// being taken as part of the line end by the text mode (Windows).
extern const bool lineEndCarriageReturnsKept;

// The characters that end a directory's name in a path. On POSIX a
// backslash is an ordinary character of a name.
extern const char pathSeparators[];

// What a reader may open. Templates and includes come from trees that others
// can write to: a FIFO there would block the run and a device such as
// /dev/zero would never end, so they must be regular files.
enum class readable { regularFiles, anyButDirectories };

// -1 when the file cannot be opened or is not of an accepted kind.
int openForReading(const std::string& path, readable accepted);
// Why an output was not opened. Outputs lie in trees that others can write
// to: a link there could aim the write at any file of the machine, and a
// device or FIFO is no file to fill.
enum class writeRefusal { none, cannotOpen, symbolicLink, notRegularFile, sameFile };

struct writeOpening {
    int file = -1;  // -1 when nothing was opened
    writeRefusal refusal = writeRefusal::none;
    fileIdentity identity;  // of the file opened
};

// Creates the file, or opens a regular file that is not reached through a
// link as its last name, to be written over from its start: its old bytes
// are kept until cutAtPosition drops those that were not written over.
// Cutting once at the end, rather than emptying the file first, spares the
// file system freeing every block and allocating it again (most outputs are
// rewritten with the same text), and the write-out that some file systems
// start when a file emptied is closed. The file `keep` names, when given, is
// not opened.
writeOpening openForWriting(const std::string& path, const fileIdentity* keep = nullptr);
// Ends the file where writing has reached.
bool cutAtPosition(int file);
// What openForWriting would refuse, decided without opening anything for
// writing or creating the file, so that a run that only looks can say it.
writeRefusal previewRefusal(const std::string& path, const fileIdentity* keep = nullptr);
// Bytes read, 0 at end of file, -1 on a read error.
long long readSome(int file, char* buffer, std::size_t size);
// Whether reading reached its end early, at a Ctrl-Z (0x1A) byte before the
// last byte of a regular file: text mode on Windows takes that byte for the
// end of the file, and the rest is lost. bytesRead is what readSome gave in
// all. A Ctrl-Z as the last byte is the old end-of-file mark and counts as
// the end. Moves the file's position: for use once reading is done. Always
// false where files are read as bytes.
bool stoppedAtEndOfFileMark(int file, std::uint64_t bytesRead);
// False when not every byte could be written.
bool writeAll(int file, const char* data, std::size_t size);
// False when closing reports an error (for example a delayed write failure).
bool closeFile(int file);

}  // namespace platformFile

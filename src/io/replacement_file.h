#pragma once

#include <cstdint>
#include <string>

// The platform's side of replacing an output whole: a temporary file beside
// it, flushed to disk and renamed over it in one step. Descriptors are those
// of platformFile; the temporary file is opened for reading and writing as
// bytes, and only duplicateForText gives the form that textOutput writes.
namespace replacementFile {

// What an output's name holds now, the name itself not followed.
enum class nameHolds { nothing, regularFile, symbolicLink, otherFile, unknown };
nameHolds inspect(const std::string& path);
// Whether the existing file at path could be opened for writing in place.
bool mayWrite(const std::string& path);

// Creates a new file that no one else has opened, readable and writable;
// modeFrom names the file whose permission bits it takes (none: the owner's
// only). nameTaken is set when the name already exists.
int createExclusive(const std::string& path, const std::string& modeFrom, bool& nameTaken);
// A second descriptor of the same open file, in the mode textOutput writes.
int duplicateForText(int file);
// An existing regular file, not through a link, for reading as bytes.
int openForComparing(const std::string& path);
// -1 when the size cannot be had.
std::int64_t sizeOf(int file);
// Bytes read at offset, 0 at the end, -1 on error.
long long readAt(int file, std::int64_t offset, char* buffer, std::size_t size);
// Gives the temporary file the permission bits, owner and group of the
// output it replaces, as far as the process may set them.
void takeModeAndOwner(int file, const std::string& output);
bool flushToDisk(int file);
bool closeFile(int file);
// Closes the temporary file and puts it in the output's place. False leaves
// the output as it was.
bool replace(int file, const std::string& temporary, const std::string& output);
// Removes a name that is a regular file (never a link's target), unless
// another process holds it open to write (a run in progress).
void removeIfUnused(const std::string& path);
void removeName(const std::string& path);

}  // namespace replacementFile

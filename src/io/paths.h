#pragma once

#include <optional>
#include <string>

#include "io/directory.h"
#include "io/file_handle.h"
#include "io/file_identity.h"

// Files reached by path, for what may be read wherever it lies: includes,
// the substitutions file, the start of a walk. Writes go through a directory
// (io/directory.h).

// The characters that end a directory's name in a path. On POSIX a
// backslash is an ordinary character of a name.
extern const char pathSeparators[];
// Whether the CR of a CR LF line end reaches the reader (POSIX), rather than
// being taken as part of the line end by the text mode (Windows).
extern const bool lineEndCarriageReturnsKept;

// Text mode on Windows: CR LF reads as LF and a Ctrl-Z ends the file.
fileHandle openPathForReading(const std::string& path, readable accepted);
// What the path leads to, links followed; none when nothing.
std::optional<fileIdentity> identifyPath(const std::string& path);
// The text a symbolic link holds; none when path is no link, or where the
// system cannot say.
std::optional<std::string> linkText(const std::string& path);
// Standard input, as a file of its own that can be closed.
fileHandle openStandardInput();

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/file_handle.h"
#include "io/file_identity.h"

// What a reader may open. Templates and includes come from trees that others
// can write to: a FIFO there would block the run and a device such as
// /dev/zero would never end, so they must be regular files.
enum class readable { regularFiles, anyButDirectories };

// Why an output was not opened. Outputs lie in trees that others can write
// to: a link there could aim the write at any file of the machine, and a
// device or FIFO is no file to fill.
enum class writeRefusal { none, cannotOpen, symbolicLink, notRegularFile, sameFile };

// What a name in a directory holds now, the name itself not followed.
enum class nameHolds { nothing, regularFile, symbolicLink, directory, otherFile, unknown };

struct directoryEntry {
    enum class kind { file, directory, linkToDirectory };
    std::string name;
    kind type = kind::file;
};

struct writeOpening {
    fileHandle file;
    writeRefusal refusal = writeRefusal::none;
    bool created = false;          // the name held nothing before
    bool oldTextReadable = false;  // an old text is there to be read through the same handle
};

// A directory held open, through which every file in it is reached by its
// bare name: a write or removal never follows a path that someone could
// change between two steps, and a link as the name is never followed where
// that would lead a write elsewhere. On Windows the directory is held without
// delete sharing, so it cannot be renamed or removed while held.
class directory {
public:
    directory() = default;
    // The directory a path names, through links; not open when it is none.
    static directory open(const std::string& path);
    directory(directory&& other) noexcept;
    directory& operator=(directory&& other) noexcept;
    directory(const directory&) = delete;
    directory& operator=(const directory&) = delete;
    ~directory();

    bool isOpen() const;
    const fileIdentity& identity() const { return id; }

    // Every entry but "." and "..", in the system's order; false when the
    // listing cannot be read (what was read is kept).
    bool list(std::vector<directoryEntry>& entries) const;
    // A subdirectory, never through a link as its name.
    directory subdirectory(const std::string& name) const;
    // The directory a link in this one leads to.
    directory linkedDirectory(const std::string& name) const;
    // Whether this directory is ancestor or lies under it, decided by the
    // identity of each directory on the way up.
    bool liesWithin(const directory& ancestor) const;

    // A file to read; a link as the name is followed, as reading may.
    fileHandle openForReading(const std::string& name, readable accepted, bool asText) const;
    nameHolds inspect(const std::string& name, fileIdentity* identity = nullptr) const;
    // An existing regular file, never through a link, to be read as bytes.
    fileHandle openExisting(const std::string& name) const;
    // Creates the file with the given permission bits (less the umask), or
    // opens an existing regular file that is not reached through a link, to
    // be written as bytes from its start, and read where the account may.
    // The file keep names is not opened.
    writeOpening openForWriting(const std::string& name, unsigned newFileMode,
                                const fileIdentity* keep) const;
    // Whether the existing file could be opened for writing, without opening it.
    bool mayWrite(const std::string& name) const;
    // A new file that no one else has opened, for reading and writing as
    // bytes; nameTaken is set when the name is in use. It is locked against
    // removeIfUnused until closed or renamed.
    fileHandle createExclusive(const std::string& name, unsigned mode, bool& nameTaken) const;
    // Gives file the permission bits, owner and group (on Windows the
    // attributes and security) of the file called name, as far as the
    // process may set them.
    void copyModeAndOwner(const fileHandle& file, const std::string& name) const;
    // Puts the open file called from in the place of to; it stays open and
    // held meanwhile, so no other run can take it away in between.
    bool replace(const fileHandle& file, const std::string& from, const std::string& to) const;
    // Removes a regular file (never a link's target) unless a run in
    // progress holds it.
    void removeIfUnused(const std::string& name) const;
    // Removes a file of this run's that is no longer open.
    void remove(const std::string& name) const;
    // Removes the open file called name, which this run made.
    void removeOpen(const fileHandle& file, const std::string& name) const;

    // A platform handle, for the tree lock.
    std::intptr_t native() const { return handle; }

private:
    explicit directory(std::intptr_t handle);

    std::intptr_t handle = -1;
    fileIdentity id;
};

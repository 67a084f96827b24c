#pragma once

#include <memory>
#include <optional>
#include <string>

#include "io/directory.h"
#include "io/file_identity.h"
#include "io/text_file.h"
#include "record/run_log.h"

// Where an output lies: its directory, as the walk holds it, and its name
// there. Two outputs that do not exist yet are the same when their places are.
struct outputPlace {
    fileIdentity directory;
    std::string name;
    bool operator==(const outputPlace& other) const {
        return directory == other.directory && name == other.name;
    }
};

// The place where path makes its file when it names none yet: its directory
// and last name, after the links on the way, dangling ones included (a link
// to an output the run has yet to make). None when the directory is unknown.
std::optional<outputPlace> placeOfPath(std::string path);

// What a template asks of its output.
struct outputRequest {
    const directory& in;
    std::string name;  // the output's name in its directory
    std::string path;  // the output as messages show it
    std::optional<fileIdentity> templateIdentity;
    unsigned templateMode;  // the permission bits a new output takes
};

// One output being written. The expansion writes its text; then commit puts
// it in place, or abandon gives it up.
class pendingOutput {
public:
    virtual ~pendingOutput() = default;
    textOutput& text() { return *out; }
    // The output being written, for the includes that would read it back:
    // its identity where it exists, and its place.
    const std::optional<fileIdentity>& identity() const { return writtenIdentity; }
    const outputPlace& place() const { return where; }
    // The text is complete. False when it could not be put in place; the
    // output must then be abandoned. The verdict goes to the run's log.
    virtual bool commit() = 0;
    // The text is incomplete.
    virtual void abandon() = 0;
    // The text is complete but not wanted: the output stays as it was.
    virtual void discard() { abandon(); }

protected:
    pendingOutput(std::optional<fileIdentity> identity, outputPlace place)
        : writtenIdentity(identity), where(std::move(place)) {}

    std::unique_ptr<textOutput> out;
    std::optional<fileIdentity> writtenIdentity;
    outputPlace where;
};

// How a run writes its outputs: in place, replaced whole (--atomic), or not
// at all (--check, --diff). One is chosen for the whole run.
class outputMode {
public:
    virtual ~outputMode() = default;
    // Null, after the message, when the output is refused or cannot be opened.
    virtual std::unique_ptr<pendingOutput> open(const outputRequest& request) = 0;
    // Each file of the walk that is no template.
    virtual void passOver(const directory& /*in*/, const std::string& /*name*/) {}
    // The path that reading path should open: a preview's new text of an
    // output stands for the output.
    virtual std::string readPathOf(const std::string& path) const { return path; }
};

// Writes each output over in place, and leaves one whose text is unchanged
// untouched.
std::unique_ptr<outputMode> inPlaceOutputs(runLog& log);
// Replaces each output whole; an unchanged one is left untouched.
std::unique_ptr<outputMode> atomicOutputs(runLog& log);
// Writes no output: each new text is compared with the output, and shown as
// a diff with showDiffs. Null, after the message, when the private directory
// for the new texts cannot be made.
std::unique_ptr<outputMode> previewOutputs(runLog& log, bool showDiffs);

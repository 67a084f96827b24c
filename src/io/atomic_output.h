#pragma once

#include <string>

#include "io/platform_file.h"

// An output replaced whole: its text goes to a temporary file beside it,
// which takes the output's place in one step once complete, and only when
// its content differs from the output's. Until then readers, a crash or a
// second run see the old output.
class atomicOutput {
public:
    // The same refusals as an output written in place.
    using refusal = platformFile::writeRefusal;

    // templatePath gives a new output its permission bits.
    atomicOutput(const std::string& output, const std::string& templatePath);
    atomicOutput(const atomicOutput&) = delete;
    atomicOutput& operator=(const atomicOutput&) = delete;
    // Removes the temporary file unless it took the output's place.
    ~atomicOutput();

    refusal refused() const { return state; }
    // A descriptor for textOutput to write and close; -1 when refused or
    // when it cannot be had.
    int writer();
    // Puts the complete text in the output's place, or leaves an output that
    // already holds it untouched. False leaves the output as it was.
    bool commit();

    // Removes a temporary file that an interrupted run left at path; any
    // other file is left alone.
    static void removeLeftover(const std::string& path);

private:
    bool holdsSameText() const;

    std::string output;
    std::string temporary;
    int file = -1;
    bool outputExists = false;
    bool committed = false;
    refusal state = refusal::none;
};

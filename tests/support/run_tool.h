#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct toolResult {
    int exitStatus = 0;
    std::string standardOutput;
    std::string standardError;
};

// Runs the built fillwright binary with the arguments (no shell involved) in
// the given working directory, with standardInput as its standard input, and
// collects what it wrote.
toolResult runTool(const std::vector<std::string>& arguments,
                   const std::filesystem::path& workingDirectory,
                   const std::string& standardInput = "");

// The path of the built binary.
std::filesystem::path toolPath();

// The exit status of an option without a value, as the platform shows -1.
int optionFailureStatus();

// The platform's text-file line end: what one line feed written by the tool
// becomes in the file.
const char* nativeLineEnd();

// The text with every line feed replaced by the platform's line end: what the
// tool writes for text lines holding it.
std::string withNativeLineEnds(const std::string& text);

#pragma once

#include <string>
#include <vector>

// The options of the tool itself, each an argument spelt exactly "--name"
// (or "--env=PREFIX"). They change how a run reports and writes, never what
// a template means.
struct toolOptions {
    bool help = false;
    bool version = false;
    bool check = false;
    bool diff = false;
    bool strict = false;
    bool explain = false;
    bool verbose = false;
    // Each output is written to a temporary file and renamed over the old one.
    bool atomic = false;
    // One JSON document on standard output at the end, and nothing else there.
    bool json = false;
    // --env=PREFIX, in the order given: the environment variables whose names
    // begin with each enter the table.
    std::vector<std::string> environmentPrefixes;

    // A run that writes no output.
    bool previews() const { return check || diff; }
    bool any() const {
        return help || version || check || diff || strict || explain || verbose || atomic || json ||
               !environmentPrefixes.empty();
    }
};

enum class optionWord { other, toolOption, unknownOption };

// What the argument is: a tool option (its setting is made), an argument
// that begins with "--" and has no "=" but is no tool option (a mistyped
// one), or anything else.
optionWord readToolOption(const std::string& argument, toolOptions& tools);
// The same without making the setting.
optionWord kindOfWord(const std::string& argument);

#pragma once

#include <string>

// The options of the tool itself, each an argument spelt exactly "--name".
// They change how a run reports and writes, never what a template means.
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
};

// True, after setting its flag, when the argument is a tool option.
bool readToolOption(const std::string& argument, toolOptions& tools);

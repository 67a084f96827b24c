#pragma once

#include <string>

// Settings of the tool itself, given as words with two leading dashes; they
// are no keywords and never reach the table.
struct toolOptions {
    // Each output is written to a temporary file and renamed over the old one.
    bool atomic = false;
};

// True when the argument is a tool option word, which it then sets.
bool readToolOption(const std::string& argument, toolOptions& tools);

#pragma once

#include <string>
#include <vector>

#include "driver/tool_options.h"
#include "table/subs_table.h"

struct commandLine {
    std::vector<std::string> positional;
    subsTable options;
    toolOptions tools;
};

// Splits the arguments after the program name into positional arguments,
// tool options and -keyword=value / -keyword value options. False, after the
// message, when the last argument is an option without a value.
bool parseArguments(int argc, const char* const* argv, commandLine& parsed);

void printUsage(const std::string& programName);

// The whole program: the exit status of main.
int fillwrightMain(int argc, const char* const* argv);

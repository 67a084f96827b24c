#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "driver/tool_options.h"
#include "record/run_log.h"
#include "table/subs_table.h"

struct commandLine {
    std::vector<std::string> positional;
    subsTable options;
    toolOptions tools;
};

// Splits the arguments after the program name into positional arguments,
// -keyword=value / -keyword value options and tool options (--check), which
// are read wherever a keyword option could begin. False, after the message,
// when the last argument is an option without a value.
bool parseArguments(int argc, const char* const* argv, commandLine& parsed, runLog& log);

void printUsage(runLog& log, const std::string& programName);

// The whole program, writing to the two streams given: the exit status of main.
int fillwrightMain(int argc, const char* const* argv, std::ostream& errors, std::ostream& output);

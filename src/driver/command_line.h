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

enum class parseOutcome { parsed, optionWithoutValue, unknownOption };

// Splits the arguments after the program name into positional arguments,
// -keyword=value / -keyword value options and tool options (--check), which
// are tool options wherever they stand, even after -keyword. A mistyped tool
// option, or an option without a value, ends the parsing with its message.
parseOutcome parseArguments(int argc, const char* const* argv, commandLine& parsed, runLog& log);

void printUsage(runLog& log, const std::string& programName);

// The whole program, writing to the two streams given: the exit status of main.
int fillwrightMain(int argc, const char* const* argv, std::ostream& errors, std::ostream& output);

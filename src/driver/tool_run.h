#pragma once

#include <string>

#include "driver/command_line.h"
#include "record/run_log.h"

// main's work once a tool option was given: the exit status.
int runWithToolOptions(const std::string& programName, const commandLine& parsed, runLog& log);

// The full help text of --help.
std::string helpText(const std::string& programName);

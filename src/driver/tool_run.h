#pragma once

#include <ostream>
#include <string>

#include "driver/command_line.h"

bool usesToolOptions(const toolOptions& tools);

// main's work once a tool option was given: the exit status.
int runWithToolOptions(const std::string& programName, const commandLine& parsed);

// The full help text of --help.
void printHelp(std::ostream& out, const std::string& programName);

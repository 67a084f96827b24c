#pragma once

#include <string>

#include "io/directory.h"
#include "record/run_log.h"

// The message for an output that is not opened, and its verdict: refused
// when it is no file to write, failed when it cannot be opened.
void reportUnopenedOutput(runLog& log, const std::string& output, writeRefusal refusal);

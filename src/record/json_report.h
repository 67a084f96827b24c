#pragma once

#include <string>

#include "record/run_log.h"

// The run's record as one JSON document, for the programs that drive a run
// (format in docs/report.schema.json). Texts that are not valid UTF-8 keep
// their bytes: the string shows each byte that is not as U+FFFD, and a
// member of the same name with "Base64" after it holds the bytes themselves.
namespace jsonReport {

constexpr int formatVersion = 1;

std::string of(const runLog& log, int exitStatus);

}  // namespace jsonReport

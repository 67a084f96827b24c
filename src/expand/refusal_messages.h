#pragma once

#include <string>

#include "expand/include_guard.h"
#include "io/platform_file.h"

// The messages for outputs and includes that are not opened or expanded.
void reportUnopenedOutput(const std::string& output, platformFile::writeRefusal refusal);
// The template's output is incomplete, or under --atomic was not put in place.
void reportFailedTemplate(const std::string& path);
void reportRefusedInclude(const std::string& include, includeGuard::verdict verdict);

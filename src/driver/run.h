#pragma once

#include <string>
#include <vector>

#include "driver/tool_options.h"
#include "record/run_log.h"
#include "table/subs_table.h"

// "FQDN", "HOST" or "IPaddr", as the optional third argument chooses; an
// unknown selector is reported and gives "FQDN".
std::string canonicalKeywordFor(const std::vector<std::string>& positional, runLog& log);

// One run: builds the table from its sources and expands the tree. False
// when a value the tool options brought in was refused (an environment
// variable that names no keyword).
bool run(const std::vector<std::string>& positional, const subsTable& options,
         const toolOptions& tools, runLog& log);

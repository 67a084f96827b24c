#pragma once

#include <map>
#include <string>

#include "record/run_log.h"
#include "table/subs_table.h"

// Where each keyword of the run's table came from, for --explain.
class tableSources {
public:
    // Every keyword of the table that has no source yet gets this one.
    void noteNew(const subsTable& table, const std::string& source);
    void note(const std::string& keyword, const std::string& source);
    // Each keyword with its value and source, to the log.
    void list(runLog& log, const subsTable& table) const;

private:
    std::map<std::string, std::string, keywordLess> sources;
};

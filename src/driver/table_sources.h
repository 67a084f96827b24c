#pragma once

#include <map>
#include <string>

#include "record/run_log.h"
#include "table/subs_table.h"

// Where each keyword of the run's table came from, for --explain, --strict
// and the report.
class tableSources {
public:
    // Every keyword of the table that has no source yet gets this one.
    void noteNew(const subsTable& table, const std::string& source);
    void note(const std::string& keyword, const std::string& source);
    // The source of a keyword the command line gave (an option, or an
    // environment variable through --env); empty for any other.
    std::string givenSource(const std::string& keyword) const;
    // Each keyword with its value and source, to the log.
    void list(runLog& log, const subsTable& table) const;

    static constexpr const char* option = "option";
    static constexpr const char* environment = "environment ";

private:
    std::map<std::string, std::string, keywordLess> sources;
};

#pragma once

#include <map>
#include <ostream>
#include <string>

#include "table/subs_table.h"

// Where each keyword of the run's table came from, for --explain.
class tableSources {
public:
    // Every keyword of the table that has no source yet gets this one.
    void noteNew(const subsTable& table, const std::string& source);
    void note(const std::string& keyword, const std::string& source);
    // One line per keyword: keyword=value, a tab, the source.
    void list(std::ostream& out, const subsTable& table) const;

private:
    std::map<std::string, std::string, keywordLess> sources;
};

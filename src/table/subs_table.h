#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>

#include "record/run_log.h"

// The order of keywords: ASCII letters compare without regard to case;
// differing bytes compare as signed 8-bit values after folding.
struct keywordLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

// The run's table of substitutions. Copies are deep.
class subsTable {
public:
    using entries = std::map<std::string, std::string, keywordLess>;

    // The value of the equivalent keyword, or null.
    const std::string* find(const std::string& keyword) const;
    // Never inserts; a missing keyword gives one shared empty text.
    const std::string& valueOrEmpty(const std::string& keyword) const;
    // Inserts an empty value when the keyword is missing.
    std::string& entry(const std::string& keyword);
    void assign(const std::string& keyword, const std::string& value);
    // Inserts only when missing; the entry's value after the call.
    std::string setIfAbsent(const std::string& keyword, const std::string& value);

    std::size_t size() const { return table.size(); }
    const entries& all() const { return table; }

private:
    entries table;
};

// Told the keyword and line number (from 1) of every line applied.
using appliedLine = std::function<void(const std::string& keyword, std::size_t lineNumber)>;

// The substitutions file's name that stands for standard input.
constexpr const char* standardInputName = "-";

// Applies the keyword=value lines of a substitutions file (of standard input
// for "-"); false, with nothing added and no message, when the file cannot
// be opened.
bool readSubstitutions(subsTable& table, const std::string& path, runLog& log,
                       const appliedLine& applied = nullptr);

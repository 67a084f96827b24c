#pragma once

#include <string>

#include "pattern/parse_status.h"
#include "pattern/reg_exp.h"

// A pattern compiled once, then asked whether texts match it.
class textPattern {
public:
    explicit textPattern(const std::string& pattern);
    textPattern(const textPattern&) = delete;
    textPattern& operator=(const textPattern&) = delete;

    // False when the pattern did not compile.
    bool matches(const std::string& text) const;

private:
    std::string patternText;
    regExp compiled;
    parseStatus status;
};

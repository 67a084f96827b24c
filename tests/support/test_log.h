#pragma once

#include <sstream>
#include <string>

#include "record/run_log.h"

// A run's log whose console lines are kept for the test to read.
struct testLog {
    explicit testLog(const runLog::settings& settings = {}) : log(errors, output, settings) {}
    testLog(const testLog&) = delete;
    testLog& operator=(const testLog&) = delete;

    // What went to standard error since the last call.
    std::string takeErrors() {
        std::string text = errors.str();
        errors.str("");
        return text;
    }
    std::string takeOutput() {
        std::string text = output.str();
        output.str("");
        return text;
    }

    std::ostringstream errors;
    std::ostringstream output;
    runLog log;
};

#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outputs/output_mode.h"
#include "support/memory_source.h"
#include "support/test_log.h"
#include "templates/subs_iter.h"

// What a subsIter of a test works with, made before it.
struct iterParts {
    explicit iterParts(bool atomic)
        : outputs(atomic ? atomicOutputs(record.log) : inPlaceOutputs(record.log)) {}
    testLog record;
    std::unique_ptr<outputMode> outputs;
};

// A subsIter over the table with a log of its own, writing outputs in place
// (or with atomic, replacing them whole).
struct testIter : iterParts, subsIter {
    explicit testIter(const subsTable& table, const expandSettings& settings = {},
                      bool atomic = false)
        : iterParts(atomic), subsIter(table, record.log, *iterParts::outputs, settings) {}

    // What went to standard error since the last call.
    std::string errors() { return record.takeErrors(); }
};

struct expansionResult {
    bool succeeded = false;
    std::string output;
    std::string errors;
};

struct expansionOptions {
    std::size_t outputCapacity = std::string::npos;
    bool endsInReadError = false;
    std::size_t readSize = textInput::chunkSize;
};

// Expands a text in memory as if it were the file called name.
inline expansionResult expandText(testIter& iter, const std::string& name, const std::string& text,
                                  expansionOptions options = {}) {
    expansionResult result;
    memorySource source(text, options.readSize, options.endsInReadError);
    std::vector<char> buffer;
    textInput in(source, buffer);
    stringSink sink(result.output, options.outputCapacity);
    std::vector<char> outBuffer;
    textOutput out(sink, outBuffer);
    result.succeeded = iter.expandStream(name, in, out);
    out.flush();
    result.errors = iter.errors();
    return result;
}

inline subsTable tableOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    subsTable table;
    for (const auto& [keyword, value] : entries) {
        table.assign(keyword, value);
    }
    return table;
}

#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "expand/subs_iter.h"

// Sends a stream to a string for its lifetime.
class capturedStream {
public:
    explicit capturedStream(std::ostream& stream)
        : stream(stream), saved(stream.rdbuf(captured.rdbuf())) {}
    ~capturedStream() { stream.rdbuf(saved); }
    capturedStream(const capturedStream&) = delete;
    capturedStream& operator=(const capturedStream&) = delete;

    std::string text() const { return captured.str(); }

private:
    std::ostringstream captured;
    std::ostream& stream;
    std::streambuf* saved;
};

struct capturedErrors : capturedStream {
    capturedErrors() : capturedStream(std::cerr) {}
};

struct capturedOutput : capturedStream {
    capturedOutput() : capturedStream(std::cout) {}
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
inline expansionResult expandText(subsIter& iter, const std::string& name, const std::string& text,
                                  expansionOptions options = {}) {
    expansionResult result;
    capturedErrors errors;
    std::vector<char> buffer;
    textInput in(text, buffer, options.endsInReadError, options.readSize);
    textOutput out(result.output, options.outputCapacity);
    result.succeeded = iter.expandStream(name, in, out);
    out.close();
    result.errors = errors.text();
    return result;
}

inline subsTable tableOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    subsTable table;
    for (const auto& [keyword, value] : entries) {
        table.assign(keyword, value);
    }
    return table;
}

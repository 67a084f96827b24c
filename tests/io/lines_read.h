#pragma once

#include <string>

#include "io/text_file.h"

// Every line the input hands out, each with its line feed where it had one.
inline std::string linesRead(textInput& input) {
    std::string read;
    textLine line;
    while (input.readLine(line)) {
        read.append(line.text, line.length);
        if (line.endedByLineFeed) {
            read += '\n';
        }
    }
    return read;
}

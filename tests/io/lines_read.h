#pragma once

#include <string>
#include <vector>

#include "io/text_file.h"

// Every line the input hands out, each with its line feed where it had one.
inline std::string linesRead(textInput& input) {
    std::string read;
    std::vector<char> lines;
    textLine line;
    while (input.readLine(lines, lines.max_size(), line) != textInput::lineRead::none) {
        read.append(line.text, line.length);
        if (line.endedByLineFeed) {
            read += '\n';
        }
    }
    return read;
}

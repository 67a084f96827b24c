#include <cstdint>
#include <iostream>

#include "expand/subs_iter.h"

namespace {

bool isDirective(const textLine& line) {
    return line.length >= 2 && line.text[0] == '>' && line.text[1] == '>';
}

// The directive after ">>". A CR before the line feed belongs to the line end
// also where the file is read as bytes, so a template written with CR LF line
// ends means the same everywhere; a NUL ends the directive.
std::string_view directiveText(const textLine& line, bool carriageReturnKept) {
    std::size_t length = line.length;
    if (carriageReturnKept && line.endedByLineFeed && line.text[length - 1] == '\r') {
        --length;
    }
    std::string_view directive(line.text + 2, length - 2);
    return directive.substr(0, directive.find('\0'));
}

}  // namespace

bool subsIter::processStream(textInput& in, textOutput& out) {
    bool includesSucceeded = true;
    std::uint64_t lineNumber = 0;
    const bool oneByOne = linesOneByOne();
    textLine line;
    while (!out.failed()) {
        // Text lines stream through the expander; only directive lines, and
        // every line where the settings want their numbers, are read whole.
        if (!oneByOne) {
            expander.expandText(in, out);
            if (out.failed()) {
                break;
            }
        }
        if (!in.readLine(line)) {
            break;
        }
        ++lineNumber;
        if (isDirective(line)) {
            directiveLine = lineNumber;
            includesSucceeded =
                carryOutDirective(directiveText(line, in.keepsLineEndCarriageReturns()), out) &&
                includesSucceeded;
        } else {
            expander.expandLine(line, filenames.empty() ? std::string_view() : filenames.back(),
                                lineNumber, out);
        }
    }
    if (in.failed()) {
        std::cerr << "read failed" << std::endl;
    }
    const bool written = out.flush();
    return !in.failed() && written && includesSucceeded;
}

bool subsIter::matchToken(const char* dollar, const char* end, const char*& next,
                          const std::string*& value) {
    return expander.matchToken(dollar, end, next, value);
}

std::string subsIter::expandValue(std::string_view text) {
    return expander.expandValue(text);
}

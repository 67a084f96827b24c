#include "support/run_tool.h"

std::string withNativeLineEnds(const std::string& text) {
    std::string converted;
    converted.reserve(text.size());
    for (char c : text) {
        if (c == '\n') {
            converted += nativeLineEnd();
        } else {
            converted.push_back(c);
        }
    }
    return converted;
}

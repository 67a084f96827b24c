#include "pattern/text_pattern.h"

textPattern::textPattern(const std::string& pattern)
    : patternText(pattern), status(compiled.compile(patternText.c_str())) {}

bool textPattern::matches(const std::string& text) const {
    if (status != parseOk) {
        return false;
    }
    matchContext context;
    return compiled.match(text.c_str(), context);
}

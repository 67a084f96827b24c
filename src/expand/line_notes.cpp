#include <algorithm>
#include <iostream>

#include "events/shown_text.h"
#include "events/text.h"
#include "expand/subs_iter.h"

namespace {

const std::string& fileOnTop(const std::vector<std::string>& filenames) {
    static const std::string none;
    return filenames.empty() ? none : filenames.back();
}

}  // namespace

void subsIter::configure(const expandSettings& chosen) {
    settings = chosen;
    expander.observeMisses(settings.strict ? this : nullptr);
}

void subsIter::unknownName(std::string_view name, std::string_view /*file*/, std::uint64_t line) {
    reportMiss("$(" + std::string(name) + ")", line);
}

// The tokens are found as the expansion finds them: a '$' inside a token
// replaced is not looked at, one inside a token left as written is.
void subsIter::reportMisses(std::string_view text, std::size_t lineNumber) {
    const char* const end = text.data() + std::min(text.find('\0'), text.size());
    const char* dollar = std::find(text.data(), end, '$');
    // The next ')' is looked for again only once passed, so that a line of
    // many "$(" stays linear here.
    const char* close = text.data();
    while (dollar != end) {
        const char* next = dollar + 1;
        const std::string* value = nullptr;
        if (matchToken(dollar, end, next, value)) {
            dollar = std::find(next, end, '$');
            continue;
        }
        if (end - dollar > 2 && dollar[1] == '(') {
            if (close < dollar + 2) {
                close = std::find(dollar + 2, end, ')');
            }
            if (close != end) {
                reportMiss({dollar, static_cast<std::size_t>(close + 1 - dollar)}, lineNumber);
            }
        }
        dollar = std::find(dollar + 1, end, '$');
    }
}

void subsIter::reportMiss(std::string_view token, std::size_t lineNumber) const {
    std::cerr << "No keyword for " << quoted(std::string(token)) << " in "
              << quoted(fileOnTop(filenames)) << " line " << lineNumber;
    if (filenames.size() > 1) {
        std::cerr << " (included from " << quoted(filenames.front()) << ')';
    }
    std::cerr << std::endl;
}

void subsIter::explainKeyword(const std::string& keyword, const std::string& value) const {
    std::cout << shownText(keyword) << '=' << shownText(value) << "\tdirective in "
              << shownText(fileOnTop(filenames)) << " line " << directiveLine << std::endl;
}

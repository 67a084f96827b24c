#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "table/subs_table.h"
#include "templates/subs_iter.h"

// The expansion done the slow way, a byte at a time, as the reference that
// the fast paths (many lines, 64 and 16 bytes at once, windows of a line)
// must agree with.
namespace slowExpansion {

// One line, without its line feed: no token is looked for after a NUL.
inline std::string expandedLine(std::string_view line, const subsTable& table) {
    const std::size_t tokensEnd = std::min(line.find('\0'), line.size());
    std::string output;
    std::size_t at = 0;
    while (at < line.size()) {
        if (at >= tokensEnd || line[at] != '$') {
            output += line[at++];
            continue;
        }
        std::size_t nameBegin = at + 1;
        std::size_t nameEnd = nameBegin;
        std::size_t tokenEnd = 0;
        if (nameBegin < tokensEnd && line[nameBegin] == '(') {
            nameEnd = ++nameBegin;
            while (nameEnd < tokensEnd && line[nameEnd] != ')') {
                ++nameEnd;
            }
            tokenEnd = nameEnd < tokensEnd ? nameEnd + 1 : 0;
        } else {
            while (nameEnd < tokensEnd &&
                   ((line[nameEnd] >= 'A' && line[nameEnd] <= 'Z') || line[nameEnd] == '_')) {
                ++nameEnd;
            }
            tokenEnd = nameEnd;
        }
        const std::string* value =
            tokenEnd == 0 ? nullptr
                          : table.find(std::string(line.substr(nameBegin, nameEnd - nameBegin)));
        if (value == nullptr) {
            output += line[at++];
            continue;
        }
        output += *value;
        at = tokenEnd;
    }
    return output;
}

// A template's output, its keyword directives applied to table as it goes;
// nothing for a template with include directives.
inline std::optional<std::string> expandedTemplate(std::string_view input, subsTable& table) {
    std::string output;
    while (!input.empty()) {
        const std::size_t lineFeed = input.find('\n');
        std::string_view line = input.substr(0, lineFeed);
        input.remove_prefix(lineFeed == std::string_view::npos ? input.size() : lineFeed + 1);
        if (line.substr(0, 2) != ">>") {
            output += expandedLine(line, table);
            output += '\n';
            continue;
        }
        std::string directive(line.substr(2));
        if (lineFeed != std::string_view::npos && !directive.empty() && directive.back() == '\r') {
            directive.pop_back();
        }
        directive.resize(std::min(directive.find('\0'), directive.size()));
        std::string word = directive.substr(0, 7);
        for (char& c : word) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
        }
        if (word == "include") {
            return std::nullopt;
        }
        if (const std::size_t equals = directive.find('='); equals != std::string::npos) {
            const std::string value = expandedLine(directive.substr(equals + 1), table);
            if (value.size() <= subsIter::keywordValueLimit ||
                value.size() <= directive.size() - equals - 1) {
                table.entry(directive.substr(0, equals)) = value;
            }
        }
    }
    return output;
}

// The table and the files to include that the expansion's fuzz corpus was
// made with: the names of the files are relative to the template's directory.
inline subsTable corpusTable() {
    subsTable table;
    table.assign("HOST", "alpha");
    table.assign("DOMAIN", "example.org");
    table.assign("K", "$HOST");
    table.assign("LONG", std::string(300, 'v'));
    // A name with a dollar sign: its token holds another token's start.
    table.assign("A$K", "nested");
    return table;
}

inline std::vector<std::pair<std::string, std::string>> corpusIncludes() {
    return {{"common", "common $HOST $(domain)\n>>K=$HOST-$K\n"},
            {"nested", ">>include common\nnested $K\n"},
            {"self", "self\n>>include self\n"},
            {"sub/inner", ">>include ../common\n>>include inner\n$(K)\n"},
            {"crlf", "a\r\n>>X=1\r\n$X\r\n"}};
}

}  // namespace slowExpansion

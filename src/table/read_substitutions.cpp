#include <cstring>
#include <string_view>
#include <vector>

#include "events/text.h"
#include "io/byte_order_mark.h"
#include "io/encoding_messages.h"
#include "io/paths.h"
#include "io/text_file.h"
#include "table/subs_table.h"

namespace {

// The text of a line as the table sees it: a CR before the line feed is part
// of the line end, and a NUL ends the line.
std::string_view lineText(const textLine& line, bool carriageReturnKept) {
    std::size_t length = line.length;
    if (carriageReturnKept && line.endedByLineFeed && length > 0 && line.text[length - 1] == '\r') {
        --length;
    }
    const void* nul = std::memchr(line.text, '\0', length);
    if (nul != nullptr) {
        length = static_cast<std::size_t>(static_cast<const char*>(nul) - line.text);
    }
    return {line.text, length};
}

// Lines longer than keyword directives' values may be: the table must stay
// small whatever file it is given.
constexpr std::size_t lineLimit = std::size_t{1} << 20;
// What a message shows of a line over that limit.
constexpr std::size_t shownPart = 64;

void reject(runLog& log, std::string_view line, bool shortened) {
    log.message("substitutions file line " +
                quoted(std::string(shortened ? line.substr(0, shownPart) : line)) +
                (shortened ? "... rejected" : " rejected"));
}

// The keyword applied; empty when the line applies none.
std::string_view applyLine(runLog& log, subsTable& table, std::string_view line) {
    if (line.empty() || line.front() == '#') {
        return {};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0 || line.size() > lineLimit) {
        reject(log, line, line.size() > lineLimit);
        return {};
    }
    table.assign(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
    return line.substr(0, equals);
}

}  // namespace

bool readSubstitutions(subsTable& table, const std::string& path, runLog& log,
                       const appliedLine& applied) {
    std::vector<char> buffer;
    // The administrator names this file, and may name a pipe such as /dev/stdin.
    textInput input(path == standardInputName
                        ? openStandardInput()
                        : openPathForReading(path, readable::anyButDirectories),
                    buffer);
    if (!input.isOpen()) {
        return false;
    }
    if (isUtf16(takeByteOrderMark(input))) {
        reportUtf16(log, "Substitutions file", path);
        return true;
    }
    std::vector<char> lines;
    textLine line;
    for (std::size_t lineNumber = 1;; ++lineNumber) {
        // Room for a CR before the line feed: a longer line is kept in part,
        // enough to be rejected, and its end is not looked at.
        const auto read = input.readLine(lines, lineLimit + 2, line);
        if (read == textInput::lineRead::none) {
            break;
        }
        line.endedByLineFeed = line.endedByLineFeed && read == textInput::lineRead::whole;
        const std::string_view keyword =
            applyLine(log, table, lineText(line, input.keepsLineEndCarriageReturns()));
        if (applied && !keyword.empty()) {
            applied(std::string(keyword), lineNumber);
        }
    }
    if (input.stoppedAtEndOfFileMark()) {
        reportEndOfFileMark(log, path);
    }
    return true;
}

#include "outputs/output_diff.h"

#include <algorithm>
#include <dtl/dtl.hpp>
#include <sstream>
#include <vector>

#include "io/paths.h"
#include "io/text_file.h"

namespace outputDiff {

namespace {

enum class loaded { text, missing, notText, tooLarge };

// Reads at most one byte beyond the limit: enough to know it was passed.
// Files read as bytes keep the CR of each CR LF line end, which the diff
// leaves out where text files end their lines so.
loaded load(const fileHandle& file, std::string& text) {
    if (!file.isOpen()) {
        return loaded::missing;
    }
    char chunk[64 * 1024];
    long long count = 0;
    while (text.size() <= byteLimit &&
           (count = file.readFull(text.size(), chunk, sizeof chunk)) > 0) {
        text.append(chunk, static_cast<std::size_t>(count));
    }
    if (textLineEndsAreCrLf) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                text[kept++] = text[i];
            }
        }
        text.resize(kept);
    }
    // A last line without a line feed counts as a line too.
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
                              (!text.empty() && text.back() != '\n' ? 1 : 0);
    if (text.size() > byteLimit || lines > lineLimit) {
        return loaded::tooLarge;
    }
    return text.find('\0') == std::string::npos ? loaded::text : loaded::notText;
}

// A last line without a line feed carries the marker that says so, which
// also makes it differ from the same line with one.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t lineFeed = text.find('\n', begin);
        if (lineFeed == std::string::npos) {
            lines.push_back(text.substr(begin) + "\n\\ No newline at end of file");
            break;
        }
        lines.push_back(text.substr(begin, lineFeed - begin));
        begin = lineFeed + 1;
    }
    return lines;
}

using hunk = dtl::uniHunk<std::pair<std::string, dtl::elemInfo>>;

// A range of no lines starts at the line before it, as patch expects.
long long rangeStart(long long start, long long count) {
    return count == 0 ? start - 1 : start;
}

// The library may give a hunk more context than asked for near the ends of
// the texts, in any of its parts; the lines beyond it are left out.
void writeHunk(std::ostream& out, const hunk& piece) {
    constexpr std::size_t context = 3;
    std::vector<const std::pair<std::string, dtl::elemInfo>*> lines;
    for (const auto* part : {&piece.common[0], &piece.change, &piece.common[1]}) {
        for (const auto& line : *part) {
            lines.push_back(&line);
        }
    }
    const auto isCommon = [](const auto* line) { return line->second.type == dtl::SES_COMMON; };
    const auto firstChange = std::find_if_not(lines.begin(), lines.end(), isCommon);
    const auto lastChange = std::find_if_not(lines.rbegin(), lines.rend(), isCommon).base();
    const auto first = firstChange - std::min<std::ptrdiff_t>(firstChange - lines.begin(), context);
    const auto last = lastChange + std::min<std::ptrdiff_t>(lines.end() - lastChange, context);
    const auto skipped = static_cast<long long>(first - lines.begin());
    long long oldCount = 0;
    long long newCount = 0;
    for (auto line = first; line != last; ++line) {
        oldCount += (*line)->second.type != dtl::SES_ADD ? 1 : 0;
        newCount += (*line)->second.type != dtl::SES_DELETE ? 1 : 0;
    }
    out << "@@ -" << rangeStart(piece.a + skipped, oldCount) << ',' << oldCount << " +"
        << rangeStart(piece.c + skipped, newCount) << ',' << newCount << " @@\n";
    for (auto line = first; line != last; ++line) {
        const dtl::edit_t type = (*line)->second.type;
        out << (type == dtl::SES_ADD      ? '+'
                : type == dtl::SES_DELETE ? '-'
                                          : ' ')
            << (*line)->first << '\n';
    }
}

}  // namespace

void write(runLog& log, const std::string& shownName, const fileHandle& oldFile,
           const fileHandle& newFile) {
    std::string oldText;
    std::string newText;
    const loaded oldState = load(oldFile, oldText);
    const loaded newState = load(newFile, newText);
    if (oldState == loaded::tooLarge || newState == loaded::tooLarge) {
        log.diff("Output " + shownName + " differs; too large to show (over " +
                 std::to_string(byteLimit) + " bytes or " + std::to_string(lineLimit) +
                 " lines)\n");
        return;
    }
    if (oldState == loaded::notText || newState == loaded::notText) {
        log.diff("Output " + shownName + " differs; not text\n");
        return;
    }
    const std::vector<std::string> oldLines = linesOf(oldText);
    const std::vector<std::string> newLines = linesOf(newText);
    dtl::Diff<std::string, std::vector<std::string>> diff(oldLines, newLines);
    diff.onHuge();
    diff.compose();
    diff.composeUnifiedHunks();
    std::ostringstream out;
    out << "--- " << shownName << "\n+++ " << shownName << "\n";
    for (const auto& hunk : diff.getUniHunks()) {
        writeHunk(out, hunk);
    }
    log.diff(out.str());
}

}  // namespace outputDiff

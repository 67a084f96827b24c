#include <algorithm>
#include <cstdint>
#include <iostream>

#include "events/text.h"
#include "expand/refusal_messages.h"
#include "expand/subs_iter.h"
#include "io/byte_order_mark.h"
#include "io/encoding_messages.h"

namespace {

constexpr std::string_view includeWord = "include";

bool startsWithIncludeWord(std::string_view directive) {
    if (directive.size() < includeWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < includeWord.size(); ++i) {
        const char c = directive[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
        if (lower != includeWord[i]) {
            return false;
        }
    }
    return true;
}

std::string_view skipWhiteSpace(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The separator position as a 32-bit count, so "not found" reads 4294967295.
std::uint32_t shownPosition(std::size_t position) {
    return position == std::string::npos ? UINT32_MAX : static_cast<std::uint32_t>(position);
}

}  // namespace

bool subsIter::carryOutDirective(std::string_view directive, textOutput& out) {
    if (startsWithIncludeWord(directive)) {
        return include(skipWhiteSpace(directive.substr(includeWord.size())), out);
    }
    const std::size_t equals = directive.find('=');
    if (equals == std::string_view::npos) {
        std::cerr << "Bad directive " << directive << std::endl;
        return true;
    }
    setKeyword(directive.substr(0, equals), directive.substr(equals + 1));
    return true;
}

// The length is measured before the value is built, so that a refused value
// never takes the memory it would need.
void subsIter::setKeyword(std::string_view keyword, std::string_view value) {
    const std::size_t length = expander.expandedLength(value);
    if (length > value.size() && length > keywordValueLimit) {
        std::cerr << "Value of keyword " << quoted(std::string(keyword)) << " would be longer than "
                  << keywordValueLimit << " bytes; directive ignored" << std::endl;
        return;
    }
    const std::string name(keyword);
    if (!tableRoom.allows(currentSubs(), name, length)) {
        std::cerr << "Keyword " << quoted(name) << " would make the table larger than "
                  << tableBudget::limit << " bytes; directive ignored" << std::endl;
        return;
    }
    if (settings.strict) {
        reportMisses(value, directiveLine);
    }
    const std::string& stored = tableRoom.assign(getLocalSubs(), name, expander.expandValue(value));
    expander.keywordSet(keyword.size());
    if (settings.explain) {
        explainKeyword(name, stored);
    }
}

bool subsIter::include(std::string_view name, textOutput& out) {
    if (name.empty()) {
        std::cerr << "Empty include directive ignored" << std::endl;
        return true;
    }
    if (filenames.empty()) {
        std::cerr << "filenames.size() = 0" << std::endl;
        return true;
    }
    const std::string& thisFile = filenames.back();
    const std::size_t end = thisFile.find_last_of(platformFile::pathSeparators);
    std::string newFile(name);
    if (end != std::string::npos) {
        newFile.insert(0, thisFile, 0, end + 1);
    }
    if (std::find(filenames.begin(), filenames.end(), newFile) != filenames.end()) {
        std::cerr << "Include file " << quoted(newFile)
                  << " is already being expanded; directive ignored" << std::endl;
        return true;
    }
    const std::size_t depth = filenames.size();
    if (depth > includeDepthLimit) {
        std::cerr << "Include file " << quoted(newFile) << " nested more than " << includeDepthLimit
                  << " deep; directive ignored" << std::endl;
        return true;
    }
    if (guard.limitReached()) {
        reportRefusedInclude(newFile, includeGuard::verdict::tooMany);
        return true;
    }
    if (includeBuffers.size() < depth) {
        includeBuffers.resize(depth);
    }
    textInput input(readPathOf(newFile), includeBuffers[depth - 1]);
    if (!input.isOpen()) {
        std::cerr << "Cannot open include file " << quoted(newFile) << " for input" << std::endl
                  << " thisFile = " << quoted(thisFile) << std::endl
                  << " newFile = " << quoted(newFile) << std::endl
                  << " name = " << quoted(std::string(name)) << std::endl
                  << " end = " << shownPosition(end) << std::endl;
        return true;
    }
    // A mark in the middle of the output would be garbage there: it is left out.
    if (isUtf16(takeByteOrderMark(input))) {
        reportUtf16("Include file", newFile, "; directive ignored");
        return true;
    }
    if (const auto verdict = guard.admit(input.identity());
        verdict != includeGuard::verdict::allowed) {
        reportRefusedInclude(newFile, verdict);
        return true;
    }
    if (!expandStream(newFile, input, out)) {
        std::cerr << "Failed to process include file " << quoted(newFile) << " correctly"
                  << std::endl;
        return false;
    }
    return true;
}

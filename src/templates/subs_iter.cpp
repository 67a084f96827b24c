#include "templates/subs_iter.h"

#include <algorithm>
#include <new>

#include "events/shown_text.h"
#include "events/text.h"
#include "io/encoding_messages.h"
#include "io/paths.h"

// The run's walk, entered at processFile: a template is opened through the
// directory the walk holds, its output through the run's output mode, and
// its lines are expanded by processStream, which carries out directives and
// includes.

namespace {

constexpr std::string_view templateEnding = ".pre";
constexpr std::string_view includeWord = "include";

bool isTemplate(const std::string& path) {
    return path.size() > templateEnding.size() &&
           path.compare(path.size() - templateEnding.size(), templateEnding.size(),
                        templateEnding) == 0;
}

// The walk joins names with '/': the name is what follows the last one.
std::string nameIn(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

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

// Restores the line number of the including file once an include is done.
class lineNumberScope {
public:
    explicit lineNumberScope(std::uint64_t& number) : number(number), saved(number) {}
    lineNumberScope(const lineNumberScope&) = delete;
    lineNumberScope& operator=(const lineNumberScope&) = delete;
    ~lineNumberScope() { number = saved; }

private:
    std::uint64_t& number;
    std::uint64_t saved;
};

}  // namespace

subsIter::subsIter(const subsTable& table, runLog& log, outputMode& outputs,
                   const expandSettings& settings)
    : dirIterator(true, log),
      globalSubs(&table),
      log(log),
      outputs(outputs),
      settings(settings),
      expander(table) {
    expander.observeMisses(settings.strict ? this : nullptr);
    startFailuresReported = settings.strict;
}

subsTable& subsIter::getLocalSubs() {
    if (!localSubs) {
        localSubs = std::make_unique<subsTable>(*globalSubs);
        expander.useTable(*localSubs);
    }
    return *localSubs;
}

bool subsIter::processFile(const std::string& path, int /*depth*/) {
    // Outside a walk (a single file), the file's directory is opened as a
    // walk would open its start.
    directory own;
    const directory* in = directoryListed();
    if (in == nullptr) {
        own = directory::open(directoryOf(path));
        in = &own;
    }
    const std::string name = nameIn(path);
    if (!isTemplate(path)) {
        if (in->isOpen()) {
            outputs.passOver(*in, name);
        }
        return true;
    }
    const std::string outputPath = path.substr(0, path.size() - templateEnding.size());
    log.beginTemplate(path, outputPath);
    expandTemplate(path, outputPath, *in, name);
    log.endTemplate();
    return true;
}

void subsIter::expandTemplate(const std::string& path, const std::string& outputPath,
                              const directory& in, const std::string& name) {
    // A template that is an earlier template's output, under --check, is
    // read in its new text.
    const std::string readPath = outputs.readPathOf(path);
    fileHandle file = readPath != path ? openPathForReading(readPath, readable::regularFiles)
                      : in.isOpen()    ? in.openForReading(name, readable::regularFiles, true)
                                       : fileHandle();
    if (!file.isOpen()) {
        log.message("Cannot open " + quoted(path) + " for input");
        log.verdict(outputVerdict::failed);
        return;
    }
    const std::optional<fileIdentity> templateIdentity = file.identity();
    const unsigned templateMode = file.permissionBits();
    textInput input(std::move(file), inBuffer);
    const byteOrderMark mark = takeByteOrderMark(input);
    if (isUtf16(mark)) {
        reportUtf16(log, "Template", path);
        log.verdict(outputVerdict::refused);
        return;
    }
    // Opened only now: a template that cannot be read leaves an earlier
    // run's output as it was.
    const std::unique_ptr<pendingOutput> output =
        outputs.open({in, name.substr(0, name.size() - templateEnding.size()), outputPath,
                      templateIdentity, templateMode});
    if (!output) {
        return;
    }
    const bool expanded = expandOpened(path, mark, input, *output);
    if (expanded && settings.keepOldOutputOnMessages && log.templateMessageCount() > 0) {
        log.message("Not writing " + quoted(outputPath) + ": " + quoted(path) +
                    " drew messages, so the old output stays as it was");
        log.templateFailed();
        output->discard();
        return;
    }
    if (!expanded || !output->commit()) {
        log.message("Failed to process " + quoted(path) + " correctly");
        log.templateFailed();
        output->abandon();
    }
}

bool subsIter::expandOpened(const std::string& path, byteOrderMark mark, textInput& in,
                            pendingOutput& output) {
    textOutput& out = output.text();
    // The output is in the template's encoding.
    if (mark == byteOrderMark::utf8) {
        out.write(utf8ByteOrderMark);
    }
    guard.startTemplate(output);
    try {
        return expandStream(path, in, out) && out.flush();
    } catch (const std::bad_alloc&) {
        // What the expansion was building is gone; what it wrote so far
        // stays, and the next template starts afresh.
        filenames.clear();
        expander.useTable(currentSubs());
        log.message("Not enough memory to expand " + quoted(path));
        return false;
    }
}

bool subsIter::expandStream(const std::string& name, textInput& in, textOutput& out) {
    filenames.push_back(name);
    guard.enter(in.identity());
    const bool expanded = processStream(in, out);
    guard.leave();
    filenames.pop_back();
    if (in.stoppedAtEndOfFileMark()) {
        reportEndOfFileMark(log, name);
        return false;
    }
    return expanded;
}

bool subsIter::processStream(textInput& in, textOutput& out) {
    const lineNumberScope scope(lineNumber);
    bool includesSucceeded = true;
    const bool oneByOne = linesOneByOne();
    textLine line;
    while (!out.failed()) {
        // Text lines stream through the expander; only directive lines, and
        // every line where the settings want them whole, are read whole.
        if (!oneByOne) {
            expander.expandText(in, out);
            if (out.failed()) {
                break;
            }
        }
        const std::string_view start = in.peek(2);
        const bool directive = start.size() == 2 && start[0] == '>' && start[1] == '>';
        lineNumber = in.lineNumber();
        const auto read = in.readLine(
            lineBuffer, directive ? 2 + directiveLineLimit : lineBuffer.max_size(), line);
        if (read == textInput::lineRead::none) {
            break;
        }
        if (read == textInput::lineRead::tooLong) {
            log.message("Directive in " + quoted(filenames.back()) + " line " +
                            std::to_string(lineNumber) + " is longer than " +
                            std::to_string(directiveLineLimit) + " bytes; skipped",
                        here());
        } else if (directive) {
            includesSucceeded =
                carryOutDirective(directiveText(line, in.keepsLineEndCarriageReturns()), out) &&
                includesSucceeded;
        } else {
            expander.expandLine(line, filenames.back(), lineNumber, out);
        }
    }
    if (in.failed()) {
        lineNumber = in.lineNumber();
        log.message("read failed", here());
    }
    const bool written = out.flush();
    return !in.failed() && written && includesSucceeded;
}

messagePlace subsIter::here() const {
    return {filenames.empty() ? std::string() : filenames.back(), lineNumber};
}

bool subsIter::carryOutDirective(std::string_view directive, textOutput& out) {
    if (startsWithIncludeWord(directive)) {
        return include(skipWhiteSpace(directive.substr(includeWord.size())), out);
    }
    const std::size_t equals = directive.find('=');
    if (equals == std::string_view::npos) {
        log.message("Bad directive " + withControlsEscaped(std::string(directive)), here());
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
        log.message("Value of keyword " + quoted(std::string(keyword)) + " would be longer than " +
                        std::to_string(keywordValueLimit) + " bytes; directive ignored",
                    here());
        return;
    }
    const std::string name(keyword);
    if (!tableRoom.allows(currentSubs(), name, length)) {
        log.message("Keyword " + quoted(name) + " would make the table larger than " +
                        std::to_string(tableBudget::limit) + " bytes; directive ignored",
                    here());
        return;
    }
    if (settings.strict) {
        reportMisses(value);
    }
    const std::string& stored = tableRoom.assign(getLocalSubs(), name, expander.expandValue(value));
    expander.keywordSet(keyword.size());
    if (settings.explain) {
        log.tableSource(name, stored, "directive", here());
    }
}

bool subsIter::include(std::string_view name, textOutput& out) {
    if (name.empty()) {
        log.message("Empty include directive ignored", here());
        return true;
    }
    if (filenames.empty()) {
        log.message("filenames.size() = 0");
        return true;
    }
    const std::string& thisFile = filenames.back();
    const std::size_t end = thisFile.find_last_of(pathSeparators);
    std::string newFile(name);
    if (end != std::string::npos) {
        newFile.insert(0, thisFile, 0, end + 1);
    }
    if (std::find(filenames.begin(), filenames.end(), newFile) != filenames.end()) {
        reportRefusedInclude(newFile, includeGuard::verdict::cycle);
        return true;
    }
    const std::size_t depth = filenames.size();
    if (depth > includeDepthLimit) {
        log.message("Include file " + quoted(newFile) + " nested more than " +
                        std::to_string(includeDepthLimit) + " deep; directive ignored",
                    here());
        return true;
    }
    if (const auto verdict = guard.beforeOpening(newFile);
        verdict != includeGuard::verdict::allowed) {
        reportRefusedInclude(newFile, verdict);
        return true;
    }
    if (includeBuffers.size() < depth) {
        includeBuffers.resize(depth);
    }
    textInput input(openPathForReading(outputs.readPathOf(newFile), readable::regularFiles),
                    includeBuffers[depth - 1]);
    if (!input.isOpen()) {
        log.message("Cannot open include file " + quoted(newFile) + " for input\n thisFile = " +
                        quoted(thisFile) + "\n newFile = " + quoted(newFile) +
                        "\n name = " + quoted(std::string(name)) +
                        "\n end = " + std::to_string(shownPosition(end)),
                    here());
        return true;
    }
    // A mark in the middle of the output would be garbage there: it is left out.
    if (isUtf16(takeByteOrderMark(input))) {
        reportUtf16(log, "Include file", newFile, "; directive ignored", here());
        return true;
    }
    if (const auto verdict = guard.admit(input.identity());
        verdict != includeGuard::verdict::allowed) {
        reportRefusedInclude(newFile, verdict);
        return true;
    }
    if (!expandStream(newFile, input, out)) {
        log.message("Failed to process include file " + quoted(newFile) + " correctly", here());
        return false;
    }
    return true;
}

void subsIter::reportRefusedInclude(const std::string& include, includeGuard::verdict verdict) {
    const std::string reason = verdict == includeGuard::verdict::cycle
                                   ? " is already being expanded"
                               : verdict == includeGuard::verdict::output
                                   ? " is the output being written"
                                   : " would pass " + std::to_string(includeGuard::includeLimit) +
                                         " includes in one template";
    log.message("Include file " + quoted(include) + reason + "; directive ignored", here());
}

void subsIter::unknownName(std::string_view name, std::string_view /*file*/,
                           std::uint64_t /*line*/) {
    reportMiss("$(" + std::string(name) + ")");
}

// The tokens are found as the expansion finds them: a '$' inside a token
// replaced is not looked at, one inside a token left as written is.
void subsIter::reportMisses(std::string_view text) {
    const char* const end = text.data() + std::min(text.find('\0'), text.size());
    const char* dollar = std::find(text.data(), end, '$');
    // The next ')' is looked for again only once passed, so that a line of
    // many "$(" stays linear here.
    const char* close = text.data();
    while (dollar != end) {
        const char* next = dollar + 1;
        const std::string* value = nullptr;
        if (expander.matchToken(dollar, end, next, value)) {
            dollar = std::find(next, end, '$');
            continue;
        }
        if (end - dollar > 2 && dollar[1] == '(') {
            if (close < dollar + 2) {
                close = std::find(dollar + 2, end, ')');
            }
            if (close != end) {
                reportMiss({dollar, static_cast<std::size_t>(close + 1 - dollar)});
            }
        }
        dollar = std::find(dollar + 1, end, '$');
    }
}

void subsIter::reportMiss(std::string_view token) {
    std::string text = "No keyword for " + quoted(std::string(token)) + " in " +
                       quoted(filenames.empty() ? std::string() : filenames.back()) + " line " +
                       std::to_string(lineNumber);
    if (filenames.size() > 1) {
        text += " (included from " + quoted(filenames.front()) + ')';
    }
    log.message(text, here());
}

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "io/text_file.h"
#include "outputs/output_mode.h"
#include "support/memory_source.h"
#include "support/slow_expansion.h"
#include "table/subs_table.h"
#include "templates/subs_iter.h"

// Each input is expanded as a template in a scratch directory that holds a
// few files to include: a nested pair, files that include the next twice,
// and cycles under differently spelled names and links.
namespace {

// Far above what a short input can write without piling up values; the
// output then fails as a full disk would.
constexpr std::size_t outputCapacity = std::size_t{1} << 20;

class includeDirectory {
public:
    includeDirectory() {
        root = processScratchPath("fuzz-expand-");
        for (const auto& [name, content] : slowExpansion::corpusIncludes()) {
            add(name, content);
        }
        // Each includes the next twice: 2^6 expansions from one include.
        for (int i = 0; i < 6; ++i) {
            const std::string next = "twice" + std::to_string(i + 1);
            add("twice" + std::to_string(i),
                ">>include " + next + "\n$K\n>>include " + next + "\n");
        }
        add("twice6", "leaf $(HOST)\n");
        // One cycle under many names: spellings, a link and a hard link.
        add("loop",
            "loop\n>>include ./loop\n>>include sub/../loop\n>>include alias\n"
            ">>include hard\n>>include sub/back\n");
        add("sub/back", ">>include ../loop\n>>include ./../sub/back\n");
        std::error_code ignored;
        std::filesystem::create_symlink("loop", root / "alias", ignored);
        std::filesystem::create_hard_link(root / "loop", root / "hard", ignored);
        templateName = (root / "template.pre").string();
    }
    ~includeDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::filesystem::path root;
    std::string templateName;

private:
    void add(const std::string& name, const std::string& content) {
        const std::filesystem::path file = root / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }
};

bool hasDirectiveLine(std::string_view input) {
    return input.substr(0, 2) == ">>" || input.find("\n>>") != std::string_view::npos;
}

// Text without tokens or directives comes out as it went in, each line
// ended by a line feed.
void checkPlainCopy(std::string_view input, const std::string& output) {
    if (input.find('$') != std::string_view::npos || hasDirectiveLine(input) ||
        output.size() >= outputCapacity) {
        return;
    }
    std::string expected(input);
    if (!expected.empty() && expected.back() != '\n') {
        expected += '\n';
    }
    if (output != expected) {
        std::abort();
    }
}

// Templates without includes are expanded the slow way too; the fast paths,
// which take many lines and bytes at once, must agree.
void checkAgainstSlowExpansion(std::string_view input, const std::string& output,
                               const subsTable& table) {
    subsTable slowTable = table;
    const std::optional<std::string> expected = slowExpansion::expandedTemplate(input, slowTable);
    if (expected && output.size() < outputCapacity && output != *expected) {
        std::abort();
    }
}

// Messages are not looked at: they go nowhere.
struct quietRun {
    std::ostream nowhere{nullptr};
    runLog log{nowhere, nowhere};
    std::unique_ptr<outputMode> outputs = inPlaceOutputs(log);
};

// Expands the input as the template called name, read at most readSize
// bytes at a time.
std::string expanded(std::string_view input, const subsTable& table, const std::string& name,
                     std::size_t readSize, const expandSettings& settings = {}) {
    quietRun quiet;
    subsIter iter(table, quiet.log, *quiet.outputs, settings);
    memorySource source(input, readSize);
    std::vector<char> buffer;
    textInput in(source, buffer);
    std::string text;
    stringSink sink(text, outputCapacity);
    std::vector<char> outBuffer;
    textOutput out(sink, outBuffer);
    iter.expandStream(name, in, out);
    out.flush();
    return text;
}

// Line by line, as --strict reads, the expansion writes the same.
void checkLineByLine(std::string_view input, const std::string& output, const subsTable& table,
                     const std::string& name) {
    expandSettings strict;
    strict.strict = true;
    if (expanded(input, table, name, textInput::chunkSize, strict) != output) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const includeDirectory includes;
    static const subsTable table = slowExpansion::corpusTable();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Include names are joined to the template's directory; ".." would let
    // the fuzzer read any file on the machine, and follow it into devices.
    if (input.find("..") != std::string_view::npos) {
        return -1;
    }
    // Read whole, and in reads of a few bytes, so that lines and tokens
    // straddle the windows the expansion takes.
    const std::size_t readSizes[] = {textInput::chunkSize, 1 + size % 61};
    std::string outputs[2];
    for (int run = 0; run < 2; ++run) {
        outputs[run] = expanded(input, table, includes.templateName, readSizes[run]);
    }
    if (outputs[0] != outputs[1]) {
        std::abort();
    }
    checkPlainCopy(input, outputs[0]);
    checkAgainstSlowExpansion(input, outputs[0], table);
    checkLineByLine(input, outputs[0], table, includes.templateName);
    return 0;
}

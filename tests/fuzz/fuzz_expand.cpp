#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "expand/subs_iter.h"
#include "fuzz/fuzz_support.h"
#include "io/text_file.h"
#include "table/subs_table.h"

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
        add("common", "common $HOST $(domain)\n>>K=$HOST-$K\n");
        add("nested", ">>include common\nnested $K\n");
        add("self", "self\n>>include self\n");
        add("sub/inner", ">>include ../common\n>>include inner\n$(K)\n");
        add("crlf", "a\r\n>>X=1\r\n$X\r\n");
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

subsTable smallTable() {
    subsTable table;
    table.assign("HOST", "alpha");
    table.assign("DOMAIN", "example.org");
    table.assign("K", "$HOST");
    table.assign("LONG", std::string(300, 'v'));
    // A name with a dollar sign: its token holds another token's start.
    table.assign("A$K", "nested");
    return table;
}

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

// Text without directives or NUL bytes, expanded the slow way, a byte at a
// time: the fast paths, which take many lines and bytes at once, must agree.
std::string expandedSlowly(std::string_view input, const subsTable& table) {
    std::string output;
    std::size_t at = 0;
    while (at < input.size()) {
        if (input[at] != '$') {
            output += input[at++];
            continue;
        }
        std::size_t nameBegin = at + 1;
        std::size_t nameEnd = nameBegin;
        std::size_t tokenEnd = 0;
        if (nameBegin < input.size() && input[nameBegin] == '(') {
            nameEnd = ++nameBegin;
            while (nameEnd < input.size() && input[nameEnd] != ')' && input[nameEnd] != '\n') {
                ++nameEnd;
            }
            tokenEnd = nameEnd < input.size() && input[nameEnd] == ')' ? nameEnd + 1 : 0;
        } else {
            while (nameEnd < input.size() &&
                   ((input[nameEnd] >= 'A' && input[nameEnd] <= 'Z') || input[nameEnd] == '_')) {
                ++nameEnd;
            }
            tokenEnd = nameEnd;
        }
        const std::string* value =
            tokenEnd == 0 ? nullptr
                          : table.find(std::string(input.substr(nameBegin, nameEnd - nameBegin)));
        if (value == nullptr) {
            output += input[at++];
            continue;
        }
        output += *value;
        at = tokenEnd;
    }
    if (!input.empty() && input.back() != '\n') {
        output += '\n';
    }
    return output;
}

void checkAgainstSlowExpansion(std::string_view input, const std::string& output,
                               const subsTable& table) {
    if (hasDirectiveLine(input) || input.find('\0') != std::string_view::npos ||
        output.size() >= outputCapacity) {
        return;
    }
    if (output != expandedSlowly(input, table)) {
        std::abort();
    }
}

// Line by line, as --strict reads, the expansion writes the same.
void checkLineByLine(std::string_view input, const std::string& output, const subsTable& table,
                     const std::string& name) {
    subsIter strict(table);
    strict.configure({true, false, nullptr});
    std::vector<char> buffer;
    textInput in(input, buffer);
    std::string again;
    textOutput out(again, outputCapacity);
    strict.expandStream(name, in, out);
    out.close();
    if (again != output) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceErrorStream();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const includeDirectory includes;
    static const subsTable table = smallTable();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Include names are joined to the template's directory; ".." would let
    // the fuzzer read any file on the machine, and follow it into devices.
    if (input.find("..") != std::string_view::npos) {
        return -1;
    }
    subsIter iter(table);
    std::vector<char> buffer;
    textInput in(input, buffer);
    std::string output;
    textOutput out(output, outputCapacity);
    iter.expandTemplate(includes.templateName, in, out);
    out.close();
    checkPlainCopy(input, output);
    checkAgainstSlowExpansion(input, output, table);
    checkLineByLine(input, output, table, includes.templateName);
    return 0;
}

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "events/text.h"
#include "expansion_harness.h"
#include "support/repeated_text.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// Trees that someone else can write to, met one template at a time.
namespace {

std::string processFile(const subsTable& table, const std::string& path) {
    subsIter iter(table);
    capturedErrors errors;
    iter.processFile(path, 0);
    return errors.text();
}

// Outputs: nothing is written through a link, into anything but a regular
// file, or over the template itself.
struct outputCase {
    std::string name;
    std::string output;  // beside t.pre, which holds "new"
    std::function<void(const scratchDir&)> make;
    std::string reason;
    std::function<void(const scratchDir&)> check;
};

TEST(hostileTree, outputsOnlyRegularFilesNeverThroughALink) {
    const auto unchanged = [](const std::string& name, const std::string& text) {
        return [=](const scratchDir& dir) { EXPECT_EQ(dir.read(name), text); };
    };
    std::vector<outputCase> cases = {
        {"hard link to the template", "t",
         [](const scratchDir& dir) {
             fs::create_hard_link(dir.path() / "t.pre", dir.path() / "t");
         },
         "it is its own template", unchanged("t.pre", "new\n")},
#ifndef _WIN32
        {"link to a file elsewhere", "t",
         [](const scratchDir& dir) {
             dir.write("elsewhere", "victim\n");
             fs::create_symlink(dir.path() / "elsewhere", dir.path() / "t");
         },
         "it is a symbolic link", unchanged("elsewhere", "victim\n")},
        {"dangling link", "t",
         [](const scratchDir& dir) { fs::create_symlink(dir.path() / "made", dir.path() / "t"); },
         "it is a symbolic link", [](const scratchDir& dir) { EXPECT_FALSE(dir.exists("made")); }},
        {"link to a device", "t",
         [](const scratchDir& dir) { fs::create_symlink("/dev/null", dir.path() / "t"); },
         "it is a symbolic link", [](const scratchDir&) {}},
        {"template that is a link to its output", "t",
         [](const scratchDir& dir) {
             fs::remove(dir.path() / "t.pre");
             dir.write("t", "earlier\n");
             fs::create_symlink("t", dir.path() / "t.pre");
         },
         "it is its own template", unchanged("t", "earlier\n")},
        {"FIFO with a reader", "t",
         [](const scratchDir& dir) {
             ASSERT_EQ(::mkfifo(dir.at("t").c_str(), 0644), 0);
             // Left open to the end of the process: a reader must be there.
             ASSERT_GE(::open(dir.at("t").c_str(), O_RDONLY | O_NONBLOCK), 0);
         },
         "it is not a regular file", [](const scratchDir&) {}},
#endif
    };
    for (const outputCase& c : cases) {
        SCOPED_TRACE(c.name);
        scratchDir dir;
        dir.write(c.output + ".pre", "new\n");
        c.make(dir);
        EXPECT_EQ(processFile(subsTable(), dir.at(c.output + ".pre")),
                  "Not writing " + quoted(dir.at(c.output)) + ": " + c.reason + "\n");
        c.check(dir);
    }
}

// Includes: a cycle or the output being written, whatever the spelling, and
// a bound on the includes of one template.
TEST(hostileTree, includesOfFilesBeingExpandedOrWrittenAreRefused) {
    scratchDir dir;
    std::vector<std::string> spellings = {"./a", "sub/../a", "a"};
    dir.makeDirectory("sub");
#ifndef _WIN32
    fs::create_symlink("a", dir.path() / "alias");
    spellings.push_back("alias");
#endif
    std::string includes;
    std::string expected;
    for (const std::string& spelling : spellings) {
        includes += ">>include " + spelling + "\n";
        expected += "Include file " + quoted(dir.at(spelling)) +
                    " is already being expanded; directive ignored\n";
    }
    dir.write("a", "a\n" + includes);
    dir.write("t.pre", "t\n>>include a\n>>include t\n");
    expected += "Include file " + quoted(dir.at("t")) + " is the output being written; " +
                "directive ignored\n";
    EXPECT_EQ(processFile(subsTable(), dir.at("t.pre")), expected);
    EXPECT_EQ(dir.read("t"), withNativeLineEnds("t\na\n"));
}

TEST(hostileTree, includesOfOneTemplateAreBounded) {
    scratchDir dir;
    // Each file includes the next twice: 2^15 expansions without the bound.
    constexpr int files = 15;
    for (int i = 0; i < files; ++i) {
        const std::string next = std::to_string(i + 1);
        dir.write(std::to_string(i), "line\n>>include " + next + "\n>>include " + next + "\n");
    }
    dir.write(std::to_string(files), "line\n");
    dir.write("t.pre", ">>include 0\n");
    const std::string errors = processFile(subsTable(), dir.at("t.pre"));
    EXPECT_EQ(dir.read("t"), withNativeLineEnds(repeated("line\n", includeGuard::includeLimit)));
    // Once the bound is reached, the files still open refuse their includes
    // left, at most two each.
    const std::string message = " would pass 10000 includes in one template; directive ignored\n";
    std::size_t refused = 0;
    for (std::size_t at = 0; (at = errors.find(message, at)) != std::string::npos; ++at) {
        ++refused;
    }
    EXPECT_GT(refused, 0u);
    EXPECT_LE(refused, 2u * files);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), static_cast<long>(refused));
}

// The table: directives may not grow it past its bound; a refused one keeps
// the keyword's old value.
TEST(hostileTree, keywordDirectivesStopAtTheTableBound) {
    std::string text = ">>K70=old\n>>X=" + std::string(1u << 20, 'x') + "\n";
    for (int i = 1; i <= 70; ++i) {
        text += ">>K" + std::to_string(i) + "=$X\n";
    }
    const subsTable table;
    subsIter iter(table);
    const expansionResult result = expandText(iter, "t.pre", text);
    const std::string before = "Keyword \"K";
    const std::string after =
        "\" would make the table larger than 67108864 bytes; directive ignored\n";
    ASSERT_EQ(result.errors.rfind(before, 0), 0u) << result.errors.substr(0, 200);
    const int firstRefused = std::stoi(result.errors.substr(before.size()));
    // Every directive holds a mebibyte: about 64 fit.
    EXPECT_GT(firstRefused, 60);
    EXPECT_LE(firstRefused, 64);
    std::string expected;
    for (int i = firstRefused; i <= 70; ++i) {
        expected += before + std::to_string(i) + after;
    }
    EXPECT_EQ(result.errors, expected);
    const expansionResult values =
        expandText(iter, "u.pre", "$(K" + std::to_string(firstRefused - 1) + ")\n$(K70)\n");
    EXPECT_TRUE(values.output == std::string(1u << 20, 'x') + "\nold\n");
}

}  // namespace

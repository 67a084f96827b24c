#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "events/text.h"
#include "expansion_harness.h"
#include "support/repeated_text.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

// Trees that someone else can write to, met one template at a time.
namespace {

std::string processFile(const std::string& path) {
    const subsTable table;
    testIter iter(table);
    iter.processFile(path, 0);
    return iter.errors();
}

// Outputs: nothing is written through a link, into anything but a regular
// file, or over the template; the files beside it keep their text.
TEST(hostileTree, outputsOnlyRegularFilesNeverThroughALink) {
    using maker = std::function<void(const fs::path&)>;
    const std::vector<std::tuple<const char*, maker, const char*>> cases = {
        {"hard link", [](const fs::path& d) { fs::create_hard_link(d / "t.pre", d / "t"); },
         "its own template"},
#ifndef _WIN32
        {"link elsewhere", [](const fs::path& d) { fs::create_symlink(d / "else", d / "t"); },
         "a symbolic link"},
        {"dangling link", [](const fs::path& d) { fs::create_symlink(d / "new", d / "t"); },
         "a symbolic link"},
        {"device link", [](const fs::path& d) { fs::create_symlink("/dev/null", d / "t"); },
         "a symbolic link"},
        {"template linked to its output",
         [](const fs::path& d) {
             fs::rename(d / "else", d / "t");
             fs::remove(d / "t.pre");
             fs::create_symlink("t", d / "t.pre");
         },
         "its own template"},
        {"FIFO with a reader",
         [](const fs::path& d) {
             ASSERT_EQ(::mkfifo((d / "t").c_str(), 0644), 0);
             // Open to the end of the process, so that a reader is there.
             ASSERT_GE(::open((d / "t").c_str(), O_RDONLY | O_NONBLOCK), 0);
         },
         "not a regular file"},
#endif
    };
    for (const auto& [name, make, reason] : cases) {
        SCOPED_TRACE(name);
        scratchDir dir;
        dir.write("t.pre", "new\n");
        dir.write("else", "victim\n");
        make(dir.path());
        EXPECT_EQ(processFile(dir.at("t.pre")),
                  "Not writing " + quoted(dir.at("t")) + ": it is " + reason + "\n");
        EXPECT_EQ(dir.read("else") + dir.read("t.pre"),
                  dir.exists("else") ? "victim\nnew\n" : "victim\n");
        EXPECT_FALSE(dir.exists("new"));
    }
}

// Includes: of a file being expanded, under any name, or of the output.
TEST(hostileTree, includesOfFilesBeingExpandedOrWrittenAreRefused) {
    scratchDir dir;
    std::vector<std::string> names = {"./a", "sub/../a", "a"};
    dir.makeDirectory("sub");
#ifndef _WIN32
    fs::create_symlink("a", dir.path() / "alias");
    names.push_back("alias");
#endif
    std::string text = "a\n";
    std::string expected;
    for (const std::string& name : names) {
        text += ">>include " + name + "\n";
        expected += "Include file " + quoted(dir.at(name)) +
                    " is already being expanded; directive ignored\n";
    }
    dir.write("a", text);
    dir.write("t.pre", "t\n>>include a\n>>include t\n");
    EXPECT_EQ(processFile(dir.at("t.pre")),
              expected + "Include file " + quoted(dir.at("t")) +
                  " is the output being written; directive ignored\n");
    EXPECT_EQ(dir.read("t"), withNativeLineEnds("t\na\n"));
}

// Each file includes the next twice: 2^15 expansions without the bound.
// Past it, each open file refuses the includes it has left.
TEST(hostileTree, includesOfOneTemplateAreBounded) {
    scratchDir dir;
    for (int i = 0; i < 15; ++i) {
        const std::string next = ">>include " + std::to_string(i + 1) + "\n";
        dir.write(std::to_string(i), "line\n" + next + next);
    }
    dir.write("15", "line\n");
    dir.write("t.pre", ">>include 0\n");
    const std::string errors = processFile(dir.at("t.pre"));
    EXPECT_EQ(dir.read("t"), withNativeLineEnds(repeated("line\n", includeGuard::includeLimit)));
    const std::size_t refused =
        occurrences(errors, " would pass 10000 includes in one template; directive ignored\n");
    EXPECT_TRUE(refused > 0 && refused <= 30 && errors.size() < 200 * refused) << errors;
}

// The table: about 64 directives of a mebibyte each fit; a refused one keeps
// the keyword's old value.
TEST(hostileTree, keywordDirectivesStopAtTheTableBound) {
    std::string text = ">>K70=old\n>>X=" + std::string(1u << 20, 'x') + "\n";
    for (int i = 1; i <= 70; ++i) {
        text += ">>K" + std::to_string(i) + "=$X\n";
    }
    const subsTable table;
    testIter iter(table);
    const std::string errors = expandText(iter, "t.pre", text).errors;
    const int first = 71 - static_cast<int>(occurrences(errors, "\n"));
    std::string expected;
    for (int i = first; i <= 70; ++i) {
        expected += "Keyword \"K" + std::to_string(i) +
                    "\" would make the table larger than 67108864 bytes; directive ignored\n";
    }
    EXPECT_TRUE(first > 60 && first <= 64 && errors == expected) << errors.substr(0, 300);
    const std::string k = "$(K" + std::to_string(first - 1) + ")\n$(K70)\n";
    EXPECT_TRUE(expandText(iter, "u.pre", k).output == std::string(1u << 20, 'x') + "\nold\n");
}

}  // namespace

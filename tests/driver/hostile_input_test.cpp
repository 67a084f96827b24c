#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "events/text.h"
#include "support/repeated_text.h"
#include "support/run_tool.h"
#include "templates/subs_iter.h"
#ifndef _WIN32
#include "support/file_size_limit.h"
#endif
#include "support/scratch_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// Whole runs over trees that someone else may have filled: every case either
// works or draws a clear message, and the innocent template beside it is
// still expanded.
namespace {

const std::vector<std::string> fixedMachine = {"-FQDN=alpha.example.org", "-IPaddr=192.0.2.10"};
const char* const innocentTemplate = "tree/innocent.pre";
const char* const innocentOutput = "tree/innocent";

// A tree holding the innocent template and an empty substitutions file.
struct hostileTree {
    hostileTree() {
        dir.write("subs", "");
        dir.write(innocentTemplate, "$HOST\n");
    }

    toolResult run() const {
        std::vector<std::string> arguments = {"tree", "subs"};
        arguments.insert(arguments.end(), fixedMachine.begin(), fixedMachine.end());
        return runTool(arguments, dir.path());
    }

    void expectInnocentExpanded() const {
        EXPECT_EQ(dir.read(innocentOutput), std::string("alpha") + nativeLineEnd());
    }

    scratchDir dir;
};

// What the tool writes for text that it copies unchanged: line feeds become
// the platform's line ends, and the last line gets one.
std::string copiedText(std::string text) {
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return withNativeLineEnds(text);
}

TEST(HostileInput, BinaryTemplateIsCopiedByteForByte) {
    hostileTree tree;
    std::string bytes;
    for (int round = 0; round < 64; ++round) {
        for (int byte = 0; byte < 256; ++byte) {
#ifdef _WIN32
            // Text mode ends a file at Ctrl-Z and folds CR LF.
            if (byte == 0x1a || byte == '\r') {
                continue;
            }
#endif
            bytes += static_cast<char>(byte);
        }
    }
    tree.dir.write("tree/binary.pre", bytes);
    const toolResult result = tree.run();
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "");
    EXPECT_EQ(tree.dir.read("tree/binary"), copiedText(bytes));
    tree.expectInnocentExpanded();
}

TEST(HostileInput, HundredMegabyteLineIsExpandedWhole) {
    hostileTree tree;
    const std::string middle(100u << 20, 'x');
    {
        std::ofstream out(tree.dir.path() / "tree/long.pre", std::ios::binary);
        out << "$HOST" << middle << "$(DOMAIN)";
    }
    const toolResult result = tree.run();
    EXPECT_EQ(result.standardError, "");
    const std::string output = readBytes(tree.dir.path() / "tree/long");
    // Compared piecewise: a failure message should not print 100 MB.
    ASSERT_EQ(output.size(), 5 + middle.size() + 11 + std::string(nativeLineEnd()).size());
    EXPECT_EQ(output.compare(0, 5, "alpha"), 0);
    EXPECT_EQ(output.find_first_not_of('x', 5), 5 + middle.size());
    EXPECT_EQ(output.substr(5 + middle.size()), std::string("example.org") + nativeLineEnd());
    tree.expectInnocentExpanded();
}

TEST(HostileInput, TwoHundredThousandTokensOnOneLine) {
    hostileTree tree;
    tree.dir.write("tree/tokens.pre", repeated("$HOST$(domain)$NOPE ", 200000) + "\n");
    const toolResult result = tree.run();
    EXPECT_EQ(result.standardError, "");
    const std::string output = tree.dir.read("tree/tokens");
    // Not EXPECT_EQ on the texts, whose difference would fill the log.
    EXPECT_TRUE(output == copiedText(repeated("alphaexample.org$NOPE ", 200000) + "\n"));
    tree.expectInnocentExpanded();
}

TEST(HostileInput, TenThousandDeepIncludeChainStopsAtTheLimit) {
    hostileTree tree;
#ifdef _WIN32
    // Each file costs milliseconds to create under Wine; beyond the limit the
    // length of the chain changes nothing.
    constexpr int chainLength = 200;
#else
    constexpr int chainLength = 10000;
#endif
    for (int i = 0; i < chainLength; ++i) {
        tree.dir.write("chain/" + std::to_string(i),
                       "link " + std::to_string(i) + "\n>>include " + std::to_string(i + 1) + "\n");
    }
    tree.dir.write("tree/chain.pre", ">>include ../chain/0\n");
    const toolResult result = tree.run();
    // The template itself holds one level; each link of the chain another.
    const std::size_t linksExpanded = subsIter::includeDepthLimit;
    EXPECT_EQ(result.standardError,
              "Include file " + quoted("tree/../chain/" + std::to_string(linksExpanded)) +
                  " nested more than " + std::to_string(subsIter::includeDepthLimit) +
                  " deep; directive ignored\n");
    std::string expected;
    for (std::size_t i = 0; i < linksExpanded; ++i) {
        expected += "link " + std::to_string(i) + "\n";
    }
    EXPECT_EQ(tree.dir.read("tree/chain"), copiedText(expected));
    tree.expectInnocentExpanded();
}

TEST(HostileInput, DoublingDirectivesAreStoppedAtTheValueLimit) {
    hostileTree tree;
    // Twenty doublings reach the limit exactly; ten more would need a gigabyte.
    const std::string literal(subsIter::keywordValueLimit, 'y');
    // Past the longest line a directive could need, a line is passed over.
    const std::string tooLong(subsIter::directiveLineLimit - 1, 'z');
    tree.dir.write("tree/doubling.pre", ">>A=x\n" + repeated(">>A=$A$A\n", 30) + ">>B=" + literal +
                                            "\n>>B=" + tooLong + "\n$(a)\n$B\n");
    const toolResult result = tree.run();
    EXPECT_EQ(
        result.standardError,
        repeated("Value of keyword \"A\" would be longer than " +
                     std::to_string(subsIter::keywordValueLimit) + " bytes; directive ignored\n",
                 10) +
            "Directive in \"tree/doubling.pre\" line 33 is longer than " +
            std::to_string(subsIter::directiveLineLimit) + " bytes; skipped\n");
    // A value of the limit written out in the directive itself is not refused.
    EXPECT_TRUE(tree.dir.read("tree/doubling") ==
                copiedText(std::string(subsIter::keywordValueLimit, 'x') + "\n" + literal + "\n"));
    tree.expectInnocentExpanded();
}

TEST(HostileInput, FiveHundredLevelsDeepTree) {
    hostileTree tree;
    constexpr int levels = 500;
    std::string path = "tree";
    std::vector<std::string> templates;
    for (int level = 1; level <= levels; ++level) {
        path += "/d";
        if (level % 100 == 0) {
            templates.push_back(path + "/level.pre");
        }
    }
    std::error_code error;
    fs::create_directories(tree.dir.path() / path, error);
    if (error) {
        GTEST_SKIP() << "the file system refuses a path of " << path.size() << " characters";
    }
    for (const std::string& name : templates) {
        tree.dir.write(name, "$HOST\n");
    }
    // Each directory is reached from its parent by name, so no path grows
    // past what the system takes: the whole tree is walked, on Windows too.
    const toolResult result = tree.run();
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "");
    for (const std::string& name : templates) {
        EXPECT_EQ(tree.dir.read(name.substr(0, name.size() - 4)),
                  std::string("alpha") + nativeLineEnd())
            << name.size() << " characters";
    }
    tree.expectInnocentExpanded();
}

// Names that a shell or a message could split, quote or mangle.
std::vector<std::string> awkwardNames() {
    std::vector<std::string> names = {"with space", "trailing ", "it's", "#hash&amp", "-dash"};
#ifndef _WIN32
    names.insert(names.end(),
                 {"quote\"d", "back\\slash", "caf\xc3\xa9", "tab\there", "\xff\xfe", "new\nline"});
#endif
    return names;
}

TEST(HostileInput, AwkwardNamesAreExpandedAndQuotedInMessages) {
    for (const std::string& name : awkwardNames()) {
        SCOPED_TRACE(quoted(name));
        hostileTree tree;
        tree.dir.write("tree/" + name + ".pre", "$HOST\n");
        tree.dir.write("tree/" + name + ".inc", "included\n");
        // A line feed would end the directive, so such a name cannot be included.
        const bool includable = name.find('\n') == std::string::npos;
        if (includable) {
            tree.dir.write("tree/includer.pre",
                           ">>include " + name + ".inc\n>>include " + name + ".missing\n");
        }
        const toolResult result = tree.run();
        EXPECT_EQ(tree.dir.read("tree/" + name), copiedText("alpha\n"));
        tree.expectInnocentExpanded();
        if (includable) {
            const std::string missing = "tree/" + name + ".missing";
            EXPECT_EQ(
                result.standardError,
                "Cannot open include file " + quoted(missing) +
                    " for input\n thisFile = \"tree/includer.pre\"\n newFile = " + quoted(missing) +
                    "\n name = " + quoted(name + ".missing") + "\n end = 4\n");
            EXPECT_EQ(tree.dir.read("tree/includer"), copiedText("included\n"));
        } else {
            EXPECT_EQ(result.standardError, "");
        }
    }
}

// An output name taken by a directory cannot be opened by anyone, an
// administrator included.
TEST(HostileInput, OutputThatIsADirectoryIsReported) {
    hostileTree tree;
    tree.dir.write("tree/taken.pre", "$HOST\n");
    tree.dir.write("tree/taken/inside", "kept\n");
    const toolResult result = tree.run();
    EXPECT_EQ(result.standardError, "Cannot open \"tree/taken\" for output\n");
    EXPECT_EQ(tree.dir.read("tree/taken/inside"), "kept\n");
    tree.expectInnocentExpanded();
}

// A read-only file stops ordinary users, not root or a Windows administrator
// under Wine: the test asks the system which holds and expects that.
TEST(HostileInput, ReadOnlyOutputIsReportedOrReplacedAsTheSystemAllows) {
    hostileTree tree;
    tree.dir.write("tree/locked.pre", "$HOST\n");
    tree.dir.write("tree/locked", "earlier\n");
    fs::permissions(tree.dir.path() / "tree/locked",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const bool writable = std::ofstream(tree.dir.path() / "tree/locked", std::ios::app).is_open();
    const toolResult result = tree.run();
    if (writable) {
        EXPECT_EQ(result.standardError, "");
        EXPECT_EQ(tree.dir.read("tree/locked"), std::string("alpha") + nativeLineEnd());
    } else {
        EXPECT_EQ(result.standardError, "Cannot open \"tree/locked\" for output\n");
        EXPECT_EQ(tree.dir.read("tree/locked"), "earlier\n");
    }
    tree.expectInnocentExpanded();
}

#ifdef _WIN32
// A device name opens the device in any directory; it is no file to include.
TEST(HostileInput, IncludeOfADeviceNameIsRefused) {
    hostileTree tree;
    tree.dir.write("tree/device.pre", "before\n>>include NUL\nafter\n");
    const toolResult result = tree.run();
    EXPECT_EQ(result.standardError,
              "Cannot open include file \"tree/NUL\" for input\n thisFile = \"tree/device.pre\"\n"
              " newFile = \"tree/NUL\"\n name = \"NUL\"\n end = 4\n");
    EXPECT_EQ(tree.dir.read("tree/device"), copiedText("before\nafter\n"));
    tree.expectInnocentExpanded();
}
#else
// A FIFO would block the run and /dev/zero would never end: templates and
// includes must be regular files. A link to a regular file still counts.
TEST(HostileInput, TemplatesThatAreNoRegularFilesAreRefused) {
    const auto fifo = [](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); };
    const auto zero = [](const fs::path& path) { fs::create_symlink("/dev/zero", path); };
    const std::vector<std::function<void(const fs::path&)> > makers = {fifo, zero};
    for (const auto& make : makers) {
        hostileTree tree;
        make(tree.dir.path() / "tree/odd.pre");
        tree.dir.write("tree/odd", "earlier\n");
        const toolResult result = tree.run();
        EXPECT_EQ(result.standardError, "Cannot open \"tree/odd.pre\" for input\n");
        EXPECT_EQ(tree.dir.read("tree/odd"), "earlier\n");
        tree.expectInnocentExpanded();
    }
}

TEST(HostileInput, IncludesThatAreNoRegularFilesAreRefused) {
    hostileTree tree;
    ASSERT_EQ(::mkfifo((tree.dir.path() / "tree/fifo").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", tree.dir.path() / "tree/zero");
    tree.dir.write("tree/real", "real\n");
    fs::create_symlink("real", tree.dir.path() / "tree/link");
    tree.dir.write("tree/odd.pre", "a\n>>include fifo\n>>include zero\n>>include link\nb\n");
    const toolResult result = tree.run();
    std::string expected;
    for (const char* name : {"fifo", "zero"}) {
        const std::string newFile = std::string("tree/") + name;
        expected += "Cannot open include file " + quoted(newFile) +
                    " for input\n thisFile = " + "\"tree/odd.pre\"\n newFile = " + quoted(newFile) +
                    "\n name = " + quoted(name) + "\n end = 4\n";
    }
    EXPECT_EQ(result.standardError, expected);
    EXPECT_EQ(tree.dir.read("tree/odd"), "a\nreal\nb\n");
    tree.expectInnocentExpanded();
}

// No reader waits at the FIFO, so writing could only block.
TEST(HostileInput, OutputThatIsAFifoWithoutReaderIsReported) {
    hostileTree tree;
    tree.dir.write("tree/piped.pre", "$HOST\n");
    ASSERT_EQ(::mkfifo((tree.dir.path() / "tree/piped").c_str(), 0644), 0);
    const toolResult result = tree.run();
    EXPECT_EQ(result.standardError, "Cannot open \"tree/piped\" for output\n");
    tree.expectInnocentExpanded();
}

// A full disk: the failure surfaces when the buffered output is written,
// whether that happens during the expansion or at its end.
TEST(HostileInput, OutputsThatCannotBeWrittenAreReported) {
    for (std::size_t lines : {10u, 100000u}) {
        SCOPED_TRACE(lines);
        hostileTree tree;
        tree.dir.write("tree/full.pre", repeated("$HOST and some more text\n", lines));
        toolResult result;
        {
            // Room for the messages and the innocent output, not for this one.
            const fileSizeLimit full(200);
            result = tree.run();
        }
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.standardError, "Failed to process \"tree/full.pre\" correctly\n");
        tree.expectInnocentExpanded();
    }
}

// A reader of the messages that went away (a pipe into `head`) must not end
// the run half way: the outputs are all written whole.
TEST(HostileInput, StandardErrorWithoutReaderDoesNotEndTheRun) {
    hostileTree tree;
    const std::string text = repeated("$HOST and some more text\n", 20000);
    tree.dir.write("tree/big.pre", text + ">>bad directive\n" + text);
    int messages[2];
    ASSERT_EQ(::pipe(messages), 0);
    ::close(messages[0]);
    const std::string program = toolPath().string();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::dup2(messages[1], 2) < 0 || ::chdir(tree.dir.path().c_str()) != 0) {
            ::_exit(127);
        }
        ::execl(program.c_str(), program.c_str(), "tree", "subs", fixedMachine[0].c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(messages[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string expanded = repeated("alpha and some more text\n", 20000);
    EXPECT_TRUE(tree.dir.read("tree/big") == expanded + expanded);
    tree.expectInnocentExpanded();
}

// The substitutions file is the administrator's own choice, and may be a pipe.
TEST(HostileInput, SubstitutionsMayComeThroughAFifo) {
    hostileTree tree;
    ASSERT_EQ(::mkfifo((tree.dir.path() / "fed").c_str(), 0644), 0);
    // Waits for the tool to open the FIFO, but not forever should it never come.
    std::thread writer([fifo = tree.dir.at("fed")] {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            const int file = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (file >= 0) {
                const std::string line = "HOST=fed\n";
                EXPECT_EQ(::write(file, line.data(), line.size()),
                          static_cast<ssize_t>(line.size()));
                ::close(file);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "the tool never opened the FIFO";
    });
    const toolResult result = runTool({"tree", "fed", "-FQDN=alpha.example.org"}, tree.dir.path());
    writer.join();
    EXPECT_EQ(result.standardError, "");
    EXPECT_EQ(tree.dir.read(innocentOutput), "fed\n");
}
#endif

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "events/text.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

namespace fs = std::filesystem;

// A tree's writers cannot make a run write outside the tree, lose a
// template, or forge lines on the administrator's terminal, in any mode.
namespace {

const std::vector<std::string> fixedMachine = {"-FQDN=alpha.example.org", "-IPaddr=192.0.2.10"};

toolResult runIn(const scratchDir& dir, std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), fixedMachine.begin(), fixedMachine.end());
    return runTool(arguments, dir.path());
}

// A template linked to its output, or an output linked to its template, is
// refused whichever way outputs are written; so is an include of the output
// being written, whether it exists yet or not.
TEST(Confinement, IdentityGuardsHoldInEveryMode) {
    struct guardCase {
        const char* name;
        bool links;  // needs symbolic links
        void (*make)(const scratchDir&);
        const char* errors;
        const char* templateAfter;
    };
    const guardCase cases[] = {
        {"template linked to its output", true,
         [](const scratchDir& dir) {
             dir.write("tree/x", "template text\n");
             fs::create_symlink("x", dir.path() / "tree/x.pre");
         },
         "Not writing \"tree/x\": it is its own template\n", "template text\n"},
        {"output linked to its template", true,
         [](const scratchDir& dir) {
             dir.write("tree/x.pre", "template text\n");
             fs::create_symlink("x.pre", dir.path() / "tree/x");
         },
         "Not writing \"tree/x\": it is a symbolic link\n", "template text\n"},
        {"include of an existing output", false,
         [](const scratchDir& dir) {
             dir.write("tree/x.pre", "a\n>>include x\n");
             dir.write("tree/x", withNativeLineEnds("a\n"));
         },
         "Include file \"tree/x\" is the output being written; directive ignored\n",
         "a\n>>include x\n"},
        {"include of a new output", false,
         [](const scratchDir& dir) { dir.write("tree/x.pre", "a\n>>include x\n"); },
         "Include file \"tree/x\" is the output being written; directive ignored\n",
         "a\n>>include x\n"},
    };
    for (const char* mode : {"", "--atomic", "--check"}) {
        for (const guardCase& c : cases) {
#ifdef _WIN32
            if (c.links) {
                continue;  // no symbolic links here
            }
#endif
            SCOPED_TRACE(std::string(c.name) + " " + mode);
            scratchDir dir;
            dir.write("subs", "");
            c.make(dir);
            std::vector<std::string> arguments = {"tree", "subs"};
            if (*mode != '\0') {
                arguments.push_back(mode);
            }
            const toolResult result = runIn(dir, arguments);
            EXPECT_EQ(result.standardError, c.errors);
            EXPECT_EQ(readBytes(fs::canonical(dir.path() / "tree/x.pre")), c.templateAfter);
        }
    }
}

// Every text shown bare in a message has its control bytes escaped.
TEST(Confinement, ControlBytesNeverReachTheTerminal) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/t.pre", ">>bad\rForged line\x1b[2K\x7f\ttab\n>>plain bad\n");
    EXPECT_EQ(runIn(dir, {"tree", "subs"}).standardError,
              "Bad directive bad\\rForged line\\033[2K\\177\ttab\n"
              "Bad directive plain bad\n");
    EXPECT_EQ(runTool({"d", "s", "-k\x1b]0;title\x07"}, dir.path()).standardError,
              "Keyword -k\\033]0;title\\007 has no value\n");
}

#ifndef _WIN32
// Every name under dir, with the bytes of its regular files.
std::vector<std::string> contentsOf(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        found.push_back(entry.path().lexically_relative(dir).generic_string() + ": " +
                        (entry.is_regular_file() ? readBytes(entry.path()) : ""));
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Secrets stay as private as their templates: a new output takes its
// template's permission bits, less the umask, never a set-ID or sticky bit;
// an existing output keeps its own.
TEST(Confinement, NewOutputsTakeTheirTemplatesModeInEveryMode) {
    const struct {
        mode_t templateMode;
        mode_t newOutput;
    } cases[] = {{0600, 0600}, {0640, 0640}, {0777, 0755}, {06755, 0755}, {01644, 0644}};
    const mode_t savedMask = ::umask(022);
    for (const char* mode : {"", "--atomic"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(mode) + " " + std::to_string(c.templateMode));
            scratchDir dir;
            dir.write("subs", "PASSWORD=hunter2\n");
            dir.write("tree/new.pre", "$(PASSWORD)\n");
            dir.write("tree/old.pre", "$(PASSWORD)\n");
            dir.write("tree/old", "earlier\n");
            ::chmod(dir.at("tree/new.pre").c_str(), c.templateMode);
            ::chmod(dir.at("tree/old.pre").c_str(), c.templateMode);
            ::chmod(dir.at("tree/old").c_str(), 0604);
            std::vector<std::string> arguments = {"tree", "subs"};
            if (*mode != '\0') {
                arguments.push_back(mode);
            }
            EXPECT_EQ(runIn(dir, arguments).standardError, "");
            struct stat status {};
            ASSERT_EQ(::stat(dir.at("tree/new").c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 07777, c.newOutput);
            ASSERT_EQ(::stat(dir.at("tree/old").c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 07777, 0604u);
            EXPECT_EQ(dir.read("tree/new"), "hunter2\n");
        }
    }
    ::umask(savedMask);
}

// Past a file-size limit the template fails with a message, instead of the
// signal ending the run; the templates after it are still expanded.
TEST(Confinement, AFileSizeLimitFailsOneTemplateNotTheRun) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/a.pre", std::string(64 * 1024, 'a') + "\n");
    dir.write("tree/b.pre", "$HOST\n");
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 16 * 1024;
    // The signal as a fresh shell leaves it: its default ends the process.
    const auto savedHandler = std::signal(SIGXFSZ, SIG_DFL);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const toolResult result = runIn(dir, {"tree", "subs"});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "Failed to process \"tree/a.pre\" correctly\n");
    EXPECT_EQ(dir.read("tree/b"), "alpha\n");
}

// A thread swaps a directory of the tree with a link to a directory outside
// it, over and over, while runs go on: whatever a run meets, a directory or
// the link, nothing outside is written or created.
TEST(Confinement, ALinkSwappedInDuringRunsLeadsNoWriteOutOfTheTree) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/sub/victim.pre", "the attacker's text\n");
    dir.write("tree/sub/deep/victim.pre", "the attacker's text\n");
    dir.write("outside/victim", "precious\n");
    dir.write("outside/deep/victim", "precious\n");
    fs::create_directory_symlink(dir.path() / "outside", dir.path() / "tree/swap");
    const std::vector<std::string> before = contentsOf(dir.path() / "outside");
    std::atomic<bool> running{true};
    std::atomic<int> swaps{0};
    std::thread swapper([&] {
        const std::string one = dir.at("tree/sub");
        const std::string other = dir.at("tree/swap");
        while (running) {
            if (::renameat2(AT_FDCWD, one.c_str(), AT_FDCWD, other.c_str(), RENAME_EXCHANGE) == 0) {
                ++swaps;
            }
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int runs = 0;
    for (; runs < 60 && std::chrono::steady_clock::now() < deadline; ++runs) {
        runIn(dir, {"tree", "subs", runs % 2 == 0 ? "--atomic" : "--strict"});
    }
    running = false;
    swapper.join();
    EXPECT_GT(swaps, runs);
    EXPECT_EQ(contentsOf(dir.path() / "outside"), before);
}
#endif

}  // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "events/text.h"
#include "support/repeated_text.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// Whole runs with --atomic: an output is the old text or the new one, never
// a mix, and an unchanged output is not touched.
namespace {

const std::string temporaryMark = ".fillwright-tmp-";

struct atomicTree {
    atomicTree() { dir.write("subs", ""); }

    toolResult run(const std::string& value = "one", bool atomic = true) const {
        std::vector<std::string> arguments = {"tree", "subs", "-FQDN=alpha.example.org",
                                              "-V=" + value};
        if (atomic) {
            arguments.push_back("--atomic");
        }
        return runTool(arguments, dir.path());
    }

    // Names in the tree that hold the temporary files' mark.
    std::vector<std::string> temporaryFiles() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path() / "tree")) {
            const std::string name = entry.path().filename().string();
            if (name.find(temporaryMark) != std::string::npos) {
                found.push_back(name);
            }
        }
        return found;
    }

    scratchDir dir;
};

// Some 48 MB of output with the value on every line (10 MB under Wine,
// where a process starts slowly enough for two runs to overlap anyway).
#ifdef _WIN32
constexpr std::size_t largeLines = 200000;
#else
constexpr std::size_t largeLines = 1000000;
#endif
const std::string largePiece = " and some more text to make the line longer\n";

std::string largeTemplate() {
    return repeated("$V" + largePiece, largeLines);
}

std::string largeOutput(const std::string& value) {
    return withNativeLineEnds(repeated(value + largePiece, largeLines));
}

// Outputs within one piece of the comparison and beyond it, whose new texts
// differ from the old ones only in their last line.
TEST(AtomicWrites, UnchangedOutputIsNotTouched) {
    atomicTree tree;
    const std::string body = repeated("a line of text that stays the same\n", 30000);
    const std::vector<std::string> names = {"tree/small", "tree/large"};
    tree.dir.write("tree/small.pre", "value\n$V\n");
    tree.dir.write("tree/large.pre", body + "$V\n");
    ASSERT_EQ(tree.run().standardError, "");
    struct stamp {
        fs::file_time_type written;
        std::uint64_t file = 0;  // the inode where there is one
    };
    const auto stampOf = [&](const std::string& name) {
        stamp result{fs::last_write_time(tree.dir.path() / name)};
#ifndef _WIN32
        struct stat status {};
        if (::stat(tree.dir.at(name).c_str(), &status) == 0) {
            result.file = status.st_ino;
        }
#endif
        return result;
    };
    std::vector<stamp> before;
    for (const std::string& name : names) {
        // Set well in the past, so that any write shows.
        fs::last_write_time(tree.dir.path() / name,
                            fs::last_write_time(tree.dir.path() / name) - std::chrono::hours(48));
        before.push_back(stampOf(name));
    }
    EXPECT_EQ(tree.run().standardError, "");
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(stampOf(names[i]).written, before[i].written) << names[i];
        EXPECT_EQ(stampOf(names[i]).file, before[i].file) << names[i];
    }
    EXPECT_EQ(tree.run("two").standardError, "");
    EXPECT_EQ(tree.dir.read("tree/small"), withNativeLineEnds("value\ntwo\n"));
    EXPECT_TRUE(readBytes(tree.dir.path() / "tree/large") == withNativeLineEnds(body + "two\n"));
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_NE(stampOf(names[i]).written, before[i].written) << names[i];
    }
    EXPECT_EQ(tree.temporaryFiles(), std::vector<std::string>{});
}

// Whatever fails, the old output stays whole and no temporary file is left.
TEST(AtomicWrites, RefusalsAndFailuresKeepTheOldOutput) {
    atomicTree tree;
    tree.dir.write("tree/dir.pre", "$V\n");
    tree.dir.write("tree/dir/inside", "kept\n");
    std::string expected = "Not writing \"tree/dir\": it is not a regular file\n";
#ifndef _WIN32
    tree.dir.write("tree/linked.pre", "$V\n");
    tree.dir.write("target", "target\n");
    fs::create_symlink("../target", tree.dir.path() / "tree/linked");
    tree.dir.write("tree/piped.pre", "$V\n");
    ASSERT_EQ(::mkfifo(tree.dir.at("tree/piped").c_str(), 0644), 0);
    // Reading /proc/self/mem at its start fails: a read error in an include.
    tree.dir.write("tree/broken.pre", "a\n>>include mem\nb\n");
    tree.dir.write("tree/broken", "earlier\n");
    fs::create_symlink("/proc/self/mem", tree.dir.path() / "tree/mem");
    expected +=
        "Not writing \"tree/linked\": it is a symbolic link\n"
        "Not writing \"tree/piped\": it is not a regular file\n"
        "read failed\n"
        "Failed to process include file \"tree/mem\" correctly\n"
        "Failed to process \"tree/broken.pre\" correctly\n";
#endif
    const toolResult result = tree.run();
    // The walk's order is the directory's; the messages are compared as a set.
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = result.standardError.find('\n', at)) != std::string::npos;
         at = end + 1) {
        lines.push_back(result.standardError.substr(at, end - at + 1));
    }
    for (const std::string& line : lines) {
        EXPECT_NE(expected.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(result.standardError.size(), expected.size()) << result.standardError;
    EXPECT_EQ(tree.dir.read("tree/dir/inside"), "kept\n");
#ifndef _WIN32
    EXPECT_EQ(tree.dir.read("target"), "target\n");
    EXPECT_TRUE(fs::is_symlink(tree.dir.path() / "tree/linked"));
    EXPECT_EQ(tree.dir.read("tree/broken"), "earlier\n");
#endif
    EXPECT_EQ(tree.temporaryFiles(), std::vector<std::string>{});
}

// Only regular files of the exact pattern go, and only with --atomic.
TEST(AtomicWrites, LeftoversOfInterruptedRunsAreRemoved) {
    atomicTree tree;
    const std::string leftover = "tree/sub/.a" + temporaryMark + "0123456789abcdef";
    const std::vector<std::string> others = {
        "tree/sub/.a" + temporaryMark + "FEDCBA9876543210",
        "tree/sub/a" + temporaryMark + "0123456789abcdef",
        "tree/sub/.a" + temporaryMark + "0123456789abcde",
        "tree/sub/.a" + temporaryMark + "0123456789abcdef.txt",
    };
    tree.dir.write(leftover, "partial");
    for (const std::string& name : others) {
        tree.dir.write(name, "someone's file");
    }
    tree.dir.makeDirectory("tree/.d" + temporaryMark + "0123456789abcdef");
#ifndef _WIN32
    tree.dir.write("precious", "precious");
    fs::create_symlink("../../precious",
                       tree.dir.path() / ("tree/sub/.l" + temporaryMark + "0123456789abcdef"));
#endif
    EXPECT_EQ(tree.run("one", false).standardError, "");
    EXPECT_TRUE(tree.dir.exists(leftover)) << "removed without --atomic";
    EXPECT_EQ(tree.run().standardError, "");
    EXPECT_FALSE(tree.dir.exists(leftover));
    for (const std::string& name : others) {
        EXPECT_EQ(tree.dir.read(name), "someone's file") << name;
    }
    EXPECT_TRUE(
        fs::is_directory(tree.dir.path() / ("tree/.d" + temporaryMark + "0123456789abcdef")));
#ifndef _WIN32
    EXPECT_TRUE(
        fs::is_symlink(tree.dir.path() / ("tree/sub/.l" + temporaryMark + "0123456789abcdef")));
    EXPECT_EQ(tree.dir.read("precious"), "precious");
#endif
}

TEST(AtomicWrites, ConcurrentRunsLeaveOneRunsTextWhole) {
    atomicTree tree;
    tree.dir.write("tree/big.pre", largeTemplate());
    tree.dir.write("tree/small.pre", "$V\n");
    const std::string first = largeOutput("first");
    const std::string second = largeOutput("second");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        toolResult results[2];
        std::thread other([&] { results[1] = tree.run("second"); });
        results[0] = tree.run("first");
        other.join();
        for (const toolResult& result : results) {
            EXPECT_EQ(result.exitStatus, 0);
            EXPECT_EQ(result.standardError, "");
        }
        const std::string big = readBytes(tree.dir.path() / "tree/big");
        EXPECT_TRUE(big == first || big == second) << big.size() << " bytes";
        const std::string small = tree.dir.read("tree/small");
        EXPECT_TRUE(small == withNativeLineEnds("first\n") ||
                    small == withNativeLineEnds("second\n"))
            << small;
        EXPECT_EQ(tree.temporaryFiles(), std::vector<std::string>{});
    }
}

#ifndef _WIN32
mode_t modeOf(const fs::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// A new output takes its template's permission bits (as a new file, under
// the umask, and never the set-ID bits); a replaced one keeps its own.
TEST(AtomicWrites, ModesOfNewAndReplacedOutputs) {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct modeCase {
        mode_t templateMode;
        mode_t outputMode;  // 0: no output before the run
        mode_t expected;
    };
    const modeCase cases[] = {
        {0755, 0, 0755 & ~mask}, {0640, 0, 0640 & ~mask}, {04755, 0, 0755 & ~mask},
        {0755, 0600, 0600},      {0600, 0751, 0751},      {0644, 02755, 02755},
    };
    for (const modeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.templateMode) + " " + std::to_string(c.outputMode));
        atomicTree tree;
        tree.dir.write("tree/a.pre", "$V\n");
        ::chmod(tree.dir.at("tree/a.pre").c_str(), c.templateMode);
        if (c.outputMode != 0) {
            tree.dir.write("tree/a", "earlier\n");
            ::chmod(tree.dir.at("tree/a").c_str(), c.outputMode);
        }
        EXPECT_EQ(tree.run().standardError, "");
        EXPECT_EQ(tree.dir.read("tree/a"), "one\n");
        EXPECT_EQ(modeOf(tree.dir.path() / "tree/a"), c.expected);
    }
}

TEST(AtomicWrites, ReplacedOutputKeepsItsOwnerWhereAllowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to another account";
    }
    atomicTree tree;
    tree.dir.write("tree/a.pre", "$V\n");
    tree.dir.write("tree/a", "earlier\n");
    ASSERT_EQ(::chown(tree.dir.at("tree/a").c_str(), 65534, 65534), 0);
    EXPECT_EQ(tree.run().standardError, "");
    struct stat status {};
    ASSERT_EQ(::stat(tree.dir.at("tree/a").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
    EXPECT_EQ(tree.dir.read("tree/a"), "one\n");
}

// Starts the tool without waiting for it; its messages go to the file errors.
pid_t startTool(const std::string& value, const fs::path& workingDirectory,
                const std::string& errors) {
    const std::string program = toolPath().string();
    const std::vector<std::string> arguments = {
        program, "tree", "subs", "-FQDN=alpha.example.org", "-V=" + value, "--atomic"};
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err < 0 || ::dup2(err, 2) < 0 || ::chdir(workingDirectory.c_str()) != 0) {
            _exit(127);
        }
        ::execv(program.c_str(), argv.data());
        _exit(127);
    }
    return child;
}

TEST(AtomicWrites, KilledRunLeavesTheOldOrTheNewOutput) {
    atomicTree tree;
    tree.dir.write("tree/big.pre", largeTemplate());
    tree.dir.write("tree/big", "the old output\n");
    const std::string newText = largeOutput("one");
    for (int milliseconds : {0, 5, 20, 50, 100, 200, 400}) {
        SCOPED_TRACE(milliseconds);
        const pid_t child = startTool("one", tree.dir.path(), tree.dir.at("errors"));
        ASSERT_GT(child, 0);
        ::usleep(static_cast<useconds_t>(milliseconds * 1000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string output = readBytes(tree.dir.path() / "tree/big");
        EXPECT_TRUE(output == "the old output\n" || output == newText) << output.size() << " bytes";
        tree.dir.write("tree/big", "the old output\n");
    }
    // The next run cleans up what the killed ones left.
    EXPECT_EQ(tree.run().standardError, "");
    EXPECT_TRUE(readBytes(tree.dir.path() / "tree/big") == newText);
    EXPECT_EQ(tree.temporaryFiles(), std::vector<std::string>{});
}

#endif

}  // namespace

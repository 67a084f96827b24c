#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "events/text.h"
#include "support/repeated_text.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// What an administrator meets on a small tree: no typo turns into a run, no
// quiet failure escapes --strict, an unchanged output is left alone, and a
// run says what it changed.
namespace {

const std::vector<std::string> fixedMachine = {"-FQDN=alpha.example.org", "-IPaddr=192.0.2.10"};

struct smallTree {
    smallTree() {
        dir.write("subs", "DB_PASSWORD=hunter2\nA=from file\n");
        dir.write("tree/app.env.pre", "PASSWORD=$(DB_PASSWORD)\n");
        dir.write("tree/app.env", "earlier\n");
    }

    toolResult run(std::vector<std::string> arguments, const std::string& input = "") const {
        arguments.insert(arguments.end(), fixedMachine.begin(), fixedMachine.end());
        return runTool(arguments, dir.path(), input);
    }
    bool untouched() const { return dir.read("tree/app.env") == "earlier\n"; }

    scratchDir dir;
};

// A mistyped option reads and writes nothing; nor does a word meant for a
// tool option after a keyword option.
TEST(NoSurprises, MistypedOptionsAreRefused) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* errors;
    } cases[] = {
        {{"tree", "subs", "-q", "--check"}, -1, "Keyword -q has no value\n"},
        {{"tree", "subs", "--chek"}, 2, "Unknown option \"--chek\"; see fillwright --help\n"},
        {{"--chek", "x", "tree", "subs"}, 2, "Unknown option \"--chek\"; see fillwright --help\n"},
        {{"--strcit"}, 2, "Unknown option \"--strcit\"; see fillwright --help\n"},
        {{"tree", "subs", "--env="}, 2, "Option --env= needs a prefix, as in --env=APP_\n"},
    };
    for (const auto& c : cases) {
        smallTree tree;
        const toolResult result = runTool(c.arguments, tree.dir.path());
        const std::string label = c.arguments.back();
        EXPECT_EQ(result.exitStatus, c.status == -1 ? optionFailureStatus() : c.status) << label;
        EXPECT_EQ(result.standardError, c.errors) << label;
        EXPECT_TRUE(tree.untouched()) << label;
    }
}

// Everything a default run passes over in silence is a message under
// --strict, so that the status says so.
TEST(NoSurprises, StrictReportsEveryQuietFailure) {
    const struct {
        std::vector<std::string> arguments;
        std::string errors;
    } cases[] = {
        {{"tree", "missing"},
         "Cannot open substitutions file \"missing\"\n"
         "No keyword for \"$(DB_PASSWORD)\" in \"tree/app.env.pre\" line 1\n"},
        {{"nothere", "subs"}, "Starting directory \"nothere\" does not exist\n"},
        {{"subs", "tree"},
         "Cannot open substitutions file \"tree\"\nStarting directory \"subs\" is not a "
         "directory\n"},
        {{"tree", "subs", "F", "extra", "more"},
         "Extra argument \"extra\" ignored\nExtra argument \"more\" ignored\n"},
        {{"tree", "subs", "-a=option"},
         "Option \"a\" is replaced by substitutions file \"subs\" line 2\n"},
    };
    for (const auto& c : cases) {
        for (const bool strict : {false, true}) {
            smallTree tree;
            std::vector<std::string> arguments = c.arguments;
            if (strict) {
                arguments.push_back("--strict");
            }
            const toolResult result = tree.run(arguments);
            const std::string label = c.arguments[0] + " " + c.arguments[1];
            EXPECT_EQ(result.exitStatus, strict ? 2 : 0) << label;
            EXPECT_EQ(result.standardError, strict ? c.errors : "") << label;
        }
    }
}

// --strict --atomic: a template that drew a message keeps its old output;
// --check says so too, and no verdict line says otherwise.
TEST(NoSurprises, ABrokenConfigNeverGoesLiveUnderStrictAtomic) {
    const std::vector<std::string> cases[] = {{}, {"--atomic"}, {"--atomic", "--check"}};
    for (const std::vector<std::string>& options : cases) {
        smallTree tree;
        tree.dir.write("tree/app.env.pre", "LEVEL=$(LOG_LEVL)\n");
        std::vector<std::string> arguments = {"tree", "subs", "--strict"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const toolResult result = tree.run(arguments);
        const bool kept = !options.empty();
        EXPECT_EQ(result.exitStatus, 2);
        std::string errors = "No keyword for \"$(LOG_LEVL)\" in \"tree/app.env.pre\" line 1\n";
        if (kept) {
            errors +=
                "Not writing \"tree/app.env\": \"tree/app.env.pre\" drew messages, so the "
                "old output stays as it was\n";
        }
        EXPECT_EQ(result.standardError, errors);
        EXPECT_EQ(result.standardOutput, "");
        EXPECT_EQ(tree.untouched(), kept);
    }
}

// An output whose text is the same is not written, in either mode: its
// modification time and its file stay; a changed one is written.
TEST(NoSurprises, UnchangedOutputsAreLeftAlone) {
    for (const char* mode : {"--verbose", "--atomic"}) {
        SCOPED_TRACE(mode);
        smallTree tree;
        const std::string body = repeated("a line of text that stays the same\n", 30000);
        tree.dir.write("tree/large.pre", body + "$(A)\n");
        const std::vector<std::string> names = {"tree/app.env", "tree/large"};
        ASSERT_EQ(tree.run({"tree", "subs", mode}).standardError, "");
        std::map<std::string, fs::file_time_type> before;
        std::map<std::string, std::uint64_t> files;
        for (const std::string& name : names) {
            // Set well in the past, so that any write shows.
            fs::last_write_time(
                tree.dir.path() / name,
                fs::last_write_time(tree.dir.path() / name) - std::chrono::hours(48));
            before[name] = fs::last_write_time(tree.dir.path() / name);
#ifndef _WIN32
            struct stat status {};
            ::stat(tree.dir.at(name).c_str(), &status);
            files[name] = status.st_ino;
#endif
        }
        EXPECT_EQ(tree.run({"tree", "subs", mode}).standardError, "");
        for (const std::string& name : names) {
            EXPECT_EQ(fs::last_write_time(tree.dir.path() / name), before[name]) << name;
#ifndef _WIN32
            struct stat status {};
            ::stat(tree.dir.at(name).c_str(), &status);
            EXPECT_EQ(status.st_ino, files[name]) << name;
#endif
        }
        tree.dir.write("subs", "DB_PASSWORD=hunter2\nA=changed\n");
        EXPECT_EQ(tree.run({"tree", "subs", mode}).standardError, "");
        EXPECT_TRUE(tree.dir.read("tree/large") == withNativeLineEnds(body + "changed\n"));
        EXPECT_NE(fs::last_write_time(tree.dir.path() / "tree/large"), before["tree/large"]);
        EXPECT_EQ(fs::last_write_time(tree.dir.path() / "tree/app.env"), before["tree/app.env"]);
    }
}

// A real run with --verbose says what it did to each output, as --check
// says what it would do.
TEST(NoSurprises, VerboseRunsSayWhatTheyChanged) {
    smallTree tree;
    tree.dir.write("tree/new.pre", "$(HOST)\n");
    tree.dir.write("tree/same.pre", "same\n");
    tree.dir.write("tree/same", withNativeLineEnds("same\n"));
    const std::string verdicts = "changed tree/app.env\ncreated tree/new\nunchanged tree/same\n";
    EXPECT_EQ(tree.run({"tree", "subs", "--check"}).standardOutput, verdicts);
    EXPECT_EQ(tree.run({"tree", "subs", "--verbose"}).standardOutput, verdicts);
    EXPECT_EQ(tree.run({"tree", "subs", "--verbose", "--atomic"}).standardOutput,
              "unchanged tree/app.env\nunchanged tree/new\nunchanged tree/same\n");
    EXPECT_EQ(tree.run({"tree", "subs"}).standardOutput, "");
}

// "-" is standard input; a file of that name is still reached as "./-".
TEST(NoSurprises, DashIsStandardInput) {
    smallTree tree;
    tree.dir.write("-", "DB_PASSWORD=from a file\n");
    EXPECT_EQ(tree.run({"tree", "-"}, "DB_PASSWORD=piped\n").standardError, "");
    EXPECT_EQ(tree.dir.read("tree/app.env"), withNativeLineEnds("PASSWORD=piped\n"));
    EXPECT_EQ(tree.run({"tree", "./-"}, "DB_PASSWORD=piped\n").standardError, "");
    EXPECT_EQ(tree.dir.read("tree/app.env"), withNativeLineEnds("PASSWORD=from a file\n"));
}

// --check and --diff say what the real run does: an include through a link
// to an output made earlier in the run reads its new text, and the line
// limit of a diff counts a last line without a line feed.
TEST(NoSurprises, PreviewsMatchTheRun) {
    smallTree tree;
    tree.dir.write("large/big.pre", "short\n");
    tree.dir.write("large/big", repeated("line\n", 20000) + "last line without a line feed");
    const toolResult diff = tree.run({"large", "subs", "--diff"});
    EXPECT_EQ(diff.standardOutput,
              "changed large/big\nOutput large/big differs; too large to show (over 4194304 "
              "bytes or 20000 lines)\n");
#ifndef _WIN32
    tree.dir.write("t/a.pre", "alpha\n");
    fs::create_symlink("a", tree.dir.path() / "t/lnk");
    tree.dir.write("t/b.pre", ">>include lnk\n");
    const toolResult check = tree.run({"t", "subs", "--diff"});
    EXPECT_EQ(check.standardError, "");
    EXPECT_EQ(check.exitStatus, 1);
    EXPECT_EQ(check.standardOutput,
              "created t/a\n--- t/a\n+++ t/a\n@@ -0,0 +1,1 @@\n+alpha\n"
              "created t/b\n--- t/b\n+++ t/b\n@@ -0,0 +1,1 @@\n+alpha\n");
    const toolResult real = tree.run({"t", "subs"});
    EXPECT_EQ(real.standardError, "");
    EXPECT_EQ(tree.dir.read("t/b"), "alpha\n");
#endif
}

#ifndef _WIN32
// A second run waits for the first, and says so after a second; a run that
// only looks does not wait for another that only looks. No lock file is made.
TEST(NoSurprises, OneRunPerTreeAtATime) {
    smallTree tree;
    const int held = ::open(tree.dir.at("tree").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_SH), 0);
    EXPECT_EQ(tree.run({"tree", "subs", "--check"}).standardError, "");
    toolResult waited;
    std::thread second([&] { waited = tree.run({"tree", "subs"}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(tree.untouched()) << "written while another run held the tree";
    ::flock(held, LOCK_UN);
    second.join();
    ::close(held);
    EXPECT_EQ(waited.standardError, "Waiting for another run over \"tree\" to finish\n");
    EXPECT_EQ(waited.exitStatus, 0);
    EXPECT_EQ(tree.dir.read("tree/app.env"), "PASSWORD=hunter2\n");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(tree.dir.path() / "tree")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"app.env", "app.env.pre"}));
}
#endif

}  // namespace

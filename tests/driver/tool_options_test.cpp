#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "driver/command_line.h"
#include "driver/verbose_reports.h"
#include "events/shown_text.h"
#include "support/run_tool.h"
#include "support/scratch_dir.h"
#include "support/test_log.h"

namespace {

const std::vector<std::string> fixedMachine = {"-FQDN=alpha.example.org", "-IPaddr=192.0.2.10"};

toolResult runIn(const scratchDir& dir, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), fixedMachine.begin(), fixedMachine.end());
    return runTool(arguments, dir.path());
}

// Every regular file under the tree with its bytes.
std::map<std::string, std::string> snapshot(const scratchDir& dir, const std::string& tree) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / tree)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(dir.path()).generic_string()] =
                readBytes(entry.path());
        }
    }
    return files;
}

struct parseCase {
    std::vector<std::string> arguments;
    parseOutcome outcome;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool check;
    bool strict;
    bool atomic;
};

// Tool options are tool options wherever they stand, even after -keyword;
// an argument that looks like one and is none is refused, so that a typo
// cannot turn a dry run into a real one.
TEST(ToolOptions, AreToolOptionsWhereverTheyStand) {
    const parseCase cases[] = {
        {{"--check", "d", "s"}, parseOutcome::parsed, {"d", "s"}, {}, true, false, false},
        {{"d", "--strict", "s", "--check"},
         parseOutcome::parsed,
         {"d", "s"},
         {},
         true,
         true,
         false},
        {{"d", "s", "--atomic"}, parseOutcome::parsed, {"d", "s"}, {}, false, false, true},
        {{"-k", "--check", "d", "s"},
         parseOutcome::optionWithoutValue,
         {},
         {},
         false,
         false,
         false},
        {{"d", "s", "-q", "--check"},
         parseOutcome::optionWithoutValue,
         {"d", "s"},
         {},
         false,
         false,
         false},
        {{"-k", "--env=X", "d", "s"},
         parseOutcome::optionWithoutValue,
         {},
         {},
         false,
         false,
         false},
        {{"--zzz=1", "-k", "--atomic=1", "x", "d", "s"},
         parseOutcome::parsed,
         {"x", "d", "s"},
         {{"-zzz", "1"}, {"k", "--atomic=1"}},
         false,
         false,
         false},
        {{"d", "s", "--chek"}, parseOutcome::unknownOption, {}, {}, false, false, false},
        {{"-k", "--chek", "d", "s"}, parseOutcome::unknownOption, {}, {}, false, false, false},
        {{"--check", "---check", "d", "s"},
         parseOutcome::unknownOption,
         {},
         {},
         false,
         false,
         false},
        {{"--ATOMIC", "d", "s"}, parseOutcome::unknownOption, {}, {}, false, false, false},
        {{"--", "d", "s"}, parseOutcome::unknownOption, {}, {}, false, false, false},
    };
    for (const parseCase& c : cases) {
        std::vector<const char*> argv{"fillwright"};
        for (const std::string& argument : c.arguments) {
            argv.push_back(argument.c_str());
        }
        commandLine parsed;
        testLog record;
        const std::string label = c.arguments[0] + " " + c.arguments[1];
        EXPECT_EQ(parseArguments(static_cast<int>(argv.size()), argv.data(), parsed, record.log),
                  c.outcome)
            << label;
        EXPECT_EQ(parsed.positional, c.positional) << label;
        std::map<std::string, std::string> options(parsed.options.all().begin(),
                                                   parsed.options.all().end());
        EXPECT_EQ(options, c.options) << label;
        EXPECT_EQ(parsed.tools.check, c.check) << label;
        EXPECT_EQ(parsed.tools.strict, c.strict) << label;
        EXPECT_EQ(parsed.tools.atomic, c.atomic) << label;
    }
}

struct statusCase {
    std::vector<std::string> arguments;
    int status;
    bool writesOutputs;
};

// The tree's one template would change its output; "x" as third argument
// draws a message.
TEST(ToolOptions, ExitStatuses) {
    const statusCase cases[] = {
        {{"tree", "subs"}, 0, true},
        {{"tree", "subs", "x"}, 0, true},
        {{"tree", "subs", "--help"}, 0, false},
        {{"--version"}, 0, false},
        {{"tree", "subs", "--check"}, 1, false},
        {{"tree", "subs", "--diff"}, 1, false},
        {{"tree", "subs", "x", "--check"}, 2, false},
        {{"tree", "--check"}, 2, false},
        {{"tree", "subs", "--strict"}, 0, true},
        {{"tree", "subs", "x", "--strict"}, 2, true},
        {{"tree", "subs", "--explain", "x"}, 0, true},
        {{"tree", "subs", "--verbose", "x"}, 0, true},
        {{"tree", "subs", "--check", "-H"}, -1, false},
    };
    for (const statusCase& c : cases) {
        scratchDir dir;
        dir.write("subs", "");
        dir.write("tree/a.pre", "$(FQDN)\n");
        dir.write("tree/a", "old\n");
        const toolResult result = runIn(dir, c.arguments);
        const std::string label = c.arguments.back();
        EXPECT_EQ(result.exitStatus, c.status == -1 ? optionFailureStatus() : c.status) << label;
        EXPECT_EQ(dir.read("tree/a") != "old\n", c.writesOutputs) << label;
    }
}

TEST(ToolOptions, HelpAndVersion) {
    scratchDir dir;
    const toolResult help = runTool({"--help"}, dir.path());
    for (const char* option : {"--check", "--diff", "--strict", "--explain", "--verbose",
                               "--version", "-keyword=value", "F|H|I", "fillwright(1)"}) {
        EXPECT_NE(help.standardOutput.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(help.standardError, "");
    const toolResult version = runTool({"--version"}, dir.path());
    EXPECT_EQ(version.standardOutput, "fillwright 0.1.0\n");
    EXPECT_EQ(version.exitStatus, 0);
}

// A template that includes an earlier output, and an output that is itself a
// template, read the new text under --check as in a real run; whatever the
// order of the walk, each line says what the real run does to that output.
TEST(Check, ReportsWhatARealRunDoesAndWritesNothing) {
    scratchDir dir;
    dir.write("subs", "");
    for (const std::string tree : {"checked", "written"}) {
        dir.write(tree + "/new.pre", "$(HOST)\n");
        dir.write(tree + "/same.pre", "same\n");
        dir.write(tree + "/same", withNativeLineEnds("same\n"));
        dir.write(tree + "/base.pre", "new base\n");
        dir.write(tree + "/base", withNativeLineEnds("old base\n"));
        dir.write(tree + "/user.pre", ">>include base\n");
        dir.write(tree + "/user", withNativeLineEnds("new base\n"));
        dir.write(tree + "/twice.pre.pre", "$(FQDN)\n");
        dir.write(tree + "/twice.pre", "$(HOST)\n");
        dir.write(tree + "/twice", withNativeLineEnds("alpha\n"));
    }
    const auto before = snapshot(dir, "written");
    const auto checkedBefore = snapshot(dir, "checked");
    const toolResult check = runIn(dir, {"checked", "subs", "--check"});
    EXPECT_EQ(snapshot(dir, "checked"), checkedBefore);
    EXPECT_EQ(check.standardError, "");
    runIn(dir, {"written", "subs"});
    const auto after = snapshot(dir, "written");

    std::istringstream lines(check.standardOutput);
    std::string kind;
    std::string output;
    std::size_t count = 0;
    bool anyChange = false;
    while (lines >> kind >> output) {
        ++count;
        const std::string name = "written/" + output.substr(output.find('/') + 1);
        const auto old = before.find(name);
        const std::string expected = old == before.end()             ? "created"
                                     : old->second == after.at(name) ? "unchanged"
                                                                     : "changed";
        EXPECT_EQ(kind, expected) << output;
        anyChange = anyChange || expected != "unchanged";
    }
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(check.exitStatus, anyChange ? 1 : 0);
}

struct diffCase {
    std::string oldText;  // "" for no output yet
    std::string template_;
    std::string diff;
};

TEST(Diff, ShowsAUnifiedDiffOrSaysWhyNot) {
    const std::string big(5 << 20, 'x');
    const diffCase cases[] = {
        {"", "one\ntwo\n", "created tree/a\n--- tree/a\n+++ tree/a\n@@ -0,0 +1,2 @@\n+one\n+two\n"},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n", "1\n2\n3\n4\nfive\n6\n7\n8\n9\n",
         "changed tree/a\n--- tree/a\n+++ tree/a\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n "
         "7\n 8\n"},
        {"same", "same\n",
         "changed tree/a\n--- tree/a\n+++ tree/a\n@@ -1,1 +1,1 @@\n-same\n"
         "\\ No newline at end of file\n+same\n"},
        {"same\n", "same\n", "unchanged tree/a\n"},
        {std::string("a\0b\n", 4), "ab\n", "changed tree/a\nOutput tree/a differs; not text\n"},
        {big, "small\n",
         "changed tree/a\nOutput tree/a differs; too large to show (over 4194304 bytes or "
         "20000 lines)\n"},
    };
    for (const diffCase& c : cases) {
        scratchDir dir;
        dir.write("subs", "");
        dir.write("tree/a.pre", c.template_);
        if (!c.oldText.empty()) {
            dir.write("tree/a", withNativeLineEnds(c.oldText));
        }
        const toolResult result = runIn(dir, {"tree", "subs", "--diff"});
        EXPECT_EQ(result.standardOutput, c.diff) << c.template_;
        EXPECT_EQ(result.standardError, "") << c.template_;
        EXPECT_EQ(dir.exists("tree/a"), !c.oldText.empty()) << c.template_;
    }
}

// A link planted as an output must not show the text of the file it leads to.
TEST(Diff, DoesNotShowWhatALinkedOutputLeadsTo) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("secret", "password\n");
    dir.write("tree/a.pre", "new\n");
    std::error_code failed;
    std::filesystem::create_symlink(dir.path() / "secret", dir.path() / "tree/a", failed);
    if (failed) {
        GTEST_SKIP() << "no symbolic links here";
    }
    const toolResult result = runIn(dir, {"tree", "subs", "--diff"});
    // Refused as a real run refuses it, and nothing of the secret is shown.
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(result.standardError, "Not writing \"tree/a\": it is a symbolic link\n");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(dir.read("secret"), "password\n");
}

TEST(Strict, ReportsMissesAndStillWrites) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/a.pre", "$HOME $(HOST)\n>>include inc\n$(HOTS)\n");
    dir.write("tree/inc", "\n>>X=$(NOPE)\n");
    const toolResult result = runIn(dir, {"--strict", "tree", "subs"});
    EXPECT_EQ(result.standardError,
              "No keyword for \"$(NOPE)\" in \"tree/inc\" line 2 (included from \"tree/a.pre\")\n"
              "No keyword for \"$(HOTS)\" in \"tree/a.pre\" line 3\n");
    EXPECT_EQ(dir.read("tree/a"), withNativeLineEnds("$HOME alpha\n\n$(HOTS)\n"));
    EXPECT_EQ(result.exitStatus, 2);
}

TEST(Explain, ListsEachKeywordWithItsSource) {
    scratchDir dir;
    dir.write("subs", "# comment\nfrom=file\nOPT=file wins\nbad line\nctl=a\x01z\n");
    dir.write("tree/a.pre", "x\n>>late=$(from)!\n");
    const toolResult result =
        runTool({"tree", "subs", "--explain", "-opt=x", "-mine=1"}, dir.path());
    const std::string& out = result.standardOutput;
    for (const std::string line :
         {"from=file\tsubstitutions file subs line 2",
          "opt=file wins\tsubstitutions file subs line 3, replacing option",
          "ctl=\"a\\001z\"\tsubstitutions file subs line 5", "mine=1\toption",
          "HTTP_PORT=80\tbuilt-in", "late=file!\tdirective in tree/a.pre line 2"}) {
        EXPECT_NE(out.find(line + "\n"), std::string::npos) << line;
    }
    EXPECT_NE(out.find("\thost name"), std::string::npos);
    EXPECT_EQ(dir.read("tree/a"), withNativeLineEnds("x\n"));
}

TEST(Verbose, PrintsEveryReportWithoutCountingIt) {
    testLog record;
    {
        const verboseReports reports(record.log);
        { commonEvent report(7, domainNetworking, Warning, timeOutExpired, "lookup", "ctx"); }
        EXPECT_EQ(record.log.messageCount(), 0u);
        record.log.message("a message");
        EXPECT_EQ(record.log.messageCount(), 1u);
    }
    EXPECT_EQ(record.takeErrors(),
              "Warning: networking/Time-out expired \"lookup\" | ctx\na message\n");
}

TEST(ShownText, QuotesOnlyWhatCouldBreakALine) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain text", "plain text"}, {"", ""},
        {"a\tb", "\"a\\tb\""},        {"a\nb", "\"a\\nb\""},
        {"\"q", "\"\\\"q\""},         {"x\x7f", "\"x\\177\""},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(shownText(text), shown) << text;
    }
}

}  // namespace

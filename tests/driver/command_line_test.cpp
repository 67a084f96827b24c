#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <map>

#include "support/run_tool.h"
#include "support/scratch_dir.h"
#include "support/test_log.h"

namespace {

using entries = std::map<std::string, std::string>;

struct parseCase {
    std::vector<std::string> arguments;
    bool parsed;
    std::vector<std::string> positional;
    entries options;
};

TEST(ParseArguments, SplitsPositionalArgumentsAndOptions) {
    const parseCase cases[] = {
        {{"dir", "subs"}, true, {"dir", "subs"}, {}},
        {{"dir", "subs", "-H", "x"}, true, {"dir", "subs"}, {{"H", "x"}}},
        {{"-k", "dir", "subs"}, true, {"subs"}, {{"k", "dir"}}},
        {{"-a=b=c", "dir", "subs"}, true, {"dir", "subs"}, {{"a", "b=c"}}},
        {{"-=v", "dir", "subs"}, true, {"dir", "subs"}, {{"", "v"}}},
        {{"-x=", "d=1", "s"}, true, {"d=1", "s"}, {{"x", ""}}},
        {{"-k", "-v", "d", "s"}, true, {"d", "s"}, {{"k", "-v"}}},
        {{"-host=a", "-HOST=b", "d", "s"}, true, {"d", "s"}, {{"host", "b"}}},
        {{"", "s"}, true, {"", "s"}, {}},
        {{"dir", "subs", "-H"}, false, {"dir", "subs"}, {}},
        // A lone dash is a name, standard input as the substitutions file.
        {{"dir", "-", "-k", "-"}, true, {"dir", "-"}, {{"k", "-"}}},
    };
    for (const parseCase& c : cases) {
        std::vector<const char*> argv{"fillwright"};
        for (const std::string& argument : c.arguments) {
            argv.push_back(argument.c_str());
        }
        commandLine parsed;
        testLog record;
        EXPECT_EQ(parseArguments(static_cast<int>(argv.size()), argv.data(), parsed, record.log) ==
                      parseOutcome::parsed,
                  c.parsed);
        EXPECT_EQ(parsed.positional, c.positional) << c.arguments.front();
        entries options(parsed.options.all().begin(), parsed.options.all().end());
        EXPECT_EQ(options, c.options) << c.arguments.front();
    }
}

std::string usageFor(const std::string& program) {
    return "Usage: " + program +
           " <starting dir> <file of substitutions> [-F/H/I]\n"
           "[Any options of the form -<keyword>=<value> will be added to the substitutions\n";
}

struct runCase {
    std::vector<std::string> arguments;
    bool usage;
    int status;  // 1 stands for the option-failure status
    std::string message;
};

// Runs the binary: exit statuses, usage text and the driver's own messages.
TEST(CommandLine, ExitStatusesAndMessages) {
    scratchDir dir;
    dir.makeDirectory("tree");
    dir.write("subs", "A=1\n=bad\n");
    const std::string rejected = "substitutions file line \"=bad\" rejected\n";
    const runCase cases[] = {
        {{}, true, 0, ""},
        {{"tree"}, true, 0, ""},
        {{"-x=1"}, true, 0, ""},
        {{"-k", "tree", "subs"}, true, 0, ""},
        {{"tree", "subs", "-H"}, false, 1, "Keyword -H has no value\n"},
        {{"tree", "subs"}, false, 0, rejected},
        {{"tree", "subs", "H"}, false, 0, rejected},
        {{"tree", "subs", "host"}, false, 0, rejected},
        {{"tree", "subs", "i"}, false, 0, rejected},
        {{"tree", "subs", "F", "extra", "more"}, false, 0, rejected},
        {{"tree", "subs", "x"}, false, 0, "Bad third argument \"x\"\n" + rejected},
        {{"tree", "subs", ""}, false, 0, "Bad third argument \"\"\n" + rejected},
        {{"tree", "subs", "-H", "x"}, false, 0, rejected},
        {{"tree", "missing-file"}, false, 0, ""},
        {{"tree", "subs", "--atomic"}, false, 0, rejected},
        {{"--atomic", "tree"}, true, 0, ""},
    };
    for (const runCase& c : cases) {
        // A dotted name of our own keeps the machine's name out of the messages.
        std::vector<std::string> arguments = {"-FQDN=alpha.example.org"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const toolResult result = runTool(arguments, dir.path());
        const std::string label = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(result.exitStatus, c.status == 1 ? optionFailureStatus() : 0) << label;
        EXPECT_EQ(result.standardOutput, "") << label;
        if (c.usage) {
            EXPECT_EQ(result.standardError, usageFor(toolPath().string())) << label;
        } else {
            EXPECT_EQ(result.standardError, c.message) << label;
        }
    }
}

}  // namespace

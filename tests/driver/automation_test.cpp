#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/run_tool.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

// For the programs that drive a run: values from the environment and one
// JSON document of what the run did.
namespace {

using json = nlohmann::json;

// Sets environment variables for as long as it lives; runs inherit them.
class environmentVariables {
public:
    explicit environmentVariables(const std::map<std::string, std::string>& variables) {
        for (const auto& [name, value] : variables) {
            set(name, value.c_str());
            names.push_back(name);
        }
    }
    ~environmentVariables() {
        for (const std::string& name : names) {
            set(name, nullptr);
        }
    }
    environmentVariables(const environmentVariables&) = delete;
    environmentVariables& operator=(const environmentVariables&) = delete;

private:
    static void set(const std::string& name, const char* value) {
#ifdef _WIN32
        _putenv_s(name.c_str(), value != nullptr ? value : "");
#else
        if (value != nullptr) {
            ::setenv(name.c_str(), value, 1);
        } else {
            ::unsetenv(name.c_str());
        }
#endif
    }
    std::vector<std::string> names;
};

// The report's table as keyword -> "value <- source".
std::map<std::string, std::string> tableOf(const json& report) {
    std::map<std::string, std::string> table;
    for (const json& entry : report.value("table", json::array())) {
        table[entry["keyword"]] =
            entry["value"].get<std::string>() + " <- " + entry["source"].get<std::string>();
    }
    return table;
}

// Environment variables come in as options given before the command line's
// own: options override them, the substitutions file replaces them, later
// prefixes win, and built-ins fill only what is left.
TEST(Automation, EnvironmentValuesTakeTheirPlaceAmongTheSources) {
    const environmentVariables set({{"FW_A", "env"},
                                    {"FW_B", "env"},
                                    {"FW_C", "env"},
                                    {"FW_FQDN", "beta.example.net"},
                                    {"APP_C", "later prefix"},
                                    {"FWX_D", "not the prefix"}});
    scratchDir dir;
    dir.write("subs", "B=file\n");
    dir.makeDirectory("tree");
    const toolResult result =
        runTool({"tree", "subs", "--env=FW_", "--env=APP_", "-A=option", "--explain", "--json"},
                dir.path());
    EXPECT_EQ(result.standardError, "");
    const std::map<std::string, std::string> table = tableOf(json::parse(result.standardOutput));
    const std::map<std::string, std::string> expected = {
        {"A", "option <- option"},
        {"B", "file <- substitutions file subs line 1, replacing environment FW_B"},
        {"C", "later prefix <- environment APP_C"},
        {"FQDN", "beta.example.net <- environment FW_FQDN"},
        {"HOST", "beta <- built-in"},
    };
    for (const auto& [keyword, line] : expected) {
        EXPECT_EQ(table.count(keyword) ? table.at(keyword) : "(none)", line) << keyword;
    }
    EXPECT_EQ(table.count("D") + table.count("X_D"), 0u);
}

// A prefix that would take every variable, or a variable that leaves no
// name, is refused with status 2; the first before anything is read.
TEST(Automation, EnvironmentValuesThatNameNothingAreRefused) {
    const environmentVariables set({{"FW_", "no name"}, {"FW_OK", "kept"}});
    const struct {
        const char* prefix;
        const char* errors;
        bool written;
    } cases[] = {
        {"--env=", "Option --env= needs a prefix, as in --env=APP_\n", false},
        {"--env=FW_",
         "Environment variable \"FW_\" leaves no keyword after the prefix \"FW_\"; it is "
         "skipped\n",
         true},
    };
    for (const auto& c : cases) {
        scratchDir dir;
        dir.write("subs", "");
        dir.write("tree/t.pre", "$(OK)\n");
        const toolResult result =
            runTool({"tree", "subs", c.prefix, "-FQDN=alpha.example.org"}, dir.path());
        EXPECT_EQ(result.exitStatus, 2) << c.prefix;
        EXPECT_EQ(result.standardError, c.errors);
        EXPECT_EQ(dir.exists("tree/t"), c.written) << c.prefix;
    }
}

// Each template with its output, verdict and messages (file and line), in
// real runs, checks and failures; and nothing but the report on standard
// output.
TEST(Automation, ReportsSayWhatEachRunDid) {
    const struct {
        std::vector<std::string> options;
        int status;
        std::map<std::string, std::string> verdicts;
    } cases[] = {
        {{"--json"},
         0,
         {{"tree/new", "created"},
          {"tree/old", "changed"},
          {"tree/same", "unchanged"},
          {"tree/bad", "changed"}}},
        {{"--json", "--check"},
         2,
         {{"tree/new", "created"},
          {"tree/old", "changed"},
          {"tree/same", "unchanged"},
          {"tree/bad", "changed"}}},
        {{"--json", "--strict", "--atomic"},
         2,
         {{"tree/new", "created"},
          {"tree/old", "changed"},
          {"tree/same", "unchanged"},
          {"tree/bad", "failed"}}},
    };
    for (const auto& c : cases) {
        const std::string label = c.options.back();
        scratchDir dir;
        dir.write("subs", "");
        dir.write("tree/new.pre", "$(FQDN)\n");
        dir.write("tree/old.pre", "new\n");
        dir.write("tree/old", "old\n");
        dir.write("tree/same.pre", "same\n");
        dir.write("tree/same", withNativeLineEnds("same\n"));
        dir.write("tree/bad.pre", "a\n>>include missing\n");
        dir.write("tree/bad", "earlier\n");
        std::vector<std::string> arguments = {"tree", "subs", "-FQDN=alpha.example.org"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const toolResult result = runTool(arguments, dir.path());
        const json report = json::parse(result.standardOutput);
        EXPECT_EQ(report["format"], 1) << label;
        EXPECT_EQ(report["exitStatus"], c.status) << label;
        EXPECT_EQ(result.exitStatus, c.status) << label;
        std::map<std::string, std::string> verdicts;
        for (const json& entry : report["templates"]) {
            verdicts[entry["output"]] = entry["verdict"];
            if (entry["output"] == "tree/bad") {
                const json& message = entry["messages"].at(0);
                EXPECT_EQ(message["file"], "tree/bad.pre") << label;
                EXPECT_EQ(message["line"], 2) << label;
                EXPECT_EQ(message["text"].get<std::string>().rfind("Cannot open include file", 0),
                          0u);
            }
        }
        EXPECT_EQ(verdicts, c.verdicts) << label;
        // Standard error keeps its lines.
        EXPECT_EQ(result.standardError.rfind("Cannot open include file \"tree/missing\"", 0), 0u);
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_tool.h"
#include "support/scratch_dir.h"

namespace {

// Options that make a run independent of the machine it runs on.
const std::vector<std::string> fixedMachine = {"-FQDN=alpha.example.org", "-IPaddr=192.0.2.10"};

toolResult expandTree(const scratchDir& dir, std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), fixedMachine.begin(), fixedMachine.end());
    return runTool(arguments, dir.path());
}

// The text a file should hold: lines joined with the platform's line end.
std::string lines(std::initializer_list<const char*> texts) {
    std::string joined;
    for (const char* text : texts) {
        joined += text;
        joined += nativeLineEnd();
    }
    return joined;
}

TEST(EndToEnd, WhichFilesAreTemplatesAndWhatTheirOutputsAreCalled) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/a.pre", "a $HOST\n");
    dir.write("tree/b.pre.pre", "b\n");
    dir.write("tree/c.PRE", "c\n");
    dir.write("tree/d.pref", "d\n");
    dir.write("tree/x.pre/inner.pre", "inner\n");
    dir.write("tree/.git/hooks.pre", "hook\n");
    dir.write("tree/deep/er/est.pre", "$(HTTPS_PORT)");
    const toolResult result = expandTree(dir, {"tree", "subs"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "");
    EXPECT_EQ(dir.read("tree/a"), lines({"a alpha"}));
    EXPECT_EQ(dir.read("tree/b.pre"), lines({"b"}));
    EXPECT_FALSE(dir.exists("tree/c"));
    EXPECT_EQ(dir.read("tree/x.pre/inner"), lines({"inner"}));
    EXPECT_EQ(dir.read("tree/.git/hooks"), lines({"hook"}));
    EXPECT_EQ(dir.read("tree/deep/er/est"), lines({"443"}));
    // Nothing else appeared.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / "tree")) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 12u);
}

TEST(EndToEnd, TemplateNamedOnlyPreHasNoOutputName) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/.pre", "x\n");
    const toolResult result = expandTree(dir, {"tree", "subs"});
    EXPECT_EQ(result.standardError, "Cannot open \"tree/\" for output\n");
}

TEST(EndToEnd, TrailingSeparatorOfTheStartingDirectoryIsKept) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/sub/.pre", "");
    dir.write("tree/sub/a.pre", "$(FQDN)\n");
    const toolResult result = expandTree(dir, {"tree/", "subs"});
    EXPECT_EQ(result.standardError, "Cannot open \"tree//sub/\" for output\n");
    EXPECT_EQ(dir.read("tree/sub/a"), lines({"alpha.example.org"}));
}

TEST(EndToEnd, OutputsAreReplacedNotAppendedTo) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/a.pre", "new\n");
    dir.write("tree/a", "an older and much longer output\n");
    dir.write("tree/empty.pre", "");
    dir.write("tree/empty", "old\n");
    expandTree(dir, {"tree", "subs"});
    EXPECT_EQ(dir.read("tree/a"), lines({"new"}));
    EXPECT_EQ(dir.read("tree/empty"), "");
}

TEST(EndToEnd, FourSourcesInTheirOrderOfPrecedence) {
    scratchDir dir;
    dir.write("subs", "DOMAIN=from.file\nCOLOUR=blue\n");
    dir.write("tree/t.pre",
              "$(DOMAIN) $(COLOUR) $(SIZE) $HOST $(CANONICAL) $HTTP_PORT $(ipaddr) $(STUBDN)\n");
    const toolResult result =
        runTool({"-DOMAIN=from.option", "tree", "-SIZE", "large", "subs", "h", "-http_port=8080",
                 "-fqdn=beta.test.example", "-IPaddr=192.0.2.10"},
                dir.path());
    EXPECT_EQ(result.standardError, "");
    EXPECT_EQ(dir.read("tree/t"),
              lines({"from.file blue large beta beta 8080 192.0.2.10 dc=from,dc=file"}));
}

TEST(EndToEnd, KeywordDirectivesAndIncludesAcrossDirectories) {
    scratchDir dir;
    dir.write("subs", "NAME=web\n");
    dir.write("tree/conf/site.pre",
              ">>PORT=$(HTTP_PORT)1\nlisten $PORT\n>>include ../common.inc\nend\n");
    dir.write("tree/common.inc", "server_name $(NAME).$(DOMAIN);\n");
    expandTree(dir, {"tree", "subs"});
    EXPECT_EQ(dir.read("tree/conf/site"),
              lines({"listen 801", "server_name web.example.org;", "end"}));
}

TEST(EndToEnd, CarriageReturnLineEndsInTemplatesAndSubstitutions) {
    scratchDir dir;
    dir.write("subs", "K=v\r\n");
    dir.write("tree/inc", "i\r\n");
    dir.write("tree/t.pre", ">>include inc\r\n>>X=$K\r\n[$X]\r\n");
    const toolResult result = expandTree(dir, {"tree", "subs"});
    EXPECT_EQ(result.standardError, "");
    // Windows reads and writes CR LF as line ends; POSIX copies text lines byte
    // for byte. Directives and values lose the CR on both.
    EXPECT_EQ(dir.read("tree/t"), "i\r\n[v]\r\n");
}

#ifndef _WIN32
TEST(EndToEnd, TemplateThatCannotBeOpenedLeavesItsOutputAlone) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/x", "earlier output\n");
    std::filesystem::create_symlink("nowhere", dir.path() / "tree/x.pre");
    const toolResult result = expandTree(dir, {"tree", "subs"});
    EXPECT_EQ(result.standardError, "Cannot open \"tree/x.pre\" for input\n");
    EXPECT_EQ(dir.read("tree/x"), "earlier output\n");
}

TEST(EndToEnd, LinkCyclesEndAndTheRestIsStillExpanded) {
    scratchDir dir;
    dir.write("subs", "");
    dir.write("tree/sub/a.pre", "a\n");
    std::filesystem::create_directory_symlink("..", dir.path() / "tree/sub/loop");
    const toolResult result = expandTree(dir, {"tree", "subs"});
    EXPECT_EQ(result.standardError,
              "Not entering \"tree/sub/loop\": it leads back to a directory being walked\n");
    EXPECT_EQ(dir.read("tree/sub/a"), "a\n");
}
#endif

}  // namespace

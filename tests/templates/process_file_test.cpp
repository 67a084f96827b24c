#include <gtest/gtest.h>

#include <filesystem>

#include "events/text.h"
#include "expansion_harness.h"
#include "support/run_tool.h"
#ifndef _WIN32
#include "support/file_size_limit.h"
#endif
#include "support/scratch_dir.h"

namespace {

// Runs processFile on every path and returns what it wrote to std::cerr.
std::string processFiles(testIter& iter, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        EXPECT_TRUE(iter.processFile(path, 0));
    }
    return iter.errors();
}

struct namingCase {
    std::string templateName;
    std::string outputName;  // empty: none is made
};

class templateNames : public testing::TestWithParam<namingCase> {};

TEST_P(templateNames, endInDotPreWithThatCase) {
    scratchDir dir;
    dir.write("d/" + GetParam().templateName, "x\n");
    const subsTable table;
    testIter iter(table);
    EXPECT_EQ(processFiles(iter, {dir.at("d/" + GetParam().templateName)}), "");
    std::size_t filesAfter = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(dir.path() / "d")) {
        ++filesAfter;
    }
    if (GetParam().outputName.empty()) {
        EXPECT_EQ(filesAfter, 1u);
    } else {
        EXPECT_EQ(filesAfter, 2u);
        EXPECT_EQ(dir.read("d/" + GetParam().outputName), std::string("x") + nativeLineEnd());
    }
}

INSTANTIATE_TEST_SUITE_P(files, templateNames,
                         testing::Values(namingCase{"a.pre", "a"}, namingCase{"a.pre.pre", "a.pre"},
                                         namingCase{"a.PRE", ""}, namingCase{"a.Pre", ""},
                                         namingCase{"a.pref", ""}, namingCase{"apre", ""}));

TEST(processFile, replacesAnEarlierOutputWhole) {
    scratchDir dir;
    dir.write("empty.pre", "");
    dir.write("empty", "old");
    dir.write("short.pre", "$A");
    dir.write("short", "an earlier, longer output\n");
    const subsTable table = tableOf({{"A", "v"}});
    testIter iter(table);
    EXPECT_EQ(processFiles(iter, {dir.at("empty.pre"), dir.at("short.pre")}), "");
    EXPECT_EQ(dir.read("empty"), "");
    EXPECT_EQ(dir.read("short"), std::string("v") + nativeLineEnd());
}

TEST(processFile, reportsFilesThatCannotBeOpened) {
    scratchDir dir;
    dir.write("kept", "earlier output\n");
    dir.write("d/.pre", "x\n");
    dir.write("blocked.pre", "x\n");
    dir.makeDirectory("blocked");
    const subsTable table;
    testIter iter(table);
    EXPECT_EQ(processFiles(iter, {dir.at("kept.pre"), dir.at("d/.pre"), dir.at("blocked.pre")}),
              "Cannot open " + quoted(dir.at("kept.pre")) + " for input\n" + "Cannot open " +
                  quoted(dir.at("d/")) + " for output\n" + "Cannot open " +
                  quoted(dir.at("blocked")) + " for output\n");
    EXPECT_EQ(dir.read("kept"), "earlier output\n") << "a missing template leaves its output";
}

TEST(processFile, keywordDirectivesHoldForLaterTemplates) {
    scratchDir dir;
    dir.write("a.pre", "$K\n");
    dir.write("b.pre", ">>K=set\n");
    dir.write("c.pre", "$K\n");
    const subsTable table = tableOf({{"K", "run"}});
    testIter iter(table);
    processFiles(iter, {dir.at("a.pre"), dir.at("b.pre"), dir.at("c.pre")});
    EXPECT_EQ(dir.read("a"), std::string("run") + nativeLineEnd());
    EXPECT_EQ(dir.read("b"), "");
    EXPECT_EQ(dir.read("c"), std::string("set") + nativeLineEnd());
}

// A template written with CR LF gives the same bytes on every platform: the
// directive's value carries no CR, and each text line ends in CR LF.
TEST(processFile, crLfTemplatesGiveTheSameOutputEverywhere) {
    scratchDir dir;
    dir.write("inc", "i $K\r\n");
    dir.write("t.pre", ">>K=v\r\n$K|\r\n>>include inc\r\n");
    const subsTable table;
    testIter iter(table);
    EXPECT_EQ(processFiles(iter, {dir.at("t.pre")}), "");
    EXPECT_EQ(dir.read("t"), "v|\r\ni v\r\n");
}

// Lines longer than the reader's chunk, in the template and in an include.
TEST(processFile, expandsLongLinesWhole) {
    const std::string middle(600000, 'm');
    scratchDir dir;
    dir.write("inc", "$A" + middle + "$A\n");
    dir.write("t.pre", middle + "$A\n>>include inc\n" + std::string(1023, 'x'));
    const subsTable table = tableOf({{"A", "v"}});
    testIter iter(table);
    EXPECT_EQ(processFiles(iter, {dir.at("t.pre")}), "");
    const std::string end = nativeLineEnd();
    EXPECT_EQ(dir.read("t"),
              middle + "v" + end + "v" + middle + "v" + end + std::string(1023, 'x') + end);
}

TEST(processStream, reportsAReadErrorAsFailure) {
    const subsTable table;
    testIter iter(table);
    const expansionResult result = expandText(iter, "t.pre", "a\nb", {std::string::npos, true});
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.output, "a\nb\n");
    EXPECT_EQ(result.errors, "read failed\n");
}

TEST(processStream, reportsAFailedOutputAsFailure) {
    scratchDir dir;
    dir.write("inc", "included text\n");
    const subsTable table;
    testIter iter(table);
    const expansionResult full = expandText(iter, "t.pre", "abc\n", {3, false});
    EXPECT_FALSE(full.succeeded);
    EXPECT_EQ(full.output, "abc");
    const expansionResult include =
        expandText(iter, dir.at("t.pre"), "a\n>>include inc\nb\n", {10, false});
    EXPECT_FALSE(include.succeeded);
    EXPECT_EQ(include.errors,
              "Failed to process include file " + quoted(dir.at("inc")) + " correctly\n");
}

#ifndef _WIN32
TEST(processFile, reportsAnOutputThatCannotBeWritten) {
    scratchDir dir;
    dir.write("t.pre", std::string(1000, 'x') + "\n");
    const subsTable table;
    testIter iter(table);
    std::string errors;
    {
        const fileSizeLimit full(100);
        errors = processFiles(iter, {dir.at("t.pre")});
    }
    EXPECT_EQ(errors, "Failed to process " + quoted(dir.at("t.pre")) + " correctly\n");
}
#endif

}  // namespace

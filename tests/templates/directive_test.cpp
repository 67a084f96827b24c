#include <gtest/gtest.h>

#include "events/text.h"
#include "expansion_harness.h"
#include "support/repeated_text.h"
#include "support/scratch_dir.h"

namespace {

using namespace std::string_literals;

struct directiveCase {
    std::string templateText;
    std::string expectedOutput;
    std::string expectedErrors;
};

class directives : public testing::TestWithParam<directiveCase> {};

TEST_P(directives, areCarriedOutAndNeverWritten) {
    const directiveCase& c = GetParam();
    const subsTable table = tableOf({{"HOST", "h"}, {"B", "1"}});
    testIter iter(table);
    const expansionResult result = expandText(iter, "t.pre", c.templateText);
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.output, c.expectedOutput);
    EXPECT_EQ(result.errors, c.expectedErrors);
    EXPECT_EQ(*table.find("HOST"), "h") << "the run's table is never changed";
}

INSTANTIATE_TEST_SUITE_P(
    lines, directives,
    testing::Values(
        directiveCase{"line1 $HOST\n>>X=$(HOST)-1\n$X $(x) $y\n", "line1 h\nh-1 h-1 $y\n", ""},
        directiveCase{">>A=$B\n>>B=2\n$A $B\n", "1 2\n", ""},
        directiveCase{"$K $HOST $J\n>>K=v\n$K $HOST $J\n>>HOST=y\n>>J=w\n$K $HOST $J\n",
                      "$K h $J\nv h $J\nv y w\n", ""},
        directiveCase{">>host=x\n$HOST\n", "x\n", ""},
        directiveCase{">>a=b=c\n$(A)\n", "b=c\n", ""},
        directiveCase{">> a = b\n$( a )|\n", " b|\n", ""},
        directiveCase{">>$(K)=v\n$(K)\n", "$(K)\n", ""},
        directiveCase{">>=z\n$ $1\n", "z z1\n", ""},
        directiveCase{">>A=1\r\n$A|\r\n", "1|\r\n", ""},
        directiveCase{">>A=x\0y\n$A|\n"s, "x|\n", ""},
        directiveCase{"  >>A=1\n>>A=2", "  >>A=1\n", ""},
        directiveCase{">>foo\nx\n", "x\n", "Bad directive foo\n"},
        directiveCase{">>\n", "", "Bad directive \n"},
        directiveCase{">>include\n>>include \t \n", "",
                      "Empty include directive ignored\nEmpty include directive ignored\n"}));

TEST(keywordDirective, keepsTheKeywordLiterallyAndHoldsForLaterTemplates) {
    const subsTable table = tableOf({{"HOST", "h"}});
    testIter iter(table);
    EXPECT_EQ(expandText(iter, "a.pre", "$HOST\n").output, "h\n");
    EXPECT_EQ(expandText(iter, "b.pre", ">>$(K)=v\n>>Host=x\n").output, "");
    EXPECT_EQ(expandText(iter, "c.pre", "$HOST\n").output, "x\n");
    ASSERT_NE(iter.getLocalSubs().find("$(K)"), nullptr);
    EXPECT_EQ(*iter.getLocalSubs().find("$(K)"), "v");
    EXPECT_EQ(iter.getLocalSubs().all().count("HOST"), 1u) << "the entry keeps its first spelling";
}

struct includeNameCase {
    std::string thisFile;
    std::string directive;
    std::string newFile;
};

class includeNames : public testing::TestWithParam<includeNameCase> {};

// None of these files exists, so the message shows the name that was tried.
TEST_P(includeNames, joinTheNameToTheIncludingFilesDirectory) {
    const includeNameCase& c = GetParam();
    const subsTable table;
    testIter iter(table);
    const expansionResult result = expandText(iter, c.thisFile, c.directive + "\nnext\n");
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.output, "next\n");
    EXPECT_NE(result.errors.find("\n newFile = " + quoted(c.newFile) + "\n"), std::string::npos)
        << result.errors;
}

// On POSIX a backslash is an ordinary character of a name.
#ifdef _WIN32
const char* const joinedAtBackslash = "d\\y";
#else
const char* const joinedAtBackslash = "y";
#endif

INSTANTIATE_TEST_SUITE_P(
    directives, includeNames,
    testing::Values(includeNameCase{"d/sub/t.pre", ">>include x.inc", "d/sub/x.inc"},
                    includeNameCase{"d/sub/x.inc", ">>include y.inc", "d/sub/y.inc"},
                    includeNameCase{"d/sub/t.pre", ">>include ../y.inc", "d/sub/../y.inc"},
                    includeNameCase{"d/sub/t.pre", ">>include C:\\y.inc", "d/sub/C:\\y.inc"},
                    includeNameCase{"d\\t.pre", ">>include y", joinedAtBackslash},
                    includeNameCase{"t.pre", ">>include y", "y"},
                    includeNameCase{"d/t.pre", ">>INCLUDE common", "d/common"},
                    includeNameCase{"d/t.pre", ">>Include common", "d/common"},
                    includeNameCase{"d/t.pre", ">>includecommon", "d/common"},
                    includeNameCase{"d/t.pre", ">>include_dir=x", "d/_dir=x"},
                    includeNameCase{"d/t.pre", ">>include $(DIR)/x.inc", "d/$(DIR)/x.inc"},
                    includeNameCase{"d/t.pre", ">>include\t x \ry", "d/x \ry"},
                    includeNameCase{"d/t.pre", ">>include x \r", "d/x "}));

TEST(includeDirective, thatCannotBeOpenedWritesFiveLines) {
    const subsTable table;
    testIter iter(table);
    EXPECT_EQ(expandText(iter, "d/t.pre", ">>include x\n").errors,
              "Cannot open include file \"d/x\" for input\n"
              " thisFile = \"d/t.pre\"\n"
              " newFile = \"d/x\"\n"
              " name = \"x\"\n"
              " end = 1\n");
    EXPECT_NE(expandText(iter, "t.pre", ">>include x\n").errors.find(" end = 4294967295\n"),
              std::string::npos);
}

TEST(includeDirective, withoutAnIncludingFileIsRefused) {
    const subsTable table;
    testIter iter(table);
    std::string output;
    memorySource source(">>include x\nnext\n");
    std::vector<char> buffer;
    textInput in(source, buffer);
    stringSink sink(output);
    std::vector<char> outBuffer;
    textOutput out(sink, outBuffer);
    EXPECT_TRUE(iter.processStream(in, out));
    out.flush();
    EXPECT_EQ(output, "next\n");
    EXPECT_EQ(iter.errors(), "filenames.size() = 0\n");
}

struct includeFilesCase {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;  // the first is the template
    std::string expectedOutput;
    std::string expectedErrors;  // with %d for the scratch directory
};

class includeFiles : public testing::TestWithParam<includeFilesCase> {};

TEST_P(includeFiles, expandInPlace) {
    const includeFilesCase& c = GetParam();
    scratchDir dir;
    for (std::size_t i = 1; i < c.files.size(); ++i) {
        dir.write(c.files[i].first, c.files[i].second);
    }
    const subsTable table = tableOf({{"A", "v"}});
    testIter iter(table);
    const expansionResult result = expandText(iter, dir.at(c.files[0].first), c.files[0].second);
    std::string expectedErrors = c.expectedErrors;
    for (std::size_t at; (at = expectedErrors.find("%d")) != std::string::npos;) {
        expectedErrors.replace(at, 2, dir.at(""));
    }
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.output, c.expectedOutput);
    EXPECT_EQ(result.errors, expectedErrors);
}

// A template that includes 0, where each file includes the next.
std::vector<std::pair<std::string, std::string>> chainOfIncludes(int length) {
    std::vector<std::pair<std::string, std::string>> files = {{"t.pre", ">>include 0\n"}};
    for (int i = 0; i < length; ++i) {
        files.emplace_back(std::to_string(i), "a\n>>include " + std::to_string(i + 1) + "\n");
    }
    return files;
}

INSTANTIATE_TEST_SUITE_P(
    trees, includeFiles,
    testing::Values(
        includeFilesCase{"lastLineWithoutLineFeed",
                         {{"t.pre", "a\n>>include i\nb\n"}, {"i", "c"}},
                         "a\nc\nb\n",
                         ""},
        includeFilesCase{"nestedInSubdirectory",
                         {{"t.pre", ">>include sub/x.inc\n$A $K\n"},
                          {"sub/x.inc", "x\n>>include y.inc\n"},
                          {"sub/y.inc", ">>K=$A$A\ny\n"}},
                         "x\ny\nv vv\n",
                         ""},
        includeFilesCase{"sameFileTwice",
                         {{"t.pre", ">>include x\n>>include x\n"}, {"x", "$A\n"}},
                         "v\nv\n",
                         ""},
        includeFilesCase{"itself",
                         {{"t.pre", "a\n>>include t.pre\nb\n"}},
                         "a\nb\n",
                         "Include file \"%dt.pre\" is already being expanded; directive "
                         "ignored\n"},
        includeFilesCase{
            "eachOther",
            {{"t.pre", ">>include x\n"}, {"x", "x\n>>include y\n"}, {"y", "y\n>>include x\n"}},
            "x\ny\n",
            "Include file \"%dx\" is already being expanded; directive ignored\n"},
        includeFilesCase{"itselfSpelledOtherwise",
                         {{"t.pre", ">>include x\n"}, {"x", "a\n>>include ./x\n"}},
                         "a\n",
                         "Include file \"%d./x\" is already being expanded; directive ignored\n"},
        includeFilesCase{"tooDeep", chainOfIncludes(70), repeated("a\n", 64),
                         "Include file \"%d64\" nested more than 64 deep; directive ignored\n"}),
    [](const testing::TestParamInfo<includeFilesCase>& info) { return info.param.name; });

}  // namespace

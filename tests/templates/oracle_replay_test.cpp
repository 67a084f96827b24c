#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "expansion_harness.h"
#include "support/repeated_text.h"
#include "support/scratch_dir.h"
#include "support/slow_expansion.h"

// Every input of the expansion's fuzz corpus, and a few made to stress the
// windows a long line is expanded in, is expanded in reads of many sizes and
// line by line, and compared with the expansion done a byte at a time.
namespace {

using namespace std::string_literals;

struct namedInput {
    std::string name;
    std::string text;
};

std::vector<namedInput> corpus() {
    std::vector<namedInput> inputs;
    const std::filesystem::path directory =
        std::filesystem::path(FILLWRIGHT_SOURCE_DIR) / "tests/fuzz/corpus/fuzz_expand";
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        std::string text = readBytes(entry.path());
        // As in the fuzz target: no include may leave the scratch directory.
        if (text.empty() || text.find("..") != std::string::npos) {
            continue;
        }
        // Most of the corpus is short; repeated, it also reaches the loop
        // that takes the bulk of a long text.
        if (text.size() < 1024) {
            inputs.push_back({entry.path().filename().string() + " repeated",
                              repeated(text, 1024 / text.size() + 1)});
        }
        inputs.push_back({entry.path().filename().string(), std::move(text)});
    }
    return inputs;
}

std::vector<namedInput> longLines() {
    const std::string tokens = "a $HOST $(Domain) $LONG $(A$K) $UNSET $(unset) $ $( x ";
    return {{"longLineOfTokens", repeated(tokens, 600)},
            {"openParentheses", repeated("$(", 8000) + "HOST)\n" + repeated("$(", 999)},
            {"longName", "$(" + std::string(9000, 'H') + ")$" + std::string(9000, 'H') + "\n"},
            {"longPlainRuns", repeated(std::string(100, 'x') + "$HOST" + std::string(60, 'y') +
                                           "$(LONG)$(unset)" + std::string(70, 'z') + "$",
                                       40)},
            {"nulOnEveryLine", repeated("$HOST\0$HOST\n>x\n\0$(HOST)\n"s, 600)},
            {"directivesBetweenLongLines",
             repeated(repeated(tokens, 80) + "\n>>K=$HOST$K\n>>bad\n", 8)}};
}

TEST(oracleReplay, fastPathsAgreeWithTheSlowExpansion) {
    scratchDir dir;
    for (const auto& [name, content] : slowExpansion::corpusIncludes()) {
        dir.write(name, content);
    }
    const subsTable table = slowExpansion::corpusTable();
    std::vector<namedInput> inputs = corpus();
    const std::size_t corpusSize = inputs.size();
    for (namedInput& input : longLines()) {
        inputs.push_back(std::move(input));
    }
    int comparedWithSlow = 0;
    for (const namedInput& input : inputs) {
        SCOPED_TRACE(input.name);
        testIter wholeIter(table);
        const expansionResult whole = expandText(wholeIter, dir.at("template.pre"), input.text);
        subsTable slowTable = table;
        if (const std::optional<std::string> expected =
                slowExpansion::expandedTemplate(input.text, slowTable)) {
            EXPECT_TRUE(whole.output == *expected);
            ++comparedWithSlow;
        }
        expansionOptions options;
        for (const std::size_t readSize : {1, 2, 3, 16, 17, 63, 64, 65, 4099}) {
            options.readSize = readSize;
            testIter iter(table);
            const expansionResult result =
                expandText(iter, dir.at("template.pre"), input.text, options);
            EXPECT_TRUE(result.output == whole.output) << "in reads of " << readSize;
            EXPECT_EQ(result.errors, whole.errors);
            EXPECT_EQ(result.succeeded, whole.succeeded);
        }
        // Explained, the lines are taken one at a time.
        expandSettings oneByOne;
        oneByOne.explain = true;
        testIter observed(table, oneByOne);
        options.readSize = 7;
        const expansionResult lineByLine =
            expandText(observed, dir.at("template.pre"), input.text, options);
        EXPECT_TRUE(lineByLine.output == whole.output) << "line by line";
        EXPECT_EQ(lineByLine.errors, whole.errors);
    }
    // The corpus is there, and most of it is compared with the slow way.
    EXPECT_GT(corpusSize, 40u);
    EXPECT_GT(comparedWithSlow, 40);
}

}  // namespace

#include <gtest/gtest.h>

#include "events/text.h"
#include "expansion_harness.h"
#include "support/repeated_text.h"
#include "support/scratch_dir.h"

namespace {

using namespace std::string_literals;

struct missCase {
    std::string text;
    const char* errors;
};

TEST(StrictExpansion, ReportsEachParenthesizedTokenLeftAsWritten) {
    const missCase cases[] = {
        {"$(HOST) $(HOTS)\n", "No keyword for \"$(HOTS)\" in \"t.pre\" line 1\n"},
        {"a\nb\n$(x)$(y)$(z)\n",
         "No keyword for \"$(y)\" in \"t.pre\" line 3\n"
         "No keyword for \"$(z)\" in \"t.pre\" line 3\n"},
        // Bare names, unclosed tokens and tokens after a NUL are not reported.
        {"$HOME $NOPE $5 $(open\n", ""},
        {std::string("x\0$(after)\n", 11), ""},
        // A token left as written may hold one that is replaced.
        {"$(a$(HOST))\n", "No keyword for \"$(a$(HOST)\" in \"t.pre\" line 1\n"},
        // A replaced token's text is not looked into again.
        {"$(x$(HOST))$(HOST)\n", "No keyword for \"$(x$(HOST)\" in \"t.pre\" line 1\n"},
        {">>K=$(MISSING)\n>>L=$(HOST)\n", "No keyword for \"$(MISSING)\" in \"t.pre\" line 1\n"},
        {"$(\t)\r\n", "No keyword for \"$(\\t)\" in \"t.pre\" line 1\n"},
    };
    for (const missCase& c : cases) {
        const subsTable table = tableOf({{"HOST", "alpha"}, {"x", "1"}});
        expandSettings settings;
        settings.strict = true;
        testIter strict(table, settings);
        testIter plain(table);
        const expansionResult reported = expandText(strict, "t.pre", c.text);
        const expansionResult unreported = expandText(plain, "t.pre", c.text);
        EXPECT_EQ(reported.errors, c.errors) << c.text;
        EXPECT_EQ(reported.output, unreported.output) << c.text;
    }
}

// Each with its file and the number of its line in it, short names or long,
// in text lines, directives and includes.
TEST(StrictExpansion, NamesTheFileAndLineOfEachMiss) {
    scratchDir dir;
    dir.write("i", "\n$(h)\n");
    const subsTable table = tableOf({{"A", "v"}});
    expandSettings settings;
    settings.strict = true;
    testIter iter(table, settings);
    const std::string longName(40, 'n');
    const std::string name = dir.at("t.pre");
    const expansionResult result = expandText(
        iter, name,
        "$(a) $(b) $UNSET $(c\n>>K=$(d)\n>>include i\n$(" + longName + ") x$(e)\n$(f)\0$(g)\n"s);
    EXPECT_EQ(result.output, "v $(b) $UNSET $(c\n\n$(h)\n$(" + longName + ") x$(e)\n$(f)\0$(g)\n"s);
    const auto miss = [&](const std::string& token, const std::string& file, int line) {
        return "No keyword for \"$(" + token + ")\" in " + quoted(file) + " line " +
               std::to_string(line) +
               (file == name ? "" : " (included from " + quoted(name) + ")") + "\n";
    };
    EXPECT_EQ(result.errors, miss("b", name, 1) + miss("d", name, 2) + miss("h", dir.at("i"), 2) +
                                 miss(longName, name, 4) + miss("e", name, 4) + miss("f", name, 5));
}

// Line by line or many lines at a time, the expansion writes the same.
TEST(StrictExpansion, WritesWhatTheUsualExpansionWrites) {
    const std::string piece = "$(A) $B $(C) $(A)$(A) text $\n>>B=$(A)$(A)\n$(B)\n";
    const std::string texts[] = {repeated(piece, 3000), repeated("$(A)", 100000) + "\n$(A)",
                                 repeated("plain line\n", 50000)};
    for (const std::string& text : texts) {
        const subsTable table = tableOf({{"A", "alpha"}, {"B", "bee"}});
        expandSettings settings;
        settings.strict = true;
        settings.explain = true;
        testIter strict(table, settings);
        testIter plain(table);
        const expansionResult reported = expandText(strict, "t.pre", text);
        const expansionResult unreported = expandText(plain, "t.pre", text);
        EXPECT_EQ(reported.output, unreported.output);
        EXPECT_TRUE(reported.succeeded);
    }
}

TEST(ExplainedExpansion, ListsKeywordDirectivesWithFileAndLine) {
    const subsTable table = tableOf({{"HOST", "alpha"}});
    expandSettings settings;
    settings.explain = true;
    testIter explained(table, settings);
    const expansionResult result =
        expandText(explained, "dir/t.pre", "text\n>>url=http://$HOST/\n\n>>tab=a\tb\n>>bad\n");
    EXPECT_EQ(explained.record.takeOutput(),
              "url=http://alpha/\tdirective in dir/t.pre line 2\n"
              "tab=\"a\\tb\"\tdirective in dir/t.pre line 4\n");
    EXPECT_EQ(result.output, "text\n\n");
}

}  // namespace

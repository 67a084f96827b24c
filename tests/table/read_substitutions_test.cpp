#include <gtest/gtest.h>

#include <map>

#include "support/scratch_dir.h"
#include "support/test_log.h"
#include "table/subs_table.h"

namespace {

// Reads the file text through readSubstitutions and captures its messages.
struct readResult {
    std::map<std::string, std::string> entries;
    std::string messages;
};

readResult readText(const std::string& text, subsTable table = {}) {
    scratchDir dir;
    dir.write("subs", text);
    testLog record;
    readSubstitutions(table, dir.at("subs"), record.log);
    readResult result;
    result.messages = record.takeErrors();
    for (const auto& entry : table.all()) {
        result.entries.emplace(entry.first, entry.second);
    }
    return result;
}

using entries = std::map<std::string, std::string>;

struct lineCase {
    std::string line;
    entries expected;
    std::string message;
};

TEST(ReadSubstitutions, EachLineForm) {
    const lineCase cases[] = {
        {"KEY=value", {{"KEY", "value"}}, ""},
        {"KEY=", {{"KEY", ""}}, ""},
        {"KEY=a=b", {{"KEY", "a=b"}}, ""},
        {" KEY=v", {{" KEY", "v"}}, ""},
        {"KEY = v", {{"KEY ", " v"}}, ""},
        {"#KEY=v", {}, ""},
        {" #KEY=v", {{" #KEY", "v"}}, ""},
        {"KEY=$(HOST) $X", {{"KEY", "$(HOST) $X"}}, ""},
        {"=v", {}, "substitutions file line \"=v\" rejected\n"},
        {"KEY", {}, "substitutions file line \"KEY\" rejected\n"},
        {"\tKEY", {}, "substitutions file line \"\\tKEY\" rejected\n"},
        {"   ", {}, "substitutions file line \"   \" rejected\n"},
        {"", {}, ""},
        {std::string("K=a\0b", 5), {{"K", "a"}}, ""},
        {std::string("\0K=v", 4), {}, ""},
        // Lines up to the value limit of keyword directives are kept whole;
        // a longer one is rejected, and its message shortened.
        {"K=" + std::string((1u << 20) - 2, 'v'), {{"K", std::string((1u << 20) - 2, 'v')}}, ""},
        {"K=" + std::string((1u << 20) - 1, 'v'),
         {},
         "substitutions file line \"K=" + std::string(62, 'v') + "\"... rejected\n"},
    };
    for (const lineCase& c : cases) {
        for (const char* end : {"\n", ""}) {
            const readResult result = readText(c.line + end);
            EXPECT_EQ(result.entries, c.expected) << '[' << c.line << ']' << end;
            EXPECT_EQ(result.messages, c.message) << '[' << c.line << ']';
        }
    }
}

TEST(ReadSubstitutions, LaterLinesReplaceEarlierValuesInAnyCase) {
    subsTable table;
    table.assign("Domain", "from-option");
    const readResult result = readText("DOMAIN=y\nhost=a\nHOST=b\n", table);
    EXPECT_EQ(result.entries, (entries{{"Domain", "y"}, {"host", "b"}}));
}

TEST(ReadSubstitutions, CarriageReturnsBeforeLineFeedsAreLineEnds) {
    const readResult result = readText("A=1\r\nB=2\r\r\nC=3\r");
    EXPECT_EQ(result.entries, (entries{{"A", "1"}, {"B", "2\r"}, {"C", "3\r"}}));
}

TEST(ReadSubstitutions, LongLinesAreReadWholeAndNothingAfterThemIsLost) {
    const std::string longValue(5000, 'v');
    const std::string exact(1023 - 2, 'e');
    const readResult result =
        readText("A=1\nLONG=" + longValue + "\nE=" + exact + "\nBAD" + longValue + "\nZ=2");
    EXPECT_EQ(result.entries, (entries{{"A", "1"}, {"E", exact}, {"LONG", longValue}, {"Z", "2"}}));
    EXPECT_EQ(result.messages, "substitutions file line \"BAD" + longValue + "\" rejected\n");
}

TEST(ReadSubstitutions, MissingFileAddsNothingSilently) {
    scratchDir dir;
    subsTable table;
    testLog record;
    readSubstitutions(table, dir.at("no-such-file"), record.log);
    readSubstitutions(table, dir.path().generic_string(), record.log);  // a directory
    EXPECT_EQ(record.takeErrors(), "");
    EXPECT_EQ(table.size(), 0u);
}

}  // namespace

#include "table/subs_table.h"

#include <gtest/gtest.h>

namespace {

struct orderCase {
    std::string a;
    std::string b;
    bool aLess;
    bool bLess;
};

TEST(KeywordOrder, FoldsAsciiLettersOnlyAndComparesSignedBytes) {
    const orderCase cases[] =
        {
            {"FQDN", "fqdn", false, false}, {"Host", "hOST", false, false},
            {"a", "b", true, false},        {"B", "a", false, true},
            {"_", "a", true, false},  // '_' orders before letters of either case
            {"_", "A", true, false},        {"Z", "_", false, true},
            {"ab", "abc", true, false},     {"", "a", true, false},
            {"\xE9", "\xC9", false, true},  // non-ASCII never folds
            {"\x80", "a", true, false},     // bytes from 0x80 order first
            {"\xFF", "\x01", true, false},
        };
    const keywordLess less;
    for (const orderCase& c : cases) {
        EXPECT_EQ(less(c.a, c.b), c.aLess) << c.a << " < " << c.b;
        EXPECT_EQ(less(c.b, c.a), c.bLess) << c.b << " < " << c.a;
    }
}

TEST(SubsTable, LookupIgnoresCaseAndKeepsTheFirstSpelling) {
    subsTable table;
    table.assign("FQDN", "a.b");
    ASSERT_NE(table.find("fqdn"), nullptr);
    EXPECT_EQ(*table.find("fqdn"), "a.b");
    table.assign("Fqdn", "c.d");
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(table.all().begin()->first, "FQDN");
    EXPECT_EQ(table.all().begin()->second, "c.d");
}

TEST(SubsTable, NonAsciiCaseMakesTwoKeywords) {
    subsTable table;
    table.assign("\xE9t\xE9", "lower");
    table.assign("\xC9t\xC9", "upper");
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table.valueOrEmpty("\xE9T\xE9"), "lower");
}

TEST(SubsTable, SetIfAbsentNeverReplaces) {
    subsTable table;
    table.assign("host", "existing");
    EXPECT_EQ(table.setIfAbsent("HOST", "x"), "existing");
    EXPECT_EQ(table.valueOrEmpty("host"), "existing");
    EXPECT_EQ(table.setIfAbsent("PORT", "80"), "80");
    EXPECT_EQ(table.valueOrEmpty("port"), "80");
}

TEST(SubsTable, ValueOrEmptyNeverInsertsButEntryDoes) {
    subsTable table;
    EXPECT_EQ(table.valueOrEmpty("missing"), "");
    EXPECT_EQ(&table.valueOrEmpty("missing"), &table.valueOrEmpty("other"));
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.find("missing"), nullptr);
    table.entry("missing");
    EXPECT_EQ(table.size(), 1u);
    ASSERT_NE(table.find("MISSING"), nullptr);
    EXPECT_EQ(*table.find("MISSING"), "");
}

TEST(SubsTable, CopiesAreIndependent) {
    subsTable original;
    original.assign("A", "1");
    subsTable copy(original);
    copy.assign("a", "2");
    copy.assign("B", "3");
    EXPECT_EQ(original.valueOrEmpty("A"), "1");
    EXPECT_EQ(original.find("B"), nullptr);
    EXPECT_EQ(copy.valueOrEmpty("A"), "2");
}

}  // namespace

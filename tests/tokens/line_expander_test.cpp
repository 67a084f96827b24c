#include "tokens/line_expander.h"

#include <gtest/gtest.h>

#include <string>

namespace {

subsTable tableOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    subsTable table;
    for (const auto& [keyword, value] : entries) {
        table.assign(keyword, value);
    }
    return table;
}

TEST(expandValue, replacesTokensWithoutTouchingTheTable) {
    const subsTable table = tableOf({{"HOST", "h"}, {"", "e"}});
    lineExpander iter(table);
    EXPECT_EQ(iter.expandValue("$(HOST)-$HOST.$x $(X"), "h-h.ex $(X");
    EXPECT_EQ(iter.expandValue(""), "");
    EXPECT_EQ(table.size(), 2u);
}

TEST(matchToken, givesTheValueAndTheEndOfTheToken) {
    const subsTable table = tableOf({{"AB", "1"}});
    lineExpander iter(table);
    const std::string text = "$AB$(AB)x$(AB";
    const char* next = nullptr;
    const std::string* value = nullptr;
    ASSERT_TRUE(iter.matchToken(text.data(), text.data() + text.size(), next, value));
    EXPECT_EQ(next, text.data() + 3);
    EXPECT_EQ(*value, "1");
    ASSERT_TRUE(iter.matchToken(text.data() + 3, text.data() + text.size(), next, value));
    EXPECT_EQ(next, text.data() + 8);
    EXPECT_FALSE(iter.matchToken(text.data() + 9, text.data() + text.size(), next, value));
    // The end of the searchable text cuts the name short: "A" is not a keyword.
    EXPECT_FALSE(iter.matchToken(text.data(), text.data() + 2, next, value));
}

}  // namespace

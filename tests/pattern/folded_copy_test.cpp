#include "pattern/folded_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "pattern/atl_exception.h"

namespace {

TEST(FoldedCopy, LowersOnlyAsciiCapitals) {
    const char* source = "AZaz@[`{09 \xC4\xE4-Mixed";
    std::string expected = "azaz@[`{09 \xC4\xE4-mixed";
    char destination[64];
    EXPECT_EQ(copyFolded(destination, sizeof destination, source), 0);
    EXPECT_EQ(std::string(destination), expected);
}

TEST(FoldedCopy, ReportsBadArgumentsAndShortDestinations) {
    char destination[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(copyFolded(destination, sizeof destination, "ABCD"), 34);
    EXPECT_EQ(destination[0], '\0');
    EXPECT_EQ(copyFolded(destination, sizeof destination, "ABC"), 0);
    EXPECT_STREQ(destination, "abc");
    EXPECT_EQ(copyFolded(nullptr, 4, "a"), 22);
    EXPECT_EQ(copyFolded(destination, sizeof destination, nullptr), 22);
}

TEST(FoldedCopy, FailureCodesBecomeExceptions) {
    struct codeCase {
        int error;
        bool throws;
        HRESULT code;
    };
    const codeCase cases[] = {
        {0, false, 0},
        {80, false, 0},
        {12, true, E_OUTOFMEMORY},
        {22, true, E_INVALIDARG},
        {34, true, E_INVALIDARG},
        {1, true, E_FAIL},
        {42, true, E_FAIL},
    };
    for (const codeCase& c : cases) {
        try {
            throwOnCopyFailure(c.error);
            EXPECT_FALSE(c.throws) << c.error;
        } catch (const CAtlException& e) {
            EXPECT_TRUE(c.throws) << c.error;
            EXPECT_EQ(e.code, c.code) << c.error;
        }
    }
}

TEST(FoldedCopy, AllocatesAFoldedCopy) {
    std::unique_ptr<char[]> copy = foldedCopy("Dots.TXT", 8);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy.get(), "dots.txt");
}

}  // namespace

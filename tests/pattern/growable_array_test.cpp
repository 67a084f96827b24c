#include "pattern/growable_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

struct growthCase {
    const char* name;
    std::size_t growthStep;
    std::vector<std::size_t> counts;  // set one after another
    std::size_t expectedCapacity;
};

TEST(GrowableArray, CapacityFollowsTheGrowthRules) {
    const growthCase cases[] = {
        {"first allocation takes the count", 0, {10}, 10},
        {"first allocation takes a larger step", 16, {3}, 16},
        {"first allocation takes a larger count", 4, {9}, 9},
        {"fixed step", 16, {3, 17}, 32},
        {"fixed step smaller than the request", 2, {3, 10}, 10},
        {"automatic step at least 4", 0, {10, 11}, 14},
        {"automatic step is an eighth of the count", 0, {100, 101}, 112},
        {"automatic step capped at 1024", 0, {10000, 10001}, 11024},
        {"request beyond the step", 0, {10, 50}, 50},
        {"shrinking keeps the capacity", 0, {40, 5}, 40},
        {"growing within the capacity", 0, {40, 5, 39}, 40},
        {"zero frees everything", 0, {40, 0}, 0},
        {"after freeing, a fresh first allocation", 0, {40, 0, 3}, 3},
    };
    for (const growthCase& c : cases) {
        growableArray<int> array(c.growthStep);
        for (std::size_t count : c.counts) {
            ASSERT_TRUE(array.setCount(count)) << c.name;
        }
        EXPECT_EQ(array.count(), c.counts.back()) << c.name;
        EXPECT_EQ(array.capacity(), c.expectedCapacity) << c.name;
    }
}

TEST(GrowableArray, GrowthKeepsEntriesAndZeroFillsTheRest) {
    growableArray<std::int64_t> array;
    ASSERT_TRUE(array.setCount(4));
    for (std::ptrdiff_t k = 0; k < 4; ++k) {
        EXPECT_EQ(array.at(k), 0);
        array.at(k) = 10 + k;
    }
    ASSERT_TRUE(array.setCount(300));
    for (std::ptrdiff_t k = 0; k < 4; ++k) {
        EXPECT_EQ(array.at(k), 10 + k);
    }
    for (std::ptrdiff_t k = 4; k < 300; ++k) {
        ASSERT_EQ(array.at(k), 0) << k;
    }
}

TEST(GrowableArray, ShrinkingKeepsStorageContents) {
    growableArray<int> array;
    ASSERT_TRUE(array.setCount(5));
    array.at(3) = 33;
    ASSERT_TRUE(array.setCount(2));
    ASSERT_TRUE(array.setCount(5));
    EXPECT_EQ(array.at(3), 33);
}

TEST(GrowableArray, FailedGrowthLeavesTheArrayUnchanged) {
    growableArray<int> array;
    ASSERT_TRUE(array.setCount(3));
    array.at(2) = 7;
    EXPECT_FALSE(array.setCount(std::numeric_limits<std::size_t>::max()));
    EXPECT_EQ(array.count(), 3U);
    EXPECT_EQ(array.capacity(), 3U);
    EXPECT_EQ(array.at(2), 7);
}

TEST(GrowableArray, AccessOutsideTheCountRaisesInvalidArgument) {
    growableArray<int> array;
    ASSERT_TRUE(array.setCount(5));
    ASSERT_TRUE(array.setCount(3));
    for (std::ptrdiff_t index : {std::ptrdiff_t{-1}, std::ptrdiff_t{3}, std::ptrdiff_t{4}}) {
        try {
            array.at(index);
            ADD_FAILURE() << "no exception for index " << index;
        } catch (const CAtlException& e) {
            EXPECT_EQ(e.code, E_INVALIDARG) << index;
        }
    }
}

}  // namespace

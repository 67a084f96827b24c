#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/reg_exp.h"

namespace {

constexpr matchContext::word none = matchContext::none;

struct matchCase {
    std::string pattern;
    std::string text;
    bool matches;
    matchContext::word start;
    matchContext::word end;
};

TEST(Match, PositionsOfTheFirstMatch) {
    const matchCase cases[] = {
        // Names made only of dots.
        {"^\\.+$", ".", true, 0, 2},
        {"^\\.+$", "..", true, 0, 3},
        {"^\\.+$", "...", true, 0, 4},
        {"^\\.+$", "", false, 0, 0},
        {"^\\.+$", ".git", false, 0, 0},
        {"^\\.+$", "a.", false, 0, 0},
        {"^\\.+$", "a.b", false, 0, 0},
        {"^\\.+$", "..a", false, 0, 0},
        // Letter case never matters.
        {"ABC", "abc", true, 0, 3},
        {"abc", "ABC", true, 0, 3},
        {"[A-C]+", "xCaB", true, 1, 4},
        // Anchors and the end of the text.
        {"b", "abc", true, 1, 2},
        {"^b", "abc", false, 0, 0},
        {"a^", "a^", true, 0, 2},
        {"", "abc", true, 0, 0},
        {"", "", true, 0, 0},
        {"$", "", true, 0, 1},
        {"$", "abc", false, 0, 0},
        {"c$", "abc", true, 2, 4},
        {"x*$", "abc", false, 0, 0},
        {"(a$)", "a$", true, 0, 2},
        {"(a$)", "a", false, 0, 0},
        {"\\", "", true, 0, 1},
        {"x", "", false, 0, 0},
        // Greedy and lazy repeats.
        {"a*?b", "aab", true, 0, 3},
        {"a*", "aab", true, 0, 2},
        {"a*?", "aab", true, 0, 0},
        {"a+?", "aaa", true, 0, 1},
        {"a+", "baaa", true, 1, 4},
        {"a*a", "aaa", true, 0, 3},
        {"a??b", "ab", true, 0, 2},
        {"a??", "a", true, 0, 0},
        // Another occurrence of a lazy repeat starts where the repeat stood.
        {"a*?ab", "aab", true, 0, 3},
        {"a+?ab", "aaab", true, 0, 4},
        {"a??ab", "aab", true, 0, 3},
        {"^x*?yz", "yxyz", false, 0, 0},
        {"^x??yz", "yxyz", false, 0, 0},
        {"a?a?b", "ab", true, 0, 2},
        {"(ab)+", "ababx", true, 0, 4},
        {"a**", "aa*", true, 0, 3},
        {"()*x", "x", true, 0, 1},
        // Alternation joins single items; the left one is tried first.
        {"ab|cd", "abd", true, 0, 3},
        {"ab|cd", "acd", true, 0, 3},
        {"ab|cd", "abcd", false, 0, 0},
        {"a||b", "ab", true, 0, 2},
        {"a||b", "|b", true, 0, 2},
        {"a||b", "a|b", true, 1, 3},
        {"|a", "|a", true, 0, 2},
        {"|a", "a", false, 0, 0},
        {"a|b|c", "xc", true, 1, 2},
        {"(a|ab)c", "abc", true, 0, 3},
        {"x(a|b)*y", "xabbay", true, 0, 6},
        // Negation and classes.
        {"!a.", "ab", true, 1, 2},
        {"!a.", "aa", false, 0, 0},
        {"!(ab).", "abac", true, 1, 2},
        {"a[^b]", "a", false, 0, 0},
        {"a[^b]", "ab", false, 0, 0},
        {"a[^b]", "ac", true, 0, 2},
        {"[\\t]", "t", false, 0, 0},
        {"[\\t]", "\t", true, 0, 1},
        {"\\t", "\t", false, 0, 0},
        {"\\t", "t", true, 0, 1},
        {"[\x80-\xff]", "a\xe9", true, 1, 2},
        {"\xe9", "\xe9", true, 0, 1},
        // Abbreviations.
        {"\\q", "say \"hi\" now", true, 4, 8},
        {"\\q", "say 'hi' now", false, 0, 0},
        {"\\d+", "ab12c", true, 2, 4},
        {"\\z", "ab123", true, 2, 5},
        {"\\w", "12Ab3", true, 2, 4},
        {"\\a\\a", "-x9-", true, 1, 3},
        {"\\b", "x\ty", true, 1, 2},
        {"\\c", "1 Z", true, 2, 3},
        {"\\h+", "xyzBeEf", true, 3, 7},
        {"\\n", "x\r\ny", true, 1, 2},
        {"\\n", "x\ny", true, 1, 2},
        // Back-references compare without regard to case.
        {"{a}\\0", "aA", true, 0, 2},
        {"{ab}x\\0", "abxab", true, 0, 5},
        {"{ab}x\\0", "abxa", false, 0, 0},
        {"{a+}b\\0", "aabaa", true, 0, 5},
        {"{a+}b\\0", "aaba", true, 1, 4},
        {"{a+}b\\0", "aabb", false, 0, 0},
    };
    for (const matchCase& c : cases) {
        regExp compiled;
        ASSERT_EQ(compiled.compile(c.pattern.c_str()), parseOk) << c.pattern;
        matchContext context;
        EXPECT_EQ(compiled.match(c.text.c_str(), context), c.matches)
            << c.pattern << " against " << c.text;
        if (c.matches) {
            EXPECT_EQ(context.matchStart, c.start) << c.pattern << " against " << c.text;
            EXPECT_EQ(context.matchEnd, c.end) << c.pattern << " against " << c.text;
        }
    }
}

struct groupCase {
    std::string pattern;
    std::string text;
    std::vector<matchContext::groupSpan> spans;
};

TEST(Match, GroupSpans) {
    const groupCase cases[] = {
        {"{a+}b\\0", "aabaa", {{0, 2}}},
        {"{a+}b\\0", "aaba", {{1, 2}}},
        {"{a}{b}", "xab", {{1, 2}, {2, 3}}},
        {"{x}?{a}", "a", {{none, none}, {0, 1}}},
        {"({a}b)?a", "ac", {{none, none}}},
        {"{a|b}+", "abba", {{3, 4}}},
        {"{a*}", "aab", {{0, 2}}},
        {"{a*?}b", "aab", {{0, 2}}},
        {"{}", "q", {{0, 0}}},
        {"{{a}b}", "ab", {{0, 2}, {0, 1}}},
        // A back-reference inside its own group refers to nothing yet.
        {"{a\\0}", "aa", {{0, 1}}},
        {"({a\\0}b)+", "abab", {{2, 3}}},
    };
    for (const groupCase& c : cases) {
        regExp compiled;
        ASSERT_EQ(compiled.compile(c.pattern.c_str()), parseOk) << c.pattern;
        matchContext context;
        ASSERT_TRUE(compiled.match(c.text.c_str(), context)) << c.pattern;
        ASSERT_EQ(context.groupCount, static_cast<int>(c.spans.size())) << c.pattern;
        for (std::size_t g = 0; g < c.spans.size(); ++g) {
            const matchContext::groupSpan& span = context.groups.at(static_cast<std::ptrdiff_t>(g));
            EXPECT_EQ(span.start, c.spans[g].start) << c.pattern << " group " << g;
            EXPECT_EQ(span.end, c.spans[g].end) << c.pattern << " group " << g;
        }
    }
}

TEST(Match, NullTextDoesNotMatch) {
    regExp compiled;
    ASSERT_EQ(compiled.compile(""), parseOk);
    matchContext context;
    EXPECT_FALSE(compiled.match(nullptr, context));
}

TEST(Match, ContextCarriesNothingToTheNextMatch) {
    regExp withGroups;
    regExp plain;
    ASSERT_EQ(withGroups.compile("{a}{b}!c"), parseOk);
    ASSERT_EQ(plain.compile("x"), parseOk);
    matchContext context;
    ASSERT_TRUE(withGroups.match("zab", context));
    ASSERT_FALSE(withGroups.match("zzz", context));
    EXPECT_EQ(context.groups.at(0).start, none);
    EXPECT_EQ(context.groups.at(1).end, none);
    ASSERT_TRUE(plain.match("yx", context));
    EXPECT_EQ(context.groupCount, 0);
    EXPECT_EQ(context.matchStart, 1);
    EXPECT_EQ(context.matchEnd, 2);
    ASSERT_TRUE(withGroups.match("ab", context));
    EXPECT_EQ(context.groups.at(0).start, 0);
    EXPECT_EQ(context.groups.at(1).start, 1);
}

TEST(Match, StackGrowsForLongTexts) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("{a*}b"), parseOk);
    std::string text(5000, 'a');
    text += 'b';
    matchContext context;
    ASSERT_TRUE(compiled.match(text.c_str(), context));
    EXPECT_EQ(context.matchEnd, 5001);
    EXPECT_EQ(context.groups.at(0).end, 5000);
    EXPECT_GT(context.stack.count(), matchContext::initialStackWords);
}

TEST(Match, OneCompiledPatternServesManyMatches) {
    regExp compiled;
    ASSERT_EQ(compiled.compile("{\\d+}-\\0"), parseOk);
    std::size_t count = compiled.program.count();
    for (const char* text : {"12-12", "x7-7", "3-4"}) {
        matchContext context;
        compiled.match(text, context);
    }
    matchContext context;
    EXPECT_TRUE(compiled.match("x7-7", context));
    EXPECT_FALSE(compiled.match("3-4", context));
    EXPECT_EQ(compiled.program.count(), count);
}

}  // namespace

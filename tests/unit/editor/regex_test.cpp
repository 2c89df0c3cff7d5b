// The regular-expression compiler and matcher: syntax, errors with their messages, the
// matching rules, and the limits on pathological cases.
#include <gtest/gtest.h>

#include <string>

#include "base/messages.h"
#include "editor/regex.h"
#include "editor/search_messages.h"
#include "scripted_ui.h"

namespace tarvo::editor {
namespace {

// The whole match as "start-end", or "none"; the message id after an error.
std::string Find(std::string_view pattern, std::string_view line, std::size_t from = 0, RegexLimits limits = {}) {
    Regex re;
    unsigned error = CompileRegexQuietly(pattern, re);
    if (error) return "compile error " + std::to_string(error);
    RegexMatch m;
    switch (ExecuteRegexQuietly(re, line, from, m, error, limits)) {
        case RegexResult::Match: return std::to_string(m.start[0]) + "-" + std::to_string(m.end[0]);
        case RegexResult::NoMatch: return "none";
        default: return "failed " + std::to_string(error);
    }
}

unsigned CompileError(std::string_view pattern) {
    Regex re;
    return CompileRegexQuietly(pattern, re);
}

TEST(RegexCompile, EachErrorHasItsMessage) {
    const std::pair<const char*, unsigned> cases[] = {
        {"*a", kMsgRegexNothingBefore},   {"a|+b", kMsgRegexNothingBefore}, {"(?a)", kMsgRegexNothingBefore},
        {"(a*)*", kMsgRegexEmptyOperand}, {"(a|)+", kMsgRegexEmptyOperand}, {"(^)*", kMsgRegexEmptyOperand},
        {"a**", kMsgRegexBad},            {"a+?", kMsgRegexBad},            {"[z-a]", kMsgRegexBadRange},
        {"[b-a]", kMsgRegexBadRange},  // a reversed range is refused, not read as its first char
        {"((((((((((a))))))))))", kMsgRegexTooManyGroups}, {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", kMsgRegexTooManyGroups},
        {"ab\\", kMsgRegexTrailingBackslash}, {"[abc", kMsgRegexMissingBracket}, {"[]", kMsgRegexMissingBracket},
        {"(ab", kMsgRegexMismatchedParens},   {"ab)", kMsgRegexMismatchedParens},
    };
    for (auto [pattern, message] : cases) EXPECT_EQ(CompileError(pattern), message) << pattern;
    EXPECT_EQ(CompileError(std::string_view("a\0b", 3)), kMsgRegexBad);
    for (const char* pattern : {"a*", "[]a]", "[a-]", "[^]a]", "[a-a]", "(((((((((a)))))))))", "(a)(b)(c)(d)(e)(f)(g)(h)(i)",
                                "a|", "", "(a?)?", "\\*+", "[*+?]", "a{2}]"})
        EXPECT_EQ(CompileError(pattern), 0u) << pattern;
    // Long patterns: a program of 32,767 bytes or more is refused.
    EXPECT_EQ(CompileError(std::string(30000, 'a')), 0u);
    EXPECT_EQ(CompileError(std::string(33000, 'a')), kMsgRegexBad);
    EXPECT_EQ(CompileError(std::string(9000, '.')), 0u);  // 3 bytes a node
    EXPECT_EQ(CompileError(std::string(11000, '.')), kMsgRegexBad);

    tarvo::test::ScopedScriptedUi scripted;
    EXPECT_EQ(CompileRegex("(a*)*"), nullptr);
    EXPECT_EQ(tarvo::test::BoxTexts(scripted.ui), "Operand of +? could be empty|");
    EXPECT_EQ(scripted.ui.boxes[0].title, "Error");
}

// Quantifiers, sets, alternatives, groups and anchors over a few letters are compared with a
// reference matcher in regex_fuzz_test.cpp; these are the rules beyond its alphabet.
TEST(RegexMatch, RulesBeyondTheFuzzAlphabet) {
    struct Case {
        const char* pattern;
        std::string_view line;
        std::size_t from;
        const char* match;
    } const cases[] = {
        {"[0-9]+", "ab 1234 5", 0, "3-7"}, {"[^a-y]", "abcz", 0, "3-4"}, {".*foo", "zz foo12bar foo", 0, "0-15"},
        {"[\xe0-\xef]", "ab\xe9", 0, "2-3"},  // bytes above 127 are plain characters
        // A NUL in the line is an ordinary character that no set names.
        {"[^x]", std::string_view("x\0", 2), 0, "1-2"}, {"a.b", std::string_view("a\0b", 3), 0, "0-3"},
        // The start column; '^' belongs to the line, not to where the search resumes in it.
        {"ab", "abab", 1, "2-4"}, {"ab", "abab", 3, "none"}, {"b*", "abab", 4, "4-4"}, {"b", "abab", 9, "none"},
        {"^x", "xxx", 1, "none"}, {".*b", "abab", 1, "1-4"},
    };
    for (const Case& c : cases) EXPECT_EQ(Find(c.pattern, c.line, c.from), c.match) << c.pattern << " on " << c.line;
}

TEST(RegexMatch, CorruptProgramIsRefusedWithAMessage) {
    auto re = CompileRegex("abc");
    ASSERT_NE(re, nullptr);
    re->program[0] = 'T';
    tarvo::test::ScopedScriptedUi scripted;
    RegexMatch m;
    EXPECT_EQ(ExecuteRegex(*re, "abc", 0, m), RegexResult::Failed);
    EXPECT_EQ(tarvo::test::BoxTexts(scripted.ui), "Bad regular expression|");
    // An offset leading out of the program.
    re->program[0] = kRegexMagic;
    re->program[kRegexFirstNode + 1] = 0x7F;
    re->program[kRegexFirstNode + 2] = 0xFF;
    re->program[kRegexFirstNode] = kReNothing;
    EXPECT_EQ(ExecuteRegex(*re, "abc", 0, m), RegexResult::Failed);
}

TEST(RegexLimits, NestedRepetitionsEndWithoutGivingUp) {
    // Exponential for a plain backtracker; remembered failures make them a short walk.
    const std::string as(5000, 'a');
    const std::pair<const char*, const char*> cases[] = {
        {"(a|aa)*c", "5002-5003"},    {"(a+)+c", "none"},         {"(a|a)*c(a|aa)*d", "none"},
        {"(a*b|a*c)*d", "0-5002"},    {"(a|b|ab)*(c|d)", "0-5002"},    {"(aa|a)*(b|a)*e", "none"},
    };
    for (const auto& [pattern, expected] : cases) EXPECT_EQ(Find(pattern, as + "bdc"), expected) << pattern;
    EXPECT_EQ(Find("(a|aa)*b", as + "b"), "0-5001");
    EXPECT_EQ(Find("(a+)+b", std::string(60, 'a') + "cb"), "none");
}

TEST(RegexLimits, OneCharacterUnderAQuantifierIsACountingLoop) {
    Regex re;
    ASSERT_EQ(CompileRegexQuietly("ab*c", re), 0u);
    std::size_t piece = RegexNext(re, kRegexFirstNode + 3);  // after the "a"
    EXPECT_EQ(RegexOpAt(re, piece), kReStar);
    std::string line = "a" + std::string(3000000, 'b') + "c";
    EXPECT_EQ(Find("ab*c", line), "0-3000002");
    EXPECT_EQ(Find("ab+c", line), "0-3000002");
    EXPECT_EQ(Find("x*", line), "0-0");
    EXPECT_EQ(Find("b*c", line), "1-3000002");
    EXPECT_EQ(Find("ab?c", "xabcac"), "1-4");
    EXPECT_EQ(Find("ab?c", "xacab"), "1-3");
    // Starts inside a failed identifier are skipped, not lost.
    EXPECT_EQ(Find("[a-z_][a-z0-9_]* *= *[0-9]", "int total_value = x, count = 7;"), "21-30");
    EXPECT_EQ(Find("[a-z_][a-z0-9_]*=1", "abc=2 abc=1"), "6-11");
    EXPECT_EQ(Find("a[ab]*c", "aaaabab aabc"), "8-12");
}

TEST(RegexLimits, OrdinaryLongLinesNeverGiveUp) {
    // Repeated '.' over thousands of characters, with and without a match.
    std::string line;
    while (line.size() < 5709) line += "key = value; other_key = other value; ";
    EXPECT_EQ(Find("key.*value.*zzz", line), "none");
    EXPECT_EQ(Find("key.*value.*zzz", line + "zzz"), "0-" + std::to_string(line.size() + 3));
    std::string big;
    while (big.size() < 43000) big += "abracadabra cabbage ";
    EXPECT_EQ(Find("a.*b.*c", std::string(43000, 'a') + "b"), "none");
    EXPECT_EQ(Find("a.*b.*c.*z", big), "none");
    EXPECT_EQ(Find("a.*b.*c.*z", big + "z"), "0-" + std::to_string(big.size() + 1));
    EXPECT_EQ(Find("a.*b.*c.*g *$", big + "z"), "none");  // "g " at the very end, then "z"
    EXPECT_EQ(Find("(a|b)*c(a|b)*e", big), "none");
}

TEST(RegexLimits, LongLinesNeitherOverflowTheStackNorCrawl) {
    std::string line;
    for (int i = 0; i < 500000; ++i) line += "ab";
    line += "c";
    // Each pass of a group loop leaves an alternative behind: a million of them here.
    EXPECT_EQ(Find("(ab)*c", line), "0-1000001");
    EXPECT_EQ(Find("x(ab)*c", line), "none");  // the first character is never there
    RegexLimits small;
    small.backtrack = 1000;
    EXPECT_EQ(Find("(ab)*c", line, 0, small), "failed " + std::to_string(kMsgRegexTooComplex));
    std::string letters(1000000, 'q');
    EXPECT_EQ(Find("q*r", letters), "none");          // must-contain: never tried
    EXPECT_EQ(Find(".*q", letters), "0-1000000");     // one start is enough
    EXPECT_EQ(Find("qqqqr", letters + "r"), "999996-1000001");
    EXPECT_EQ(Find("[a-z]*r", letters + "r"), "0-1000001");
}

}  // namespace
}  // namespace tarvo::editor

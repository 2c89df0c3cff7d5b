// The regular-expression compiler and matcher: syntax, errors with their messages, the
// optimisation data, the matching rules, and the limits on pathological cases.
#include <gtest/gtest.h>

#include <string>

#include "editor/regex.h"
#include "editor/search_messages.h"
#include "scripted_ui.h"
#include "base/messages.h"

namespace tarvo::editor {
namespace {

// The whole match as "start-end", or "none"; "failed" after an error.
std::string Find(std::string_view pattern, std::string_view line, std::size_t from = 0) {
    Regex re;
    unsigned error = CompileRegexQuietly(pattern, re);
    if (error) return "compile error " + std::to_string(error);
    RegexMatch m;
    switch (ExecuteRegexQuietly(re, line, from, m, error)) {
        case RegexResult::Match:
            return std::to_string(m.start[0]) + "-" + std::to_string(m.end[0]);
        case RegexResult::NoMatch:
            return "none";
        default:
            return "failed " + std::to_string(error);
    }
}

unsigned CompileError(std::string_view pattern) {
    Regex re;
    return CompileRegexQuietly(pattern, re);
}

TEST(RegexCompile, EachErrorHasItsMessage) {
    struct Case {
        const char* pattern;
        unsigned message;
    } cases[] = {
        {"*a", kMsgRegexNothingBefore},
        {"a|+b", kMsgRegexNothingBefore},
        {"(?a)", kMsgRegexNothingBefore},
        {"(a*)*", kMsgRegexEmptyOperand},
        {"(a|)+", kMsgRegexEmptyOperand},
        {"(^)*", kMsgRegexEmptyOperand},
        {"a**", kMsgRegexBad},
        {"a+?", kMsgRegexBad},
        {"[z-a]", kMsgRegexBadRange},
        {"[b-a]", kMsgRegexBadRange},  // a reversed range is refused, not read as its first char
        {"((((((((((a))))))))))", kMsgRegexTooManyGroups},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", kMsgRegexTooManyGroups},
        {"ab\\", kMsgRegexTrailingBackslash},
        {"[abc", kMsgRegexMissingBracket},
        {"[]", kMsgRegexMissingBracket},
        {"(ab", kMsgRegexMismatchedParens},
        {"ab)", kMsgRegexMismatchedParens},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompileError(c.pattern), c.message) << c.pattern;
    }
    EXPECT_EQ(CompileError(std::string_view("a\0b", 3)), kMsgRegexBad);

    tarvo::test::ScopedScriptedUi scripted;
    EXPECT_EQ(CompileRegex("(a*)*"), nullptr);
    ASSERT_EQ(scripted.ui.boxes.size(), 1u);
    EXPECT_EQ(scripted.ui.boxes[0].text, "Operand of +? could be empty");
    EXPECT_EQ(scripted.ui.boxes[0].title, "Error");
}

TEST(RegexCompile, AcceptedPatterns) {
    for (const char* pattern : {"a*", "[]a]", "[a-]", "[^]a]", "[a-a]", "(((((((((a)))))))))", "(a)(b)(c)(d)(e)(f)(g)(h)(i)",
                                "a|", "", "(a?)?", "\\*+", "[*+?]", "a{2}]"}) {
        EXPECT_EQ(CompileError(pattern), 0u) << pattern;
    }
}

TEST(RegexCompile, ProgramLayoutAndOptimisationData) {
    Regex re;
    ASSERT_EQ(CompileRegexQuietly("abc", re), 0u);
    EXPECT_EQ(re.program[0], kRegexMagic);
    EXPECT_EQ(RegexOpAt(re, kRegexFirstNode), kReBranch);
    EXPECT_EQ(re.firstChar, 'a');
    EXPECT_FALSE(re.anchored);
    EXPECT_EQ(re.mustContain, "");

    ASSERT_EQ(CompileRegexQuietly("^ab", re), 0u);
    EXPECT_TRUE(re.anchored);
    EXPECT_EQ(re.firstChar, 0);

    // Beginning with a starred piece: the longest literal of the branch must occur.
    ASSERT_EQ(CompileRegexQuietly("x*ab[0-9]cdef(gh)", re), 0u);
    EXPECT_EQ(re.mustContain, "cdef");
    ASSERT_EQ(CompileRegexQuietly("y+abc", re), 0u);
    EXPECT_EQ(re.mustContain, "abc");
    // Several branches: no optimisation data at all.
    ASSERT_EQ(CompileRegexQuietly("abc|abd", re), 0u);
    EXPECT_EQ(re.firstChar, 0);
    EXPECT_EQ(re.mustContain, "");

    // Long patterns: a program of 32,767 bytes or more is refused.
    EXPECT_EQ(CompileError(std::string(30000, 'a')), 0u);
    EXPECT_EQ(CompileError(std::string(33000, 'a')), kMsgRegexBad);
    EXPECT_EQ(CompileError(std::string(9000, '.')), 0u);  // 3 bytes a node
    EXPECT_EQ(CompileError(std::string(11000, '.')), kMsgRegexBad);
}

TEST(RegexMatch, QuantifierTakesOnlyTheLastCharacterOfARun) {
    EXPECT_EQ(Find("ab*", "abbbc"), "0-4");
    EXPECT_EQ(Find("ab*", "ababab"), "0-2");
    EXPECT_EQ(Find("ab*", "bbb"), "none");
    EXPECT_EQ(Find("abc?d", "abd abcd"), "0-3");
    EXPECT_EQ(Find("ab+", "a abb"), "2-5");
}

TEST(RegexMatch, Sets) {
    EXPECT_EQ(Find("[]a]", "x]"), "1-2");
    EXPECT_EQ(Find("[]a]", "xa"), "1-2");
    EXPECT_EQ(Find("[]a]", "xb"), "none");
    EXPECT_EQ(Find("[a-]", "x-"), "1-2");
    EXPECT_EQ(Find("[a-]", "b"), "none");
    EXPECT_EQ(Find("[^a-y]", "abcz"), "3-4");
    EXPECT_EQ(Find("[0-9]+", "ab 1234 5"), "3-7");
    EXPECT_EQ(Find("[\xe0-\xef]", "ab\xe9"), "2-3");  // bytes above 127 are plain characters
    // A NUL in the line is an ordinary character that no set names.
    EXPECT_EQ(Find("[^x]", std::string_view("x\0", 2)), "1-2");
    EXPECT_EQ(Find("a.b", std::string_view("a\0b", 3)), "0-3");
}

TEST(RegexMatch, AlternativesGroupsAndAnchors) {
    EXPECT_EQ(Find("cat|dog", "hotdog cat"), "3-6");
    EXPECT_EQ(Find("(ab)+c", "xababc"), "1-6");
    EXPECT_EQ(Find("(a|b)*c", "abbac"), "0-5");
    EXPECT_EQ(Find("x(a|)?y", "xy"), "0-2");
    EXPECT_EQ(Find("^abc", "abc"), "0-3");
    EXPECT_EQ(Find("^abc", "xabc"), "none");
    EXPECT_EQ(Find("abc$", "abcabc"), "3-6");
    EXPECT_EQ(Find("$", "abc"), "3-3");
    EXPECT_EQ(Find("", "abc"), "0-0");
    EXPECT_EQ(Find("\\.\\*", "a.*b"), "1-3");
    EXPECT_EQ(Find(".*foo", "zz foo12bar foo"), "0-15");  // greedy
    EXPECT_EQ(Find("a.*", "xyz"), "none");

    Regex re;
    ASSERT_EQ(CompileRegexQuietly("(a+)(b*)(c)?", re), 0u);
    RegexMatch m;
    unsigned error = 0;
    ASSERT_EQ(ExecuteRegexQuietly(re, "xaabd", 0, m, error), RegexResult::Match);
    EXPECT_EQ(m.start[1], 1);
    EXPECT_EQ(m.end[1], 3);
    EXPECT_EQ(m.start[2], 3);
    EXPECT_EQ(m.end[2], 4);
    EXPECT_EQ(m.start[3], -1);  // took no part
    // A repeated group keeps its last pass; a failed alternative leaves no trace.
    ASSERT_EQ(CompileRegexQuietly("((a)|b)+", re), 0u);
    ASSERT_EQ(ExecuteRegexQuietly(re, "aab", 0, m, error), RegexResult::Match);
    EXPECT_EQ(m.end[0], 3);
    EXPECT_EQ(m.start[1], 2);
    EXPECT_EQ(m.start[2], 1);
    EXPECT_EQ(m.end[2], 2);
}

TEST(RegexMatch, StartColumn) {
    EXPECT_EQ(Find("ab", "abab", 1), "2-4");
    EXPECT_EQ(Find("ab", "abab", 3), "none");
    EXPECT_EQ(Find("b*", "abab", 4), "4-4");
    EXPECT_EQ(Find("b", "abab", 9), "none");
    // '^' belongs to the line, not to where the search resumes in it.
    EXPECT_EQ(Find("^x", "xxx", 1), "none");
    EXPECT_EQ(Find(".*b", "abab", 1), "1-4");
}

TEST(RegexMatch, CorruptProgramIsRefusedWithAMessage) {
    auto re = CompileRegex("abc");
    ASSERT_NE(re, nullptr);
    re->program[0] = 'T';
    tarvo::test::ScopedScriptedUi scripted;
    RegexMatch m;
    EXPECT_EQ(ExecuteRegex(*re, "abc", 0, m), RegexResult::Failed);
    ASSERT_EQ(scripted.ui.boxes.size(), 1u);
    EXPECT_EQ(scripted.ui.boxes[0].text, "Bad regular expression");
    // An offset leading out of the program.
    re->program[0] = kRegexMagic;
    re->program[kRegexFirstNode + 1] = 0x7F;
    re->program[kRegexFirstNode + 2] = 0xFF;
    re->program[kRegexFirstNode] = kReNothing;
    EXPECT_EQ(ExecuteRegex(*re, "abc", 0, m), RegexResult::Failed);
}

TEST(RegexLimits, PathologicalPatternsFailWithAMessageInsteadOfRunningOn) {
    tarvo::test::ScopedScriptedUi scripted;
    std::string line = std::string(60, 'a') + "cb";
    RegexLimits limits;  // the default bound costs a fraction of a second optimised; less here
    limits.steps = 2'000'000;
    for (const char* pattern : {"(a|aa)*b", "(a+)+b"}) {
        auto re = CompileRegex(pattern);
        ASSERT_NE(re, nullptr) << pattern;
        RegexMatch m;
        EXPECT_EQ(ExecuteRegex(*re, line, 0, m, limits), RegexResult::Failed) << pattern;
    }
    ASSERT_EQ(scripted.ui.boxes.size(), 2u);
    EXPECT_EQ(scripted.ui.boxes[0].text, "Regular expression too complex");
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
    Regex re;
    ASSERT_EQ(CompileRegexQuietly("(ab)*c", re), 0u);
    RegexMatch m;
    unsigned error = 0;
    EXPECT_EQ(ExecuteRegexQuietly(re, line, 0, m, error, small), RegexResult::Failed);
    EXPECT_EQ(error, kMsgRegexTooComplex);

    std::string letters(1000000, 'q');
    EXPECT_EQ(Find("q*r", letters), "none");          // must-contain: never tried
    EXPECT_EQ(Find(".*q", letters), "0-1000000");     // one start is enough
    EXPECT_EQ(Find("qqqqr", letters + "r"), "999996-1000001");
    EXPECT_EQ(Find("[a-z]*r", letters + "r"), "0-1000001");
}

}  // namespace
}  // namespace tarvo::editor

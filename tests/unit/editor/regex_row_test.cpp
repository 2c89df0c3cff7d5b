// Patterns kept as a row of one-character pieces are matched by a short walk instead of the
// node program, and looked for across the lines of the load block: both must give exactly what
// the node program gives, on random rows and lines, at line starts and ends, on empty lines,
// with overlapping candidates and with runs long enough to send the walk back to the program.
#include <random>

#include "editor/search.h"
#include "editor/search_state.h"
#include "editor/text_scan.h"
#include "editor_test_util.h"
#include "search_test_util.h"

namespace tarvo::editor {
namespace {

// "start-end" or "none" for the leftmost match from `from`.
std::string Outcome(const Regex& re, std::string_view line, std::size_t from) {
    RegexMatch m;
    unsigned error = 0;
    RegexResult r = ExecuteRegexQuietly(re, line, from, m, error);
    if (r == RegexResult::Failed) return "failed";
    for (int g = 1; g < kRegexGroups; ++g)
        if (m.start[g] != -1 || m.end[g] != -1) return "group set";
    return r == RegexResult::Match ? std::to_string(m.start[0]) + "-" + std::to_string(m.end[0]) : "none";
}

// The same pattern without its row: only the node program decides.
Regex ProgramOnly(const Regex& re) {
    Regex plain = re;
    plain.pieceTable.clear();
    plain.pieceLoop.clear();
    return plain;
}

std::string RandomRow(std::mt19937& random) {
    static const std::vector<std::string> atoms = {"a", "b", "c", ".", "[ab]", "[^a]", "[a-c]", "\\*", "ab", "ca"};
    std::string pattern = random() % 5 == 0 ? "^" : "";
    for (int n = 1 + static_cast<int>(random() % 5); n > 0; --n) {
        pattern += atoms[random() % atoms.size()];
        switch (random() % 4) {
            case 0: pattern += "*"; break;
            case 1: pattern += "+"; break;
            default: break;
        }
    }
    if (random() % 5 == 0) pattern += "$";
    return pattern;
}

TEST(RegexRow, WhatIsKeptAsARow) {
    Regex re;
    ASSERT_EQ(CompileRegexQuietly("^ab*[^x]$", re), 0u);
    EXPECT_EQ(re.pieceLoop, (std::vector<std::uint8_t>{0, 1, 0}));
    EXPECT_TRUE(re.rowAtEnd && re.pieceTable[2 * 256 + 0]);  // a NUL in the line is not an x
    const std::string longRow = std::string(300, 'q') + "x*";  // more pieces than a row keeps
    for (const std::string& other : {std::string("(ab)c"), std::string("a|b"), std::string("a?b"), std::string("a$b"), longRow}) {
        ASSERT_EQ(CompileRegexQuietly(other, re), 0u) << other;
        EXPECT_TRUE(re.pieceLoop.empty()) << other;
    }
    EXPECT_EQ(Outcome(re, "a" + longRow, 0), "1-302");  // the program alone: 300 q and the x
}

TEST(RegexRow, RandomRowsAgreeWithTheProgram) {
    std::mt19937 random(20261207);
    int rows = 0, matched = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string pattern = RandomRow(random);
        Regex re;
        ASSERT_EQ(CompileRegexQuietly(pattern, re), 0u) << pattern;
        if (re.pieceLoop.empty()) continue;
        ++rows;
        Regex plain = ProgramOnly(re);
        for (int k = 0; k < 8; ++k) {
            std::string line;
            for (int n = static_cast<int>(random() % 14); n > 0; --n) line += "abc*x\0"[random() % 6];
            std::size_t from = random() % 3 == 0 ? random() % (line.size() + 2) : 0;
            std::string ours = Outcome(re, line, from);
            matched += ours != "none";
            ASSERT_EQ(ours, Outcome(plain, line, from)) << pattern << " on \"" << line << "\" from " << from;
        }
    }
    EXPECT_GT(rows, 2500);
    EXPECT_GT(matched, 4000);
}

// Long runs given back over and over are more than the short walk takes on: the node program
// finishes the line, with the same answer.
TEST(RegexRow, LongRunsGoToTheProgram) {
    const std::string runs = std::string(5000, 'a') + "b" + std::string(3000, 'a');
    for (const char* pattern : {"a*a*a*c", "a+a+b", "[ab]*a*ab$", ".*a*c", "a*b+a*$", "a[ab]*ba"}) {
        Regex re;
        ASSERT_EQ(CompileRegexQuietly(pattern, re), 0u) << pattern;
        ASSERT_FALSE(re.pieceLoop.empty()) << pattern;
        EXPECT_EQ(Outcome(re, runs, 0), Outcome(ProgramOnly(re), runs, 0)) << pattern;
        EXPECT_EQ(Outcome(re, runs, 4999), Outcome(ProgramOnly(re), runs, 4999)) << pattern;
    }
    std::size_t start = 0, end = 0;
    Regex re;
    ASSERT_EQ(CompileRegexQuietly("a*a*a*c", re), 0u);
    EXPECT_EQ(MatchRow(re, runs, 0, start, end), RegexResult::Failed);  // handed on, not guessed
}

class RegexRowSearch : public test::EditorTest {};

// Find Next over a document gives, line by line, what the pattern gives on each line alone,
// for rows looked for across the lines: candidates that run from one line into the next,
// matches at the very start and end of lines, empty lines, lines edited out of the block.
TEST_F(RegexRowSearch, FindNextAgreesWithEachLineTriedAlone) {
    std::mt19937 random(99);
    std::string file;
    for (int i = 0; i < 300; ++i) {
        std::string line;
        for (int n = static_cast<int>(random() % 9); n > 0; --n) line += "abc*"[random() % 4];
        file += line + (random() % 2 ? "\r\n" : "\n");
    }
    Document& doc = Open(file, "row.c");
    for (int step = 0; step < 40; ++step) {
        SetCursor({1 + static_cast<long>(random() % doc.lineCount), static_cast<long>(random() % 4)});
        test::Type(random() % 2 ? "ab" : "ca");
    }
    int searched = 0;
    for (int round = 0; round < 300; ++round) {
        std::string pattern = RandomRow(random);
        if (pattern[0] == '^' || pattern.find_first_of("abc\\") != 0) pattern = "a" + pattern;  // begins with a literal
        if (pattern[1] == '*' || pattern[1] == '+' || pattern[1] == '^') continue;
        Regex re;
        ASSERT_EQ(CompileRegexQuietly(pattern, re), 0u) << pattern;
        if (re.pieceLoop.empty() || re.prefix.text.empty()) continue;
        ++searched;
        std::string expected = test::EachLineMatches(doc, ProgramOnly(re));
        std::string found = test::FindNextStops(doc, pattern);
        ASSERT_EQ(found, expected) << pattern;
    }
    EXPECT_GT(searched, 150);
}

TEST_F(RegexRowSearch, PlacesAcrossLineEndsAndFromAColumn) {
    Document& doc = Open("xa\nbbc\n\nab\nzabbbc", "edge.c");
    Regex re;
    ASSERT_EQ(CompileRegexQuietly("ab*c", re), 0u);
    Line* first = doc.lines->next;
    std::size_t at = 99;
    // "a" ends the first line and "bbc" fills the second: read across, they look like a match,
    // so the first line is offered (and the line search then finds none in it)...
    EXPECT_EQ(NextLineWithRowStart(doc, first, 0, re, doc.lines, &at), first);
    EXPECT_EQ(at, 1u);
    EXPECT_EQ(Outcome(re, LineText(*first), at), "none");
    // ...while from column 2 of it, or from the next line on, the one real match is found.
    Line* last = doc.lines->prev;
    EXPECT_EQ(NextLineWithRowStart(doc, first, 2, re, doc.lines, &at), last);
    EXPECT_EQ(at, 1u);
    EXPECT_EQ(NextLineWithRowStart(doc, last, 2, re, doc.lines, &at), doc.lines);  // past it

    // The search itself steps over the false place and finds the real match.
    searchState().flags = kFindCurrentWindow | kFindRegex | kFindForwards;
    SetSearchText("ab*c");
    Hit hit;
    ASSERT_EQ(SearchDocument(doc, first, 0, false, false, hit), LineSearch::Found);
    EXPECT_EQ(hit.line, last);
    EXPECT_EQ(hit.match.start, 1);
    EXPECT_EQ(hit.match.length, 5);
}

}  // namespace
}  // namespace tarvo::editor

// Reading files into lines back to back in one block, and searching many lines at once: the
// literal finder against the standard library's, and the search across the load block against
// a search of each line on its own, on documents whose lines were edited, cut short in place,
// split, joined and read from a second file.
#include <random>

#include "editor/edit.h"
#include "editor/search.h"
#include "editor/search_state.h"
#include "editor/text_scan.h"
#include "platform/text.h"
#include "editor_test_util.h"
#include "search_test_util.h"

namespace tarvo::editor {
namespace {

std::string TextOfLineIn(const Document& doc, long n) {
    Line* line = LineAtNumber(doc, n);
    return line ? std::string(LineText(*line)) : "past the end";
}

// Random texts of a few characters and literals in them: the needle finds what the standard
// find finds, in the text as it stands or, when folding, in both upper-cased.
void FindsAsTheStandardFind(unsigned seed, const std::string& alphabet, bool fold) {
    std::mt19937 random(seed);
    auto text = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 4000; ++round) {
        std::string haystack = text(random() % 90);
        // Lengths on both sides of the word sizes the comparison uses; some copied with one
        // character changed, so near misses differ at every place.
        std::string literal = random() % 3 == 0 || haystack.empty()
                                  ? text(1 + random() % 5)
                                  : haystack.substr(random() % haystack.size(), 1 + random() % 20);
        if (random() % 4 == 0) literal[random() % literal.size()] = alphabet[random() % alphabet.size()];
        RegexNeedle needle;
        needle.Set(literal, fold);
        std::size_t from = random() % (haystack.size() + 2);
        const std::size_t expected = fold ? std::string_view(Upper(haystack)).find(Upper(literal), from)
                                          : std::string_view(haystack).find(literal, from);
        ASSERT_EQ(needle.Find(haystack, from), expected) << '"' << haystack << "\" \"" << literal << "\" from " << from;
    }
}

TEST(Needle, FindsWhatTheStandardFindFinds) {
    FindsAsTheStandardFind(11, "aab\tzq\r;x", false);
    // At the very end of a long text, after many near misses of the rare characters.
    std::string line(100000, 'z');
    line += "zq";
    RegexNeedle needle;
    needle.Set("zq");
    EXPECT_EQ(needle.Find(line, 0), 100000u);
    EXPECT_EQ(needle.Find(line, 100001), std::string_view::npos);
}

// Ignoring case, characters other than ASCII letters that differ from another only in the case
// bit ('@' and '`', '[' and '{', bytes above 127) stay apart.
TEST(Needle, FoldedFindsWhatUpperCaseFinds) { FindsAsTheStandardFind(12, "aAbBzZq@`[{\xC1\xE1 \n", true); }

using LineReader = test::EditorTest;

// The file is read a megabyte at a time: a CR LF split between two pieces, a line longer than a
// piece, a last line without a line end and a last CR all come out as they would whole.
TEST_F(LineReader, LinesAcrossThePiecesOfTheFile) {
    const std::size_t piece = std::size_t{1} << 20;
    std::string file(piece - 4, 'a');
    file += "xy\r\n";                                 // the LF is the first byte of the second piece
    file += "\r\n\n" + std::string(piece + 10, 'b') + "\n";  // empty lines, then one longer than a piece
    file += "tail\r";
    test::WriteBytes(dir / "p.c", file);
    Document* doc = OpenDocument(dir / "p.c");
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->lineCount, 5);
    EXPECT_EQ(TextOfLineIn(*doc, 1), std::string(piece - 4, 'a') + "xy");
    EXPECT_EQ(TextOfLineIn(*doc, 2), "");
    EXPECT_EQ(TextOfLineIn(*doc, 3), "");
    EXPECT_EQ(TextOfLineIn(*doc, 4), std::string(piece + 10, 'b'));
    EXPECT_EQ(TextOfLineIn(*doc, 5), "tail");
    ASSERT_EQ(doc->blocks.size(), 1u);
    EXPECT_EQ(doc->blocks[0].size, file.size() - 7);  // the line ends are left out
}

// A file found longer than its size said (it grew while being read) goes on in further blocks.
TEST_F(LineReader, AFileLongerThanItsSizeSaid) {
    std::string small = "one\n", grown;
    for (int i = 0; i < 3000; ++i) grown += "line " + std::to_string(i) + "\r\n";
    test::WriteBytes(dir / "s.c", small);
    test::WriteBytes(dir / "g.c", grown);
    static std::string longer;
    longer = dir / "g.c";
    platform::FileOps ops = platform::fileOps();
    ops.open = [](const char*, const char* mode) { return std::fopen(longer.c_str(), mode); };
    platform::setFileOps(ops);
    Document* doc = OpenDocument(dir / "s.c");
    platform::resetFileOps();
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->lineCount, 3000);
    EXPECT_GT(doc->blocks.size(), 1u);
    long n = 0;
    for (Line* l = doc->lines->next; l != doc->lines; l = l->next, ++n)
        ASSERT_EQ(LineText(*l), "line " + std::to_string(n));
    RegexNeedle needle;
    needle.Set("line 2999");
    EXPECT_EQ(NextLineHolding(*doc, doc->lines->next, 0, needle, doc->lines), doc->lines->prev);
}

class TextScan : public test::EditorTest {
protected:
    // The first line from `line` (from `column` in it) before `stop` holding `literal`, line by
    // line.
    static Line* OneByOne(const Document& doc, Line* line, std::size_t column, const std::string& literal, const Line* stop) {
        for (; line != stop && line != doc.lines; line = line->next, column = 0)
            if (column <= line->length && LineText(*line).find(literal, column) != std::string_view::npos) return line;
        return line;
    }
    static long Number(const Document& doc, const Line* line) { return LineIndex(doc, const_cast<Line*>(line)); }
};

TEST_F(TextScan, TheEdgesOfTheLoadBlock) {
    Document& doc = Open("key first\r\nmiddle\nno k-e-y\r\nlast key", "e.c");
    RegexNeedle key;
    key.Set("key");
    Line* first = doc.lines->next;
    EXPECT_EQ(NextLineHolding(doc, first, 0, key, doc.lines), first);              // the block's first bytes
    EXPECT_EQ(Number(doc, NextLineHolding(doc, first, 1, key, doc.lines)), 4);     // past the first: the last
    Line* third = first->next->next;
    EXPECT_EQ(NextLineHolding(doc, first, 1, key, third), third);  // stopped before
    EXPECT_EQ(NextLineHolding(doc, doc.lines->prev, 6, key, doc.lines), doc.lines);  // the block's last bytes
    // Lines lie back to back in the block, line ends left out: the end of one line and the
    // start of the next never make a match together.
    RegexNeedle across;
    across.Set("firstmid");
    EXPECT_EQ(NextLineHolding(doc, first, 0, across, doc.lines), doc.lines);
    across.Set("leno");
    EXPECT_EQ(NextLineHolding(doc, first, 0, across, doc.lines), doc.lines);
    across.Set("first\r");
    EXPECT_EQ(NextLineHolding(doc, first, 0, across, doc.lines), doc.lines);
    // A line cut short in place keeps its old characters in the block: they are not its text.
    TruncateText(*first, 3);
    EXPECT_EQ(Number(doc, NextLineHolding(doc, first, 0, key, doc.lines)), 1);
    TruncateText(*first, 2);
    EXPECT_EQ(Number(doc, NextLineHolding(doc, first, 0, key, doc.lines)), 4);
    RegexNeedle gone;
    gone.Set("first");
    EXPECT_EQ(NextLineHolding(doc, first, 0, gone, doc.lines), doc.lines);
}

// Random edits of every kind, then random searches from random places: the search across the
// block and the search of each line agree.
TEST_F(TextScan, AgreesWithALineByLineSearchAfterEdits) {
    std::mt19937 random(5);
    const std::string alphabet = "abk\t ";
    auto words = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += alphabet[random() % alphabet.size()];
        return s;
    };
    std::string file, inserted;
    for (int i = 0; i < 300; ++i) file += words(random() % 12) + (random() % 2 ? "\r\n" : "\n");
    file += words(5);  // no line end at the end
    for (int i = 0; i < 40; ++i) inserted += words(random() % 9) + "\n";
    test::WriteBytes(dir / "more.c", inserted);
    Document& doc = Open(file, "r.c");
    for (int step = 0; step < 400; ++step) {
        long lines = doc.lineCount;
        SetCursor({1 + static_cast<long>(random() % lines), static_cast<long>(random() % 8)});
        switch (random() % 6) {
            case 0: test::Type(words(1 + random() % 3)); break;
            case 1: test::Type("\n"); break;
            case 2: KeyDelete(1, 1 + random() % 3); break;  // joins lines at their ends
            case 3: SaveCurrentDocument(); break;  // cuts trailing blanks off lines in place
            case 4: if (step % 50 == 0) InsertFileAtCursor(dir / "more.c"); break;
            case 5: Undo(); break;
        }
        for (int probe = 0; probe < 4; ++probe) {
            std::string literal = words(1 + random() % 3);
            RegexNeedle needle;
            needle.Set(literal);
            Line* from = LineAtNumber(doc, 1 + static_cast<long>(random() % doc.lineCount));
            Line* stop = random() % 3 ? doc.lines : LineAtNumber(doc, 1 + static_cast<long>(random() % doc.lineCount));
            std::size_t column = random() % 6;
            ASSERT_EQ(Number(doc, NextLineHolding(doc, from, column, needle, stop)),
                      Number(doc, OneByOne(doc, from, column, literal, stop)))
                << "step " << step << " \"" << literal << "\" from line " << Number(doc, from) << " column " << column;
        }
    }
}

// Find Next from the top to the end finds what trying the pattern on each line finds, with the
// same columns, whichever shortcut the pattern allows (one literal, a literal written in pieces,
// a literal at the start or end of the line, a literal inside a larger pattern, none at all).
TEST_F(TextScan, FindNextAgreesWithEachLineTriedAlone) {
    std::mt19937 random(3);
    const std::string alphabet = "ab[]+; e\t";
    std::string file;
    for (int i = 0; i < 400; ++i) {
        std::string line;
        for (int n = random() % 10; n > 0; --n) line += alphabet[random() % alphabet.size()];
        file += line + (random() % 2 ? "\r\n" : "\n");
    }
    Document& doc = Open(file, "f.c");
    for (int step = 0; step < 60; ++step) {  // some lines edited, so not all lie in the block
        SetCursor({1 + static_cast<long>(random() % doc.lineCount), static_cast<long>(random() % 4)});
        test::Type(random() % 2 ? "b;" : "[a]");
    }
    for (const char* pattern : {"ab", "a\\[b", "\\+;", "^b", "^a\\]", ";$", "b;$", "^;$", "a[b;]+e", "(a|;)b", "e*;", "^"}) {
        Regex re;
        ASSERT_EQ(CompileRegexQuietly(pattern, re), 0u) << pattern;
        std::string expected = test::EachLineMatches(doc, re);
        std::string found = test::FindNextStops(doc, pattern);
        EXPECT_EQ(found, expected) << pattern;
    }
    // What the compiler tells the search about them.
    Regex re;
    ASSERT_EQ(CompileRegexQuietly("table\\[i\\]", re), 0u);
    EXPECT_TRUE(re.literalOnly);
    EXPECT_EQ(re.prefix.text, "table[i]");
    ASSERT_EQ(CompileRegexQuietly("^st[a]tic", re), 0u);
    EXPECT_EQ(re.lineStart, "st");
    EXPECT_FALSE(re.edgeOnly);
    ASSERT_EQ(CompileRegexQuietly("^st\\[", re), 0u);
    EXPECT_TRUE(re.edgeOnly);
    ASSERT_EQ(CompileRegexQuietly("x*el\\.se$", re), 0u);
    EXPECT_EQ(re.lineEnd, "el.se");
    EXPECT_EQ(re.mustContain, "se");  // the longest single piece, the last of equals, as before
}

}  // namespace
}  // namespace tarvo::editor

// Searching many lines at once: the literal finder against the standard library's, and the
// search across the load block against a search of each line on its own, on documents whose
// lines were edited, cut short in place, split, joined and read from a second file.
#include <random>

#include "editor/edit.h"
#include "editor/search.h"
#include "editor/text_scan.h"
#include "editor_test_util.h"

namespace tarvo::editor {
namespace {

TEST(Needle, FindsWhatTheStandardFindFinds) {
    std::mt19937 random(11);
    const std::string alphabet = "aab\tzq\r;x";
    auto text = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 4000; ++round) {
        std::string haystack = text(random() % 90);
        std::string literal = random() % 3 == 0 || haystack.empty()
                                  ? text(1 + random() % 5)
                                  : haystack.substr(random() % haystack.size(), 1 + random() % 6);
        RegexNeedle needle;
        needle.Set(literal);
        std::size_t from = random() % (haystack.size() + 2);
        ASSERT_EQ(needle.Find(haystack, from), std::string_view(haystack).find(literal, from))
            << '"' << haystack << "\" \"" << literal << "\" from " << from;
    }
    // At the very end of a long text, after many near misses of the rare characters.
    std::string line(100000, 'z');
    line += "zq";
    RegexNeedle needle;
    needle.Set("zq");
    EXPECT_EQ(needle.Find(line, 0), 100000u);
    EXPECT_EQ(needle.Find(line, 100001), std::string_view::npos);
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
    EXPECT_EQ(NextLineHolding(doc, first, 1, key, first->next->next), first->next->next);  // stopped before
    EXPECT_EQ(NextLineHolding(doc, doc.lines->prev, 6, key, doc.lines), doc.lines);  // the block's last bytes
    // A line end never joins the end of one line to the start of the next.
    RegexNeedle across;
    across.Set("first\r\nmid");
    EXPECT_EQ(NextLineHolding(doc, first, 0, across, doc.lines), doc.lines);
    across.Set("e\nno");
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

}  // namespace
}  // namespace tarvo::editor

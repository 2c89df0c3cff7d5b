// The display's portable part: row filling, colour runs, the comment map kept in step with
// edits, keeping the cursor in view, the rows an update redraws, and the scroll bar.
#include <random>

#include "editor/comments.h"
#include "editor/edit.h"
#include "editor/language.h"
#include "editor/replace.h"
#include "editor/rows.h"
#include "editor/screen.h"
#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

// Runs as "ink@start-end" for compact comparisons; T text, K keyword, C comment, I inactive,
// B breakpoint, F Fortran mark.
std::string Describe(const std::vector<InkRun>& runs) {
    std::string out;
    for (const InkRun& r : runs) {
        if (!out.empty()) out += ' ';
        out += "TKCIBF"[static_cast<int>(r.ink)];
        out += "@" + std::to_string(r.start) + "-" + std::to_string(r.end);
    }
    return out;
}

class Display : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        InstallBuiltInLanguages();
        BuildLanguages();
        editor().seam.chooseLanguage = ChooseLanguageForDocument;
        display() = DisplayState{};
    }
    void TearDown() override {
        display() = DisplayState{};
        EditorTest::TearDown();
    }
    // The runs of a line as the display colours it, comments taken from `comments`.
    std::string Colour(std::string_view text, const char* file, const LineComments* comments = nullptr,
                       std::uint8_t marks = 0, bool margin = false) {
        std::vector<long> columns;
        FillRow(text, TabWidth(), &columns);
        RowStyle style{LanguageForFile(file), true, margin};
        return Describe(ColourRow(text, columns, marks, comments, style));
    }
    // The comment spans of every line, as "n:start-end" and "n:+" for a block still open.
    std::string Map(Document& doc) {
        std::string out;
        long n = 1;
        for (Line* l = doc.lines->next; l != doc.lines; l = l->next, ++n)
            if (std::optional<LineComments> c = CommentsOfLine(doc, l)) {
                for (const CommentSpan& s : c->spans) out += std::to_string(n) + ":" + std::to_string(s.start) + "-" + std::to_string(s.end) + " ";
                if (c->endState) out += std::to_string(n) + ":+ ";
            }
        return out;
    }
    std::string FreshMap(Document& doc) {
        doc.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
        return Map(doc);
    }
};

TEST_F(Display, FillingARowExpandsTabsToTheNextStop) {
    std::vector<long> columns;
    EXPECT_EQ(FillRow("abc\tx", 8, &columns), "abc     x");  // a tab at column 3: five blanks
    EXPECT_EQ(columns, (std::vector<long>{0, 1, 2, 3, 8, 9}));
    EXPECT_EQ(FillRow("\t\ty", 4), "        y");
    EXPECT_EQ(FillRow("abcd\t", 4), "abcd    ");  // on a stop: a whole tab width
    EXPECT_EQ(FillRow("", 8, &columns), "");
    EXPECT_EQ(columns, (std::vector<long>{0}));
    // Long lines are kept whole: the window scrolls sideways over them.
    EXPECT_EQ(FillRow(std::string(2000, 'x'), 8).size(), 2000u);
}

TEST_F(Display, ColourRunsOfKeywordsDirectivesQuotedTextAndMarks) {
    LineComments comment{{{7, 14}}, 0};
    EXPECT_EQ(Colour("int x; /* n */", "a.c", &comment), "K@0-3 T@3-7 C@7-14");
    EXPECT_EQ(Colour("  # include <stdio.h>", "a.c"), "T@0-2 K@2-11 T@11-21");
    EXPECT_EQ(Colour("#define N int", "a.c"), "K@0-7 T@7-13");         // the rest of a directive is plain
    EXPECT_EQ(Colour("#pragmatic", "a.c"), "T@0-10");                    // not a directive word
    EXPECT_EQ(Colour("puts(\"int \\\" for\"); return", "a.c"), "T@0-20 K@20-26");
    EXPECT_EQ(Colour("\tint\tx;", "a.c"), "T@0-4 K@4-7 T@7-10");         // runs in display columns
    EXPECT_EQ(Colour("interior integer", "a.c"), "T@0-16");              // only whole words
    // Marks override colours; Fortran and Pascal have rules of their own.
    EXPECT_EQ(Colour("int x;", "a.c", nullptr, kMarkInactive), "I@0-6");
    EXPECT_EQ(Colour("int x;", "a.c", nullptr, kMarkBreakpoint), "B@0-6");
    EXPECT_EQ(Colour("int x;", "a.c", nullptr, kMarkBreakpoint, true), "K@0-3 T@3-6");  // shown in the margin
    EXPECT_EQ(MarginMark(kMarkBreakpoint, true), 1);
    EXPECT_EQ(MarginMark(kMarkBreakpoint, false), 0);
    EXPECT_EQ(MarginMark(kMarkDebugB | kMarkDebugA, false), 2);
    EXPECT_EQ(Colour("     &x = 1", "a.f"), "T@0-5 F@5-6 T@6-11");     // the continuation mark
    EXPECT_EQ(Colour("      x = 1", "a.f"), "T@0-11");                  // six blanks: none
    EXPECT_EQ(Colour("if (a .gt. b) then", "a.f"), "K@0-2 T@2-6 K@6-10 T@10-14 K@14-18");
    EXPECT_EQ(Colour("BEGIN x END", "a.pas"), "T@0-11");  // Pascal keywords are lower case words here
    EXPECT_EQ(Colour("begin x end", "a.pas"), "K@0-5 T@5-8 K@8-11");
}

TEST_F(Display, CommentSpansOfEachLanguage) {
    auto spans = [](std::string_view text, const char* file, int state = 0) {
        LineComments c = ScanCommentLine(text, SyntaxOf(LanguageForFile(file)), state);
        std::string out;
        for (const CommentSpan& s : c.spans) out += std::to_string(s.start) + "-" + std::to_string(s.end) + " ";
        return out + "end" + std::to_string(c.endState);
    };
    EXPECT_EQ(spans("a /* b */ c // d", "x.c"), "2-9 12-16 end0");
    EXPECT_EQ(spans("s = \"/* no */\"; /* yes", "x.c"), "16-22 end1");
    EXPECT_EQ(spans("still */ x", "x.c", 1), "0-8 end0");
    EXPECT_EQ(spans("c = '\"'; /**/", "x.c"), "9-13 end0");
    EXPECT_EQ(spans("{ a } (* b *) { c", "x.pas"), "0-5 6-13 14-17 end1");
    EXPECT_EQ(spans("x) *) y", "x.pas", 2), "0-5 end0");
    EXPECT_EQ(spans("do -- note", "x.e"), "3-10 end0");
    EXPECT_EQ(spans("C whole line", "x.f"), "0-12 end0");
    EXPECT_EQ(spans("  x = 1 ! note", "x.f"), "8-14 end0");
    EXPECT_EQ(spans("mov ax, ';' ; note", "x.asm"), "12-18 end0");
}

// Any edit keeps the map as a fresh build makes it (the random test below); these are what a
// fresh build makes of a comment opened, closed, taken away, and made by joining lines.
TEST_F(Display, TheCommentMapFollowsTypingAndJoining) {
    Document& doc = Open("int a;\nint b;\nint c;\nint d;\n", "m.c");
    EXPECT_EQ(Map(doc), "");
    SetCursor({2, 0});
    Type("/*");
    EXPECT_EQ(Map(doc), "2:0-8 2:+ 3:0-6 3:+ 4:0-6 4:+ ");  // open to the end
    SetCursor({3, 6});
    Type("*/");
    EXPECT_EQ(Map(doc), "2:0-8 2:+ 3:0-8 ");
    SetCursor({2, 0});
    KeyDelete(1, 1);  // "*int b;": the comment is gone
    EXPECT_EQ(Map(doc), "");
    // Joining "x /" and "* y" makes a comment that runs on below.
    SetCursor({1, 6});
    Type(" /\n*");
    EXPECT_EQ(Map(doc), "");
    SetCursor({2, 0});
    HandleCharacter(1, 8, 1, false);
    EXPECT_EQ(Map(doc), "1:7-9 1:+ 2:0-7 2:+ 3:0-8 ");  // up to the "*/" of line 3
}

// A replace-all touches every line before the map is next brought up to date: each edit's
// bookkeeping stays small, and the map still comes out as a fresh build.
TEST_F(Display, AReplaceAllKeepsTheMapsBookkeepingSmall) {
    std::string text;
    for (int i = 0; i < 12000; ++i) text += i % 3 ? "int e; /* here */\n" : "e /* open\n";
    text += "*/\n";
    Document& doc = Open(text, "big.c");
    std::string before = Map(doc);
    ReplaceRequest r;
    r.text = "e";
    r.replacement = "ee";
    r.matchCase = true;
    r.confirm = false;
    SetCursor({1, 0});
    ASSERT_TRUE(Replace(r));
    ASSERT_TRUE(doc.comments);
    EXPECT_LE(doc.comments->dirty.size(), 1024u + static_cast<std::size_t>(doc.lineCount) / 32);
    std::string after = Map(doc);
    EXPECT_TRUE(after != before);  // the comments moved right
    EXPECT_TRUE(after == FreshMap(doc));
    // A few edits are kept line by line, each line once.
    SetCursor({2, 0});
    for (int i = 0; i < 5; ++i) Type("/");
    EXPECT_EQ(doc.comments->dirty.size(), 1u);
    EXPECT_TRUE(Map(doc) == FreshMap(doc));
}

// The comments of every line as a scan of the whole text from the top makes them, as Map
// shows them, without the document's map.
std::string Reference(const Document& doc, long only = 0) {
    std::string out;
    CommentSyntax syntax = SyntaxOf(doc.language);
    int state = 0;
    long n = 1;
    for (Line* l = doc.lines->next; l != doc.lines; l = l->next, ++n) {
        LineComments c = ScanCommentLine(LineText(*l), syntax, state);
        state = c.endState;
        if (only && n != only) continue;
        for (const CommentSpan& s : c.spans) out += std::to_string(n) + ":" + std::to_string(s.start) + "-" + std::to_string(s.end) + " ";
        if (c.endState) out += std::to_string(n) + ":+ ";
    }
    return out;
}

// Any sequence of edits leaves the map as a fresh build would make it, whichever lines were
// asked for in between (the lines below them not scanned yet).
TEST_F(Display, TheKeptMapAlwaysEqualsAFreshOne) {
    Document& doc = Open("int a; /* x\n y */ int b;\n\"/*\" c\n// d\n e\n", "r.c");
    std::mt19937 random(7);
    const std::string pieces[] = {"/", "*", "\"", "\n", "x", "//", "*/", "/*"};
    for (int step = 0; step < 1500; ++step) {
        long line = static_cast<long>(random() % static_cast<unsigned>(std::max(doc.lineCount, 1L))) + 1;
        long column = static_cast<long>(random() % 12);
        SetCursor({line, column});
        if (random() % 4 == 0) {
            SetCursor({line, 0});  // joins with the line above
            HandleCharacter(1, 8, 1, false);
        } else if (random() % 3 == 0) {
            HandleCharacter(1, random() % 2 ? 8 : 'q', 1, false);
            if (random() % 2) KeyDelete(1, 1 + static_cast<long>(random() % 3));
        } else {
            Type(pieces[random() % 8]);
        }
        if (random() % 3 == 0) {
            ASSERT_EQ(Map(doc), Reference(doc)) << "after step " << step << ":\n" << TextOf(doc);
            continue;
        }
        // One line only, as a window showing the top of the text asks.
        long asked = static_cast<long>(random() % static_cast<unsigned>(std::max(doc.lineCount, 1L))) + 1;
        std::string one;
        if (std::optional<LineComments> c = CommentsOfLine(doc, LineAtNumber(doc, asked))) {
            for (const CommentSpan& s : c->spans) one += std::to_string(asked) + ":" + std::to_string(s.start) + "-" + std::to_string(s.end) + " ";
            if (c->endState) one += std::to_string(asked) + ":+ ";
        }
        ASSERT_EQ(one, Reference(doc, asked)) << "after step " << step << ":\n" << TextOf(doc);
    }
    EXPECT_EQ(Map(doc), FreshMap(doc));
}

// Showing the top of a large file scans only the lines down to the last one shown.
TEST_F(Display, TheMapScansNoFurtherThanTheLinesAskedFor) {
    Document& doc = Open("/* open\n" + NumberedLines(5000, "int x"), "big.c");
    ASSERT_TRUE(CommentsOfLine(doc, LineAtNumber(doc, 30)));
    Line* last = doc.lines->prev;
    EXPECT_EQ(last->comments, 0);  // never scanned
    EXPECT_EQ(CommentsOfLine(doc, last)->endState, 1);  // still inside the comment opened on line 1
    // Closing the comment on line 1 reaches the lines below as far as they were scanned.
    SetCursor({1, 7});
    Type(" */");
    EXPECT_FALSE(CommentsOfLine(doc, last));
    EXPECT_FALSE(CommentsOfLine(doc, LineAtNumber(doc, 2500)));
    EXPECT_EQ(Map(doc), "1:0-10 ");
}

TEST_F(Display, TheCursorIsKeptInViewByOneRowOrByCentring) {
    Document& doc = Open(NumberedLines(100, "line "), "v.c");
    View& v = *CurrentView();
    bool recentred = false;
    // Moved to a line: the window's shift in rows, its top line, the cursor's row, recentred.
    auto keep = [&](long line) {
        SetCursor({line, 0});
        int shift = KeepCursorInView(v, 20, &recentred);
        return std::to_string(shift) + " " + std::to_string(LineIndex(doc, v.topLine)) + " " +
               std::to_string(v.cursorRow) + (recentred ? " centred" : "");
    };
    EXPECT_EQ(keep(10), "0 1 9");
    EXPECT_EQ(keep(21), "1 2 19");  // just below the last row
    EXPECT_EQ(keep(1), "-1 1 0");   // just above
    EXPECT_EQ(keep(60), "0 50 10 centred");
    EXPECT_EQ(keep(101), "0 91 10 centred");  // after the last line: one more row
    // Scrolling the text leaves the cursor on its line while it stays inside the window.
    SetCursor({95, 0});
    ASSERT_TRUE(ScrollRows(v, -3, 20));
    EXPECT_EQ(LineIndex(doc, v.topLine), 88);
    EXPECT_EQ(CursorPosition().line, 95);
    ASSERT_TRUE(ScrollRows(v, -30, 20));  // the cursor would fall out: it stays on the last row
    EXPECT_EQ(LineIndex(doc, v.topLine), 58);
    EXPECT_EQ(CursorPosition().line, 77);
}

TEST_F(Display, AnUpdateRedrawsOnlyTheRowsThatChanged) {
    Open(NumberedLines(50, "v"), "u.c");
    View& v = *CurrentView();
    ScreenGeometry g{10, 11, 40};
    SetCursor({3, 0});
    EXPECT_TRUE(UpdateScreen(v, g, true).all);
    ScreenUpdate u = UpdateScreen(v, g, true);
    EXPECT_FALSE(u.all);
    EXPECT_TRUE(u.dirty.empty());
    Type("x");
    u = UpdateScreen(v, g, true);
    EXPECT_EQ(u.dirty, std::vector<int>{2});
    EXPECT_EQ(u.caretRow, 2);
    EXPECT_EQ(u.caretColumn, 1);
    // Down past the last full row: the picture moves one row; the new row and the one that
    // was only partly visible are drawn.
    SetCursor({11, 0});
    u = UpdateScreen(v, g, true);
    EXPECT_EQ(u.shift, 1);
    EXPECT_EQ(u.dirty, (std::vector<int>{9, 10}));
    // A selection redraws the rows it covers, and then only those whose part changed.
    SetCursor({5, 2});
    UpdateScreen(v, g, true);
    StartSelection();
    MoveDown(2);
    u = UpdateScreen(v, g, true);
    EXPECT_EQ(u.dirty, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(ScreenOf(v).rows[3].selectStart, 2);
    EXPECT_EQ(ScreenOf(v).rows[4].selectEnd, kToEdge);
    MoveRight(1);
    u = UpdateScreen(v, g, true);
    EXPECT_EQ(u.dirty, std::vector<int>{5});
    // Far away: the window is centred and drawn whole.
    ClearSelection();
    SetCursor({40, 0});
    EXPECT_TRUE(UpdateScreen(v, g, true).all || UpdateScreen(v, g, true).dirty.empty());
    EXPECT_EQ(v.cursorRow, 5);
}

TEST_F(Display, TheScrollBarRange) {
    auto range = [](const ScrollBar& bar) { return std::array{bar.minimum, bar.maximum, bar.position}; };
    ScrollBar bar = VerticalScrollBar(40000, 30, 20000);  // a long text: every tenth line
    EXPECT_EQ(range(bar), (std::array{1L, 4001L, 2000L}));
    EXPECT_EQ(LineOfScrollPosition(4001, bar, 40000), 40000);
    EXPECT_EQ(range(VerticalScrollBar(32765, 30, 17)), (std::array{1L, 32766L, 17L}));
    EXPECT_EQ(range(VerticalScrollBar(29, 30, 3))[1], 0);  // fewer lines than rows: hidden
    EXPECT_EQ(range(VerticalScrollBar(30, 30, 30))[1], 31);
}

TEST_F(Display, ClickingPlacesTheCursorByDisplayColumn) {
    Open("\tab\nxy\n", "p.c");
    View& v = *CurrentView();
    UpdateScreen(v, ScreenGeometry{5, 5, 20}, true);
    EXPECT_EQ(PlaceAt(v, 0, 2).column, 0);  // inside the tab
    EXPECT_EQ(PlaceAt(v, 0, 5).column, 2);
    Place p = PlaceAt(v, 4, 3);  // below the text: the end of the last line
    EXPECT_EQ(LineText(*p.line), "xy");
    EXPECT_EQ(p.column, 2);
}

}  // namespace
}  // namespace tarvo::editor::test

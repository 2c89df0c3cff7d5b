// The project's breakpoints between the editor and the saved list: marks follow their lines
// through edits, the list is brought up to date from them, a closing document leaves its
// breakpoints in the list, and a document read again is marked from it. Then the texts the
// breakpoint dialogs read.
#include <gtest/gtest.h>

#include "debugger/breakpoint_list.h"
#include "debugger/breakpoint_marks.h"
#include "editor/cursor.h"
#include "editor/document_io.h"
#include "editor/edit.h"
#include "editor_test_util.h"

namespace tarvo::debugger {
namespace {

std::vector<long> Marked(const editor::Document& doc) {
    std::vector<long> lines;
    long n = 1;
    for (editor::Line* line = doc.lines->next; line != doc.lines; line = line->next, ++n)
        if (line->marks & editor::kMarkBreakpoint) lines.push_back(n);
    return lines;
}

struct BreakpointMarks : editor::test::EditorTest {
    void SetUp() override {
        EditorTest::SetUp();
        editor::Listen(kBreakpointListener);
    }
};

TEST_F(BreakpointMarks, FollowTheirLinesAndKeepTheProjectsListWhole) {
    std::vector<base::Breakpoint>& saved = base::settings().project.breakpoints;
    saved = {{"a.c", 2}, {"other.c", 7}, {"z:\\elsewhere\\a.c", 1}};
    editor::Document& a = Open("one\ntwo\nthree\nfour\n", "a.c");
    // Marked as it is read: a bare name stands for the open a.c; a path to another a.c does not.
    EXPECT_EQ(Marked(a), std::vector<long>{2});
    EXPECT_FALSE(MarkSavedBreakpoints(a, saved));
    EXPECT_TRUE(ToggleBreakpointMark(a, 4));
    EXPECT_FALSE(ToggleBreakpointMark(a, 99));

    // Two lines typed above: the marks move with their lines, and the list follows them.
    editor::GoToLine(1);
    editor::MoveToLineStart();
    editor::test::Type("x\ny\n");
    EXPECT_EQ(Marked(a), (std::vector<long>{4, 6}));
    SyncSavedBreakpoints(saved);
    std::vector<base::Breakpoint> expected{{"other.c", 7}, {"z:\\elsewhere\\a.c", 1}, {a.name, 4}, {a.name, 6}};
    EXPECT_EQ(saved, expected);

    // Closing the document leaves its breakpoints in the list.
    ToggleBreakpointMark(a, 6);
    ASSERT_TRUE(editor::CloseDocument(&a));
    expected = {{"other.c", 7}, {"z:\\elsewhere\\a.c", 1}, {expected[2].file, 4}};
    EXPECT_EQ(saved, expected);

    // Read again, the document is marked from the list.
    editor::Document& again = Open("x\ny\none\ntwo\nthree\nfour\n", "a.c");
    EXPECT_EQ(Marked(again), std::vector<long>{4});
    // Another name after Save as: the list says the new name.
    std::string old = again.name;
    again.name = old + ".bak";
    editor::NotifyDocumentRenamed(again, old);
    EXPECT_EQ(saved.back().file, old + ".bak");
}

TEST(BreakpointTexts, EntriesRowsCountsAndAddresses) {
    EntryText e;
    ASSERT_TRUE(ParseEntryText("  c:\\my dir\\demo.c 17 ", e));
    EXPECT_EQ(e.file, "c:\\my dir\\demo.c");
    EXPECT_EQ(e.line, 17);
    ASSERT_TRUE(ParseEntryText("main", e));
    EXPECT_EQ(e.function, "main");
    EXPECT_FALSE(ParseEntryText("demo.c 0", e));
    EXPECT_FALSE(ParseEntryText("two words", e));
    EXPECT_FALSE(ParseEntryText("   ", e));
    EXPECT_FALSE(ParseEntryText("demo.c 99999999999", e));  // not a line number: taken as words

    EXPECT_EQ(SavedRow({"Demo.C", 12}), "{demo.c 12 }");
    EXPECT_EQ(FindSaved({{"a.c", 1}, {"DEMO.c", 12}}, "demo.C", 12), 1);
    EXPECT_EQ(FindSaved({{"a.c", 1}}, "a.c", 2), -1);

    unsigned count = 9;
    EXPECT_TRUE(ParseCount("0", count) && count == 0);
    EXPECT_TRUE(ParseCount(" 3 ", count) && count == 3);
    EXPECT_FALSE(ParseCount("-1", count));
    EXPECT_FALSE(ParseCount("3x", count));
    EXPECT_FALSE(ParseCount("", count));

    std::uint64_t a = 0;
    EXPECT_TRUE(ParseHexAddress("0x7ffe0010", a) && a == 0x7ffe0010u);
    EXPECT_TRUE(ParseHexAddress("0XFFFFFFFFFFFFFFFF", a) && a == ~std::uint64_t{0});
    EXPECT_FALSE(ParseHexAddress("0x", a));
    EXPECT_FALSE(ParseHexAddress("0x12g", a));
    EXPECT_FALSE(ParseHexAddress("0x1FFFFFFFFFFFFFFFF", a));  // too long
    EXPECT_FALSE(ParseHexAddress("1234", a));
}

TEST(BreakpointTexts, TheFunctionsOfASourceFileWithTheirLines) {
    editor::test::TempDir dir;
    std::string path = dir / "f.c";
    editor::test::WriteBytes(path, "int a;\r\n\r\nstatic int twice(int v)\r\n{\r\n\treturn 2 * v;\r\n}\r\n\r\nint main(void)\r\n{\r\n\treturn twice(3);\r\n}\r\n");
    std::vector<SourceFunction> f = FunctionsOfSource(path);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].name, "twice");
    EXPECT_EQ(f[0].line, 3);
    EXPECT_EQ(f[1].name, "main");
    EXPECT_EQ(f[1].line, 8);
    EXPECT_TRUE(FunctionsOfSource(dir / "missing.c").empty());
}

}  // namespace
}  // namespace tarvo::debugger

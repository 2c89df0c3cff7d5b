// Documents: reading files into lines, names, line numbers, columns, inserting files, closing.
#include "editor/edit.h"
#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

using DocumentLoad = EditorTest;

TEST_F(DocumentLoad, LineEndsOfEveryKindGiveTheSameLines) {
    // file, bytes, its lines joined by LF, how many; only a CR before a line end is dropped.
    const std::tuple<const char*, const char*, const char*, long> cases[] = {
        {"lf.c", "one\ntwo\n", "one\ntwo", 2},   {"crlf.c", "one\r\ntwo\r\n", "one\ntwo", 2},
        {"noend.c", "one\r\ntwo", "one\ntwo", 2}, {"empty.c", "", "", 0},
        {"blank.c", "\n\r\n", "\n", 2},         {"strayCR.c", "a\rb\r\nc\r", "a\rb\nc", 2}};
    for (auto [name, bytes, lines, count] : cases) {
        Document& doc = Open(bytes, name);
        EXPECT_EQ(TextOf(doc), lines) << name;
        EXPECT_EQ(doc.lineCount, count) << name;
        EXPECT_EQ(doc.flags & (kModified | kLoadIncomplete), 0) << name;
    }
    EXPECT_EQ(Boxes(), "");
}

TEST_F(DocumentLoad, VeryLongLinesAreKeptWhole) {
    std::string longLine(1200u, 'x'), huge(200000, 'y');
    Document& doc = Open(longLine + "\n" + huge + "\r\nend");
    ASSERT_EQ(doc.lineCount, 3);
    EXPECT_EQ(doc.lines->next->length, 1200u);
    EXPECT_EQ(LineText(*doc.lines->next->next), huge);
    EXPECT_FALSE(doc.flags & kLoadIncomplete);
    EXPECT_TRUE(scripted.ui.boxes.empty()) << Boxes();
    // Typing into it does not break it either.
    SetCursor({1, 600});
    EXPECT_TRUE(TypeCharacter('z', 1));
    EXPECT_EQ(doc.lineCount, 3);
    EXPECT_EQ(doc.lines->next->length, 1201u);
}

TEST_F(DocumentLoad, AFailedLoadLeavesTheDocumentAsItWas) {
    Document& doc = Open("keep me\n");
    std::string name = doc.name;
    EXPECT_FALSE(LoadIntoCurrentDocument(dir / "missing.c"));
    EXPECT_EQ(Boxes(), "File read or write error.|");
    EXPECT_EQ(TextOf(doc), "keep me");
    EXPECT_EQ(doc.name, name);
    EXPECT_EQ(OpenDocument(dir / "missing.c"), nullptr);
    EXPECT_EQ(FindDocument(dir / "missing.c", false), nullptr);
}

TEST_F(DocumentLoad, LoadIntoCurrentDocumentTakesTheNameAndResetsViews) {
    Document& doc = Open("a\nb\nc\n");
    SetCursor({3, 1});
    WriteBytes(dir / "other.c", "x\r\ny\r\n");
    EXPECT_TRUE(Gives(LoadIntoCurrentDocument(dir / "other.c"), doc, "x\ny"));
    EXPECT_EQ(doc.name, dir / "other.c");
    EXPECT_EQ(CursorPosition(), (Position{1, 0}));
    EXPECT_EQ(CurrentView()->topLine, doc.lines->next);
}

using DocumentNames = EditorTest;

TEST_F(DocumentNames, NamesAreUniqueAndSortedIgnoringCase) {
    Document& first = Open("x\n", "Prog.C");
    bool existed = false;
    EXPECT_EQ(OpenDocument(dir / "prog.c", &existed), &first);
    EXPECT_TRUE(existed);
    ASSERT_NE(FindDocument("b", true), nullptr);
    ASSERT_NE(FindDocument("A", true), nullptr);
    std::vector<std::string> order;
    for (auto& d : editor().documents) order.push_back(d->name);
    EXPECT_EQ(order, (std::vector<std::string>{dir / "Prog.C", "A", "b", "untitled"}));

    EXPECT_FALSE(RenameCurrentDocument("B"));
    EXPECT_EQ(Boxes(), "Name already used|");
    EXPECT_EQ(scripted.ui.boxes[0].title, "Information");
    EXPECT_EQ(first.name, dir / "Prog.C");
    first.flags |= kAutoSaved;
    EXPECT_TRUE(RenameCurrentDocument("c"));
    EXPECT_EQ(first.flags & (kModified | kAutoSaved), kModified);
    EXPECT_EQ(editor().documents[2].get(), &first);
}

TEST_F(DocumentNames, TheInternalBufferCannotBeClosedOrReloaded) {
    Document* untitled = FindDocument("UNTITLED", false);
    ASSERT_NE(untitled, nullptr);
    EXPECT_TRUE(untitled->permanent);
    EXPECT_FALSE(CloseDocument(untitled));
    SetCurrentView(editor().views.front().get());
    EXPECT_FALSE(ReloadCurrentDocument());
    EXPECT_EQ(Boxes(), "Internal buffer|");

    Document& doc = Open("x\n");
    AddView(&doc, 2);
    EXPECT_TRUE(CloseDocument(&doc));
    EXPECT_EQ(FindView(1), nullptr);
    EXPECT_EQ(FindView(2), nullptr);
    EXPECT_EQ(CurrentDocument(), untitled);
}

TEST_F(DocumentNames, LineNumbersFollowEdits) {
    Document& doc = Open(NumberedLines(500));
    for (long n : {1L, 250L, 251L, 500L, 3L, 499L}) {
        Line* line = LineAtNumber(doc, n);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(LineText(*line), std::to_string(n));
        EXPECT_EQ(LineIndex(doc, line), n);
    }
    EXPECT_EQ(LineAtNumber(doc, 501), nullptr);
    EXPECT_EQ(LineIndex(doc, doc.lines), 501);
    SetCursor({250, 1});
    EXPECT_EQ(CursorLineNumber(), 250);
    ASSERT_TRUE(SplitLine());
    EXPECT_EQ(CursorLineNumber(), 251);
    EXPECT_EQ(TextOfLine(252), "251");
    ASSERT_TRUE(DeleteBackward(1));
    EXPECT_EQ(CursorLineNumber(), 250);
    EXPECT_EQ(TextOfLine(251), "251");
    EXPECT_EQ(TextOfLine(9999), "");
    EXPECT_EQ(CountLinesAndCharacters(doc).lines, 500);
}

TEST_F(DocumentNames, DisplayColumnsAndTabExpansion) {
    base::settings().tabSize = 8;
    EXPECT_EQ(ExpandTabs("abc\tx"), "abc     x");
    EXPECT_EQ(DisplayColumn("\tab\t", 4), 16);
    EXPECT_EQ(IndexAtDisplayColumn("\tab", 5), 0u);  // inside the tab: before it
    EXPECT_EQ(IndexAtDisplayColumn("\tab", 9), 2u);
    base::settings().tabSize = 0;  // a bad stored value must not divide by zero
    EXPECT_EQ(DisplayColumn("\t\t", 2), 2);
}

using InsertFile = EditorTest;

TEST_F(InsertFile, LinesFollowTheCursorLine) {
    Document& doc = Open("a\nb\n");
    WriteBytes(dir / "part.c", "x\r\ny");
    SetCursor({1, 1});
    EXPECT_TRUE(Gives(InsertFileAtCursor(dir / "part.c"), doc, "a\nx\ny\nb"));
    EXPECT_EQ(doc.lineCount, 4);
    EXPECT_EQ(CursorPosition().line, 3);
    EXPECT_TRUE(doc.flags & kModified);
    ASSERT_FALSE(scripted.ui.status.empty());
    EXPECT_EQ(scripted.ui.status.back(), "2 lines read");

    EXPECT_FALSE(InsertFileAtCursor(dir / "none.c"));
    EXPECT_EQ(Boxes(), "File " + (dir / "none.c") + " not found!|");
    EXPECT_EQ(doc.lineCount, 4);
}

}  // namespace
}  // namespace tarvo::editor::test

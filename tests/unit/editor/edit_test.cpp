// Editing operations: typing rules, indentation, deletion, the clipboard, conversions, cursor
// movement and macros.
#include "editor/edit.h"
#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

using Typing = EditorTest;

TEST_F(Typing, EnterIndentsAfterAControlLineAndReturnsAfterItsStatement) {
    base::settings().editorFlags = base::kEditorAutoIndent;
    Document& doc = Open("void f()\n{\n\tif (x)");
    doc.flags |= kCLanguage;
    SetCursor({3, 7});
    ASSERT_TRUE(HandleCharacter(1, '\r', 1, false));
    EXPECT_EQ(TextOfLine(4), "\t\t");
    Type("y();");
    EXPECT_TRUE(Gives(HandleCharacter(1, '\r', 1, false), doc, "void f()\n{\n\tif (x)\n\t\ty();\n\t"));
    EXPECT_EQ(CursorPosition(), (Position{5, 1}));
    // '}' on a line of white space only gives back one tab width.
    ASSERT_TRUE(HandleCharacter(1, '}', 1, false));
    EXPECT_EQ(TextOfLine(5), "}");
    SetCursor({2, 1});
    ASSERT_TRUE(HandleCharacter(1, '\r', 1, false));  // after '{': one level deeper
    EXPECT_EQ(TextOfLine(3), "\t");
    // Without the C language only the indentation of the line above is kept.
    doc.flags &= static_cast<std::uint16_t>(~kCLanguage);
    SetCursor({4, 7});
    ASSERT_TRUE(HandleCharacter(1, '\r', 1, false));
    EXPECT_EQ(TextOfLine(5), "\t");
}

// A loaded line's text lies in the file's block until an edit gives the line a text of its own,
// which then grows in place; Undo brings back each state, and the lines around stay as they were.
TEST_F(Typing, EditsOfLinesInTheLoadBlockAndTheirUndo) {
    Document& doc = Open("first\r\nsecond line\r\nthird\r\n");
    Line* second = doc.lines->next->next;
    EXPECT_FALSE(second->owned);
    SetCursor({2, 6});
    std::string typed;
    for (int i = 0; i < 300; ++i) typed += static_cast<char>('a' + i % 26);
    Type(typed);  // grows many times past the first room
    EXPECT_TRUE(second->owned);
    EXPECT_EQ(TextOfLine(2), "second" + typed + " line");
    EXPECT_EQ(TextOfLine(1), "first");
    EXPECT_EQ(TextOfLine(3), "third");
    KeyDelete(1, 3);
    EXPECT_EQ(TextOfLine(2), "second" + typed + "ne");
    EXPECT_TRUE(UndoGives(doc, "first\nsecond" + typed + " line\nthird"));
    while (Undo()) {
    }
    EXPECT_EQ(TextOf(doc), "first\nsecond line\nthird");
    // Cutting short in place and splitting: the new line takes no state of a freed one.
    SetCursor({1, 2});
    Type("\n");
    EXPECT_EQ(TextOf(doc), "fi\nrst\nsecond line\nthird");
    EXPECT_TRUE(UndoGives(doc, "first\nsecond line\nthird"));
    SetCursor({3, 0});
    KeyDelete(1, 6);  // "third" and the line end before nothing: the line goes
    Type("\nnew");
    EXPECT_EQ(TextOf(doc), "first\nsecond line\n\nnew");
    EXPECT_EQ(doc.lines->prev->comments, 0);
    EXPECT_EQ(doc.lines->prev->marks, 0);
}

TEST_F(Typing, ControlRule) {
    const std::pair<const char*, int> cases[] = {
        {"if (a)", 2},   {"  while (a &&   ", 2}, {"else", 2},        {"for (;;) { // loop", 1}, {"case 3: /* three */", 1},
        {"x = f(a)", 0}, {"if (a) b();", 0},      {"puts(\"{\")", 0}, {"", 0}};
    for (auto [line, rule] : cases) EXPECT_EQ(ControlRule(line), rule) << line;
}

TEST_F(Typing, BackspaceAndDeleteAtTheEdges) {
    Document& doc = Open("ab\ncd\n");
    EXPECT_FALSE(HandleCharacter(1, 8, 1, false));  // start of the document: nothing
    EXPECT_EQ(TextOf(doc), "ab\ncd");
    EXPECT_FALSE(doc.flags & kModified);
    SetCursor({2, 0});
    EXPECT_TRUE(Gives(HandleCharacter(1, 8, 1, false), doc, "abcd"));  // start of a line: joins
    EXPECT_EQ(CursorPosition(), (Position{1, 2}));
    EXPECT_FALSE(HandleCharacter(1, 8, 3, false));  // not that many characters before it
    EXPECT_EQ(TextOf(doc), "abcd");
    MoveToLineEnd();
    EXPECT_FALSE(KeyDelete(1, 1));  // end of the text
    ASSERT_TRUE(SplitLine());
    ASSERT_TRUE(KeyDelete(1, 1));  // an empty last line goes
    EXPECT_EQ(doc.lineCount, 1);
    SetCursor({1, 1});
    long deleted = 0;
    EXPECT_FALSE(DeleteForward(10, true, &deleted));
    EXPECT_EQ(deleted, 3);
    EXPECT_EQ(editor().cutBuffer, "bcd");
}

TEST_F(Typing, OvertypeReplacesButLetsWideTabsMakeRoom) {
    Document& doc = Open("abc\n\tz\n");
    CurrentView()->overtype = true;
    ASSERT_TRUE(HandleCharacter(1, 'X', 2, false));
    EXPECT_EQ(TextOfLine(1), "XXc");
    SetCursor({2, 0});
    ASSERT_TRUE(HandleCharacter(1, 'y', 1, false));
    EXPECT_EQ(TextOfLine(2), "y\tz");
    ASSERT_TRUE(HandleCharacter(1, '\r', 1, false));  // moves down, never splits
    EXPECT_EQ(doc.lineCount, 2);
}

TEST_F(Typing, AReadOnlyDocumentIsNotChanged) {
    Document& doc = Open("text\n");
    doc.flags |= kReadOnly;
    EXPECT_FALSE(TypeCharacter('x', 1));
    EXPECT_EQ(Paste(), 0);
    EXPECT_FALSE(SplitLine());
    EXPECT_EQ(CursorAfter(HandleCharacter(1, ' ', 2, false)), "1:2");  // blank moves right instead
    EXPECT_EQ(TextOf(doc), "text");
    EXPECT_EQ(scripted.ui.status, std::vector<std::string>(3, "File is read only"));
}

TEST_F(Typing, InsertStringAndWrappedText) {
    Document& doc = Open("");
    EXPECT_TRUE(Gives(InsertString("ab\n\ncd"), doc, "ab\n\ncd"));
    EXPECT_EQ(CursorPosition(), (Position{3, 2}));
    MoveToLineEnd();
    EXPECT_TRUE(Gives(InsertWrappedText(" one two three four", 15), doc, "ab\n\ncd one two \nthree four"));
}

using Clipboard = EditorTest;

TEST_F(Clipboard, CopyWritesCrLfAndPasteDropsCr) {
    Document& doc = Open("ab\nc\n");
    Select({2, 1}, {1, 0});
    Extent e;
    ASSERT_TRUE(SelectionExtent(e));
    EXPECT_EQ(e.start, (Position{1, 0}));
    EXPECT_EQ(e.count, 4);
    ASSERT_TRUE(Copy());
    std::string clip;
    ASSERT_TRUE(platform::clipboard().getText(clip));
    EXPECT_EQ(clip, "ab\r\nc");

    platform::clipboard().setText("x\r\ny\rz");
    EXPECT_EQ(Paste(), 4);  // the selection goes, the text without CR comes
    EXPECT_EQ(TextOf(doc), "x\nyz");
    EXPECT_EQ(editor().cutBuffer, "x\nyz");
    EXPECT_EQ(CursorPosition(), (Position{2, 2}));

    ASSERT_TRUE(CopyToFile(dir / "cut.txt"));
    EXPECT_EQ(ReadBytes(dir / "cut.txt"), "x\r\nyz");
}

TEST_F(Clipboard, CutOfAReadOnlyDocumentOnlyCopies) {
    Document& doc = Open("keep\n");
    doc.flags |= kReadOnly;
    StartSelection();
    MoveToLineEnd();
    EXPECT_TRUE(Gives(Cut(), doc, "keep"));
    EXPECT_EQ(editor().cutBuffer, "keep");
    // An anchor that is not in the document is reported, not followed.
    Open("x\n", "b.c", 2);
    CurrentView()->anchorLine = doc.lines->next;
    Extent e;
    EXPECT_FALSE(SelectionExtent(e));
    EXPECT_EQ(Boxes(), "Internal error|");
}

// Typing, Backspace or Delete over a selection takes it into the cut buffer only: what the
// user put on the clipboard elsewhere stays there, and Undo still brings the text back.
TEST_F(Clipboard, ReplacingASelectionLeavesTheClipboardAlone) {
    struct Board {
        std::string text;
        int writes = 0;
    };
    static Board board;
    board = {"USERCLIP", 0};
    platform::setClipboard({[](std::string& text) { return text = board.text, true; },
                            [](const std::string& text) { return board.text = text, ++board.writes, true; }});
    Document& doc = Open("one two three\n");
    auto select = [](long from, long to) { Select({1, from}, {1, to}); };
    select(0, 4);
    EXPECT_TRUE(Gives(HandleCharacter(1, 'X', 1, false), doc, "Xtwo three"));
    EXPECT_EQ(editor().cutBuffer, "one ");
    select(1, 5);
    EXPECT_TRUE(Gives(HandleCharacter(1, 8, 1, false), doc, "Xthree"));  // Backspace
    EXPECT_EQ(editor().cutBuffer, "two ");
    select(1, 3);
    KeyDelete(1, 1);
    EXPECT_EQ(TextOf(doc), "Xree");
    EXPECT_EQ(board.writes, 0);
    EXPECT_EQ(board.text, "USERCLIP");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Undo());
    EXPECT_TRUE(UndoGives(doc, "one two three"));
    // Cut and Copy are the commands that fill the clipboard.
    select(0, 3);
    ASSERT_TRUE(Cut());
    EXPECT_EQ(board.text, "one");
    platform::resetClipboard();
}

using Conversion = EditorTest;

TEST_F(Conversion, LeadingWhiteSpaceBetweenBlanksAndTabs) {
    Document& doc = Open("      six\n  two\n\t  mixed\nnone\n");
    SetCursor({3, 3});  // display column 6
    EXPECT_TRUE(Gives(SpacesToTabs(), doc, "\t  six\n  two\n\t  mixed\nnone"));
    EXPECT_TRUE(Gives(TabsToSpaces(), doc, "      six\n  two\n      mixed\nnone"));
    EXPECT_EQ(CursorPosition(), (Position{3, 6}));
    EXPECT_TRUE(doc.flags & kModified);
}

using Movement = EditorTest;

TEST_F(Movement, CharactersWordsLinesAndPages) {
    std::string text = "int main_1(void) {\n\tx = 10;\n";
    for (int i = 0; i < 40; ++i) text += "line\n";
    Open(text);
    EXPECT_EQ(CursorAfter(WordRight()), "1:4");
    EXPECT_EQ(CursorAfter(WordRight()), "1:11");
    EXPECT_EQ(CursorAfter(WordLeft()), "1:4");
    EXPECT_EQ(CursorAfter(MoveRight(15)), "2:0");  // across the line end
    EXPECT_EQ(CursorAfter(MoveLeft(1)), "1:18");
    EXPECT_EQ(CursorAfter(MoveDown(1)), "2:8");  // the goal column keeps display column 18
    EXPECT_EQ(CursorAfter(MoveDown(1)), "3:4");
    CurrentView()->rows = 10;
    ASSERT_TRUE(PageDown());
    EXPECT_EQ(CursorPosition().line, 11);
    EXPECT_EQ(CursorAfter(GoToLine(1000)), "42:0");
    EXPECT_FALSE(MoveDown(1));
    CentreCursor();
    EXPECT_EQ(CurrentView()->cursorRow, 5);
    EXPECT_EQ(LineIndex(*CurrentDocument(), CurrentView()->topLine), 37);
    ASSERT_TRUE(MoveToTop());
    EXPECT_FALSE(MoveLeft(1));
    EXPECT_FALSE(WordLeft());
}

TEST_F(Movement, MacrosInsertTheirTextAndPlaceTheCursor) {
    base::settings().macros = {{"Ctrl+P", 8, "printf(\"\");"}, {"W", 0, "while\tx\n"}};
    Document& doc = Open("a\n");
    MoveToLineEnd();
    EXPECT_TRUE(Gives(HandleCharacter(1, 16, 1, true), doc, "aprintf(\"\");"));  // Ctrl+P
    EXPECT_EQ(CursorPosition(), (Position{1, 9}));  // between the quotes
    EXPECT_TRUE(Gives(HandleCharacter(1, 23, 1, true), doc, "aprintf(\"while\tx\n\");"));
    EXPECT_FALSE(HandleCharacter(1, 17, 1, true));  // no macro on Q
}

}  // namespace
}  // namespace tarvo::editor::test

// The editor window as a user types into it: indentation, the closing brace, Backspace, the
// clipboard keys, saving with Ctrl+S, Left over a selection, and Undo after each kind of edit.
#include <gtest/gtest.h>

#include <functional>

#include "editor_gui_util_win.h"
#include "base/command_ids.h"

namespace tarvo::gui {
namespace {

using namespace edit;

class EditorTyping : public EditorTest {};

TEST_F(EditorTyping, TypingIndentsAfterAConditionAndTheClosingBraceGoesBack) {
    HWND editor = Open("t.c", "");
    ASSERT_NE(editor, nullptr);
    Type(editor, "int f(int x)\n{\nif (x)\nx = 1;\nreturn x;\n}\n");
    EXPECT_EQ(DocumentText(editor), "int f(int x)\n{\n\tif (x)\n\t\tx = 1;\n\treturn x;\n}\n");
    EXPECT_TRUE(Query(editor, kFlags) & kModified);
    EXPECT_EQ(Text(editor).rfind("* ", 0), 0u) << Text(editor);  // the title marks the change
    Command(tarvo.frame, CMD_SAVE);
    EXPECT_EQ(ReadTextFile(file), "int f(int x)\r\n{\r\n\tif (x)\r\n\t\tx = 1;\r\n\treturn x;\r\n}\r\n\r\n");
    EXPECT_FALSE(Query(editor, kFlags) & kModified);
    EXPECT_EQ(Text(editor), file);
}

TEST_F(EditorTyping, BackspaceJoinsLinesAndUndoSplitsThemAgain) {
    HWND editor = Open("b.c", "ab\r\ncd\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_DOWN);
    Type(editor, "\b");
    EXPECT_EQ(DocumentText(editor), "abcd");
    EXPECT_EQ(Query(editor, kCursorColumn), 2);
    Type(editor, "\b\b\b");  // the third finds the start of the document: nothing
    EXPECT_EQ(DocumentText(editor), "cd");
    for (const char* expected : {"acd", "abcd", "ab\ncd"}) {  // one Backspace per Undo
        Command(tarvo.frame, CMD_UNDO);
        EXPECT_EQ(DocumentText(editor), expected);
    }
}

// Chords go through the input queue: the program reads Shift and Ctrl as a user holds them.
TEST_F(EditorTyping, ShiftDeleteCutsShiftInsertPastesCtrlInsertCopies) {
    HWND editor = Open("k.c", "hello world\r\n");
    ASSERT_NE(editor, nullptr);
    Command(tarvo.frame, CMD_EXTEND_WORD_RIGHT);  // select "hello "
    Chord(tarvo.frame, {VK_SHIFT, VK_DELETE});
    ASSERT_TRUE(WaitUntil([&] { return DocumentText(editor) == "world"; })) << DocumentText(editor);
    Key(editor, VK_END);
    Chord(tarvo.frame, {VK_SHIFT, VK_INSERT});
    ASSERT_TRUE(WaitUntil([&] { return DocumentText(editor) == "worldhello "; })) << DocumentText(editor);
    Key(editor, VK_HOME);
    Command(tarvo.frame, CMD_EXTEND_WORD_RIGHT);  // "worldhello" and the blank: a word with what follows it
    Chord(tarvo.frame, {VK_CONTROL, VK_INSERT});
    Settle(tarvo);
    EXPECT_EQ(DocumentText(editor), "worldhello ");  // copying changes nothing
    ASSERT_TRUE(WaitUntil([&] { return ClipboardText() == "worldhello "; })) << ClipboardText();
}

// Typing or Backspace over a selection takes it into the editor's cut buffer only: what the
// user copied in another program is still on the clipboard.
TEST_F(EditorTyping, TypingOverASelectionKeepsTheClipboard) {
    HWND editor = Open("c.c", "hello world\r\n");
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(SetClipboardText("USERCLIP"));
    Command(tarvo.frame, CMD_EXTEND_WORD_RIGHT);  // "hello "
    Type(editor, "X");
    EXPECT_EQ(DocumentText(editor), "Xworld");
    Command(tarvo.frame, CMD_EXTEND_WORD_RIGHT);  // "world"
    Type(editor, "\b");
    EXPECT_EQ(DocumentText(editor), "X");
    EXPECT_EQ(ClipboardText(), "USERCLIP");
    // Undo: the cut, the selecting move, the typed character, the cut.
    for (const char* expected : {"Xworld", "Xworld", "world", "hello world"}) {
        Command(tarvo.frame, CMD_UNDO);
        EXPECT_EQ(DocumentText(editor), expected);
    }
    EXPECT_EQ(ClipboardText(), "USERCLIP");
}

TEST_F(EditorTyping, CtrlZUndoesAndCtrlYRedoes) {
    HWND editor = Open("z.c", "int z;\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_END);
    Type(editor, " /**/");
    Chord(tarvo.frame, {VK_CONTROL, 'Z'});
    ASSERT_TRUE(WaitUntil([&] { return DocumentText(editor) == "int z; /**"; })) << DocumentText(editor);
    Chord(tarvo.frame, {VK_CONTROL, 'Z'});
    ASSERT_TRUE(WaitUntil([&] { return DocumentText(editor) == "int z; /*"; })) << DocumentText(editor);
    Chord(tarvo.frame, {VK_CONTROL, 'Y'});
    Chord(tarvo.frame, {VK_CONTROL, 'Y'});
    ASSERT_TRUE(WaitUntil([&] { return DocumentText(editor) == "int z; /**/"; })) << DocumentText(editor);
    EXPECT_EQ(Query(editor, kCursorColumn), 11);
}

// The user's own Ctrl+Z macro is typed, not Undo; Ctrl+S stays Save even with an S macro.
TEST_F(EditorTyping, AUsersCtrlZMacroIsTypedInsteadOfUndo) {
    const std::string key = "Software\\vex\\Tarvo";
    SetValue(key, "Macros", "2");
    SetValue(key, "Macro1Code", "Ctrl+Z");
    SetValue(key, "Macro1Position", "0");
    SetValue(key, "Macro1Length", "3");
    SetValue(key, "Macro1TextLine0", "122097112");  // "zap"
    SetValue(key, "Macro2Code", "Ctrl+S");
    SetValue(key, "Macro2Position", "0");
    SetValue(key, "Macro2Length", "1");
    SetValue(key, "Macro2TextLine0", "115");  // "s"
    HWND editor = Open("m.c", "x\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_END);
    Chord(tarvo.frame, {VK_CONTROL, 'Z'});
    ASSERT_TRUE(WaitUntil([&] { return DocumentText(editor) == "xzap"; })) << DocumentText(editor);
    Chord(tarvo.frame, {VK_CONTROL, 'S'});
    ASSERT_TRUE(WaitUntil([&] { return ReadTextFile(file) == "xzap\r\n"; })) << ReadTextFile(file);
    EXPECT_EQ(DocumentText(editor), "xzap");
}

TEST_F(EditorTyping, CtrlSSavesAndTypesNothing) {
    HWND editor = Open("s.c", "int s;\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_END);
    Type(editor, " /* saved */");
    Chord(tarvo.frame, {VK_CONTROL, 'S'});
    ASSERT_TRUE(WaitUntil([&] { return ReadTextFile(file) == "int s; /* saved */\r\n"; })) << ReadTextFile(file);
    EXPECT_EQ(DocumentText(editor), "int s; /* saved */");
    EXPECT_FALSE(Query(editor, kFlags) & kModified);
    EXPECT_EQ(Text(editor), file);
}

TEST_F(EditorTyping, LeftWithASelectionLandsOnItsAnchor) {
    HWND editor = Open("l.c", "abcdef\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_RIGHT, 2);
    for (int i = 0; i < 3; ++i) Command(tarvo.frame, CMD_EXTEND_CHAR_RIGHT);  // Shift+Right
    EXPECT_EQ(Query(editor, kAnchorColumn), 2);
    EXPECT_EQ(Query(editor, kCursorColumn), 5);
    Key(editor, VK_LEFT);
    EXPECT_EQ(Query(editor, kCursorColumn), 2);
    EXPECT_EQ(Query(editor, kAnchorLine), 0);
}

// Each kind of edit, then Undo: the text is back as it was before that edit.
TEST_F(EditorTyping, UndoTakesBackEachKindOfEdit) {
    HWND editor = Open("u.c", "int a;\r\n    int b;\r\n");
    ASSERT_NE(editor, nullptr);
    auto undone = [&](const char* what, const std::function<void()>& edit) {
        std::string before = DocumentText(editor);
        edit();
        EXPECT_NE(DocumentText(editor), before) << what << " changed nothing";
        Command(tarvo.frame, CMD_UNDO);
        EXPECT_EQ(DocumentText(editor), before) << "after undoing " << what;
    };
    undone("typing with a repeat count", [&] { Type(editor, "x", 3); });
    undone("Enter with indentation", [&] { Key(editor, VK_DOWN); Key(editor, VK_END); Type(editor, "\n"); });
    undone("Backspace", [&] { Type(editor, "\b"); });
    undone("Delete", [&] { Key(editor, VK_HOME); Key(editor, VK_DELETE, 3); });
    undone("Tab", [&] { Type(editor, "\t"); });
    undone("Cut", [&] { Command(tarvo.frame, CMD_EXTEND_WORD_RIGHT); Command(tarvo.frame, CMD_CUT); });
    undone("Paste", [&] { Command(tarvo.frame, CMD_PASTE); });
    undone("overtyping", [&] { Key(editor, VK_INSERT); Type(editor, "Q"); Key(editor, VK_INSERT); });
    undone("Spaces->tabs", [&] { Command(tarvo.frame, CMD_SPACES_TO_TABS); });
    EXPECT_EQ(DocumentText(editor), "int a;\n    int b;");
}

}  // namespace
}  // namespace tarvo::gui

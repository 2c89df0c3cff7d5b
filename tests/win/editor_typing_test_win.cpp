// The editor window as a user types into it: indentation, the closing brace, Backspace, the
// clipboard keys, Ctrl+Z, Ctrl+Y and Ctrl+S (and a user's macro on Ctrl+Z), Left over a
// selection, and Undo after each kind of edit.
#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "platform/clipboard.h"
#include "program_win.h"

namespace tarvo::test {
namespace {

// The system clipboard through the program's Win32 clipboard, which the start-up installs.
std::string ClipboardText() {
    std::string text;
    return platform::clipboard().getText(text) ? text : std::string();
}

class EditorTyping : public ProgramTest {};

TEST_F(EditorTyping, TypingIndentsAfterAConditionAndTheClosingBraceGoesBack) {
    HWND editor = Open("t.c", "");
    Type(editor, "int f(int x)\n{\nif (x)\nx = 1;\nreturn x;\n}\n");
    EXPECT_EQ(DocumentText(editor), "int f(int x)\n{\n\tif (x)\n\t\tx = 1;\n\treturn x;\n}\n");
    EXPECT_TRUE(Modified(editor));
    EXPECT_EQ(Text(editor).rfind("* ", 0), 0u) << Text(editor);  // the title marks the change
    Command(CMD_SAVE);
    EXPECT_EQ(ReadTextFile(file), "int f(int x)\r\n{\r\n\tif (x)\r\n\t\tx = 1;\r\n\treturn x;\r\n}\r\n\r\n");
    EXPECT_FALSE(Modified(editor));
    EXPECT_EQ(Text(editor), file);
}

TEST_F(EditorTyping, BackspaceJoinsLinesAndUndoSplitsThemAgain) {
    HWND editor = Open("b.c", "ab\r\ncd\r\n");
    Key(editor, VK_DOWN);
    Type(editor, "\b");
    EXPECT_EQ(DocumentText(editor), "abcd");
    EXPECT_EQ(Query(editor, kQueryCursorColumn), 2);
    Type(editor, "\b\b\b");  // the third finds the start of the document: nothing
    EXPECT_EQ(DocumentText(editor), "cd");
    for (const char* expected : {"acd", "abcd", "ab\ncd"}) {  // one Backspace per Undo
        Command(CMD_UNDO);
        EXPECT_EQ(DocumentText(editor), expected);
    }
}

// Chords go through the input queue: the program reads Shift and Ctrl as a user holds them.
TEST_F(EditorTyping, ShiftDeleteCutsShiftInsertPastesCtrlInsertCopies) {
    HWND editor = Open("k.c", "hello world\r\n");
    Command(CMD_EXTEND_WORD_RIGHT);  // select "hello "
    Chord({VK_SHIFT, VK_DELETE});
    EXPECT_EQ(DocumentText(editor), "world");
    Key(editor, VK_END);
    Chord({VK_SHIFT, VK_INSERT});
    EXPECT_EQ(DocumentText(editor), "worldhello ");
    Key(editor, VK_HOME);
    Command(CMD_EXTEND_WORD_RIGHT);  // "worldhello" and the blank: a word with what follows it
    Chord({VK_CONTROL, VK_INSERT});
    EXPECT_EQ(DocumentText(editor), "worldhello ");  // copying changes nothing
    EXPECT_EQ(ClipboardText(), "worldhello ");
}

// Typing or Backspace over a selection takes it into the editor's cut buffer only: what the
// user copied in another program is still on the clipboard.
TEST_F(EditorTyping, TypingOverASelectionKeepsTheClipboard) {
    HWND editor = Open("c.c", "hello world\r\n");
    ASSERT_TRUE(platform::clipboard().setText("USERCLIP"));  // copied in another program
    Command(CMD_EXTEND_WORD_RIGHT);  // "hello "
    Type(editor, "X");
    EXPECT_EQ(DocumentText(editor), "Xworld");
    Command(CMD_EXTEND_WORD_RIGHT);  // "world"
    Type(editor, "\b");
    EXPECT_EQ(DocumentText(editor), "X");
    EXPECT_EQ(ClipboardText(), "USERCLIP");
    // Undo: the cut, the selecting move, the typed character, the cut.
    for (const char* expected : {"Xworld", "Xworld", "world", "hello world"}) {
        Command(CMD_UNDO);
        EXPECT_EQ(DocumentText(editor), expected);
    }
    EXPECT_EQ(ClipboardText(), "USERCLIP");
}

TEST_F(EditorTyping, CtrlZUndoesCtrlYRedoesAndCtrlSSavesTypingNothing) {
    HWND editor = Open("z.c", "int z;\r\n");
    Key(editor, VK_END);
    Type(editor, " /**/");
    Chord({VK_CONTROL, 'Z'});
    EXPECT_EQ(DocumentText(editor), "int z; /**");
    Chord({VK_CONTROL, 'Z'});
    EXPECT_EQ(DocumentText(editor), "int z; /*");
    Chord({VK_CONTROL, 'Y'});
    Chord({VK_CONTROL, 'Y'});
    EXPECT_EQ(DocumentText(editor), "int z; /**/");
    EXPECT_EQ(Query(editor, kQueryCursorColumn), 11);
    Chord({VK_CONTROL, 'S'});
    EXPECT_EQ(ReadTextFile(file), "int z; /**/\r\n");
    EXPECT_EQ(DocumentText(editor), "int z; /**/");
    EXPECT_FALSE(Modified(editor));
    EXPECT_EQ(Text(editor), file);
}

// The user's own Ctrl+Z macro is typed, not Undo; Ctrl+S stays Save even with an S macro.
TEST_F(EditorTyping, AUsersCtrlZMacroIsTypedInsteadOfUndo) {
    UseSettings({{"Macros", "2"},
                 {"Macro1Code", "Ctrl+Z"}, {"Macro1Position", "0"}, {"Macro1Length", "3"},
                 {"Macro1TextLine0", "122097112"},  // "zap"
                 {"Macro2Code", "Ctrl+S"}, {"Macro2Position", "0"}, {"Macro2Length", "1"},
                 {"Macro2TextLine0", "115"}});  // "s"
    HWND editor = Open("m.c", "x\r\n");
    Key(editor, VK_END);
    Chord({VK_CONTROL, 'Z'});
    EXPECT_EQ(DocumentText(editor), "xzap");
    Chord({VK_CONTROL, 'S'});
    EXPECT_EQ(ReadTextFile(file), "xzap\r\n");
    EXPECT_EQ(DocumentText(editor), "xzap");
}

TEST_F(EditorTyping, LeftWithASelectionLandsOnItsAnchor) {
    HWND editor = Open("l.c", "abcdef\r\n");
    Key(editor, VK_RIGHT, 2);
    for (int i = 0; i < 3; ++i) Command(CMD_EXTEND_CHAR_RIGHT);  // Shift+Right
    EXPECT_EQ(Query(editor, kQueryAnchorColumn), 2);
    EXPECT_EQ(Query(editor, kQueryCursorColumn), 5);
    Key(editor, VK_LEFT);
    EXPECT_EQ(Query(editor, kQueryCursorColumn), 2);
    EXPECT_EQ(Query(editor, kQueryAnchorLine), 0);
}

// Each kind of edit, then Undo: the text is back as it was before that edit.
TEST_F(EditorTyping, UndoTakesBackEachKindOfEdit) {
    HWND editor = Open("u.c", "int a;\r\n    int b;\r\n");
    auto undone = [&](const char* what, const std::function<void()>& edit) {
        std::string before = DocumentText(editor);
        edit();
        EXPECT_NE(DocumentText(editor), before) << what << " changed nothing";
        Command(CMD_UNDO);
        EXPECT_EQ(DocumentText(editor), before) << "after undoing " << what;
    };
    undone("typing with a repeat count", [&] { Type(editor, "x", 3); });
    undone("Enter with indentation", [&] { Key(editor, VK_DOWN); Key(editor, VK_END); Type(editor, "\n"); });
    undone("Backspace", [&] { Type(editor, "\b"); });
    undone("Delete", [&] { Key(editor, VK_HOME); Key(editor, VK_DELETE, 3); });
    undone("Tab", [&] { Type(editor, "\t"); });
    undone("Cut", [&] { Command(CMD_EXTEND_WORD_RIGHT); Command(CMD_CUT); });
    undone("Paste", [&] { Command(CMD_PASTE); });
    undone("overtyping", [&] { Key(editor, VK_INSERT); Type(editor, "Q"); Key(editor, VK_INSERT); });
    undone("Spaces->tabs", [&] { Command(CMD_SPACES_TO_TABS); });
    EXPECT_EQ(DocumentText(editor), "int a;\n    int b;");
}

}  // namespace
}  // namespace tarvo::test

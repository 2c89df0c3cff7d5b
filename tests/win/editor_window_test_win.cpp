// The editor window as a user types into it (the clipboard keys, Ctrl+S with a user's macros
// on Ctrl+Z and S, Ctrl+Z after each kind of edit, Ctrl+Y) and what it shows and keeps:
// colours of a C file with a selection (saved as a screenshot), inactive code, two windows on
// one document, dragging a selection below the window, bookmarks, the reload question,
// read-only documents. (Indentation as typed is the native typing tests'.)
#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "editor/document_windows_win.h"
#include "editor/line.h"
#include "platform/clipboard.h"
#include "platform/ui.h"
#include "program_win.h"

namespace tarvo::test {
namespace {

// The system clipboard through the program's Win32 clipboard, which the start-up installs.
std::string ClipboardText() {
    std::string text;
    return platform::clipboard().getText(text) ? text : std::string();
}

class EditorTyping : public ProgramTest {};

// Chords go through the input queue: the program reads Shift and Ctrl as a user holds them.
TEST_F(EditorTyping, ShiftDeleteCutsShiftInsertPastesCtrlInsertCopiesTypingKeepsTheClipboard) {
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
    // Typing over a selection takes it into the editor's cut buffer only: what the user
    // copied is still on the clipboard.
    Key(editor, VK_HOME);
    Command(CMD_EXTEND_CHAR_RIGHT);
    Type(editor, "X");
    EXPECT_EQ(DocumentText(editor), "Xorldhello ");
    EXPECT_EQ(ClipboardText(), "worldhello ");
}

// The user's own Ctrl+Z macro is typed, not Undo; Ctrl+S stays Save even with an S macro, and
// types nothing. The title marks the change until the save.
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
    EXPECT_EQ(Text(editor), "* " + file);
    Chord({VK_CONTROL, 'S'});
    EXPECT_EQ(ReadTextFile(file), "xzap\r\n");
    EXPECT_EQ(DocumentText(editor), "xzap");
    EXPECT_FALSE(Modified(editor));
    EXPECT_EQ(Text(editor), file);
}

// Each kind of edit, then Ctrl+Z: the text is back as it was before that edit; Ctrl+Y redoes.
TEST_F(EditorTyping, UndoTakesBackEachKindOfEdit) {
    HWND editor = Open("u.c", "int a;\r\n    int b;\r\n");
    std::string after;
    auto undone = [&](const char* what, const std::function<void()>& edit) {
        std::string before = DocumentText(editor);
        edit();
        after = DocumentText(editor);
        EXPECT_NE(after, before) << what << " changed nothing";
        Chord({VK_CONTROL, 'Z'});
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
    Chord({VK_CONTROL, 'Y'});
    EXPECT_EQ(DocumentText(editor), after);
}

const char kSample[] =
    "/* Sample: the colours of the editor.\r\n"
    "   A comment over two lines. */\r\n"
    "#include <stdio.h>\r\n"
    "#define LIMIT 10 /* upper bound */\r\n"
    "\r\n"
    "static int count; // how many\r\n"
    "\r\n"
    "int main(int argc, char *argv[])\r\n"
    "{\r\n"
    "\tint i;\r\n"
    "\tfor (i = 0; i < LIMIT; i++) {\r\n"
    "\t\tif (i % 2 == 0)\r\n"
    "\t\t\tprintf(\"even: %d, not a /* comment */\\n\", i);\r\n"
    "\t\telse\r\n"
    "\t\t\tcount++;\r\n"
    "\t}\r\n"
    "\treturn 0; /* done */ int after;\r\n"
    "}\r\n"
    "/* a line that goes on and on and on and on and on and on and on and on and on and on and on and on "
    "past the right edge of the window */\r\n";

class EditorWindow : public ProgramTest {
protected:
    static std::string GreyLines(HWND editor) {
        std::string grey;
        for (long n = 1; n <= Query(editor, kQueryLineCount); ++n)
            if (Query(editor, kQueryLineMarks, n) & editor::kMarkInactive) grey += std::to_string(n) + " ";
        return grey;
    }
};

TEST_F(EditorWindow, ColouredCFileWithASelection) {
    HWND editor = Open("sample.c", kSample);
    // Select from line 10 column 1 to line 12's middle with the selection commands.
    Command(CMD_TOP);
    Key(editor, VK_DOWN, 9);
    Key(editor, VK_RIGHT);
    for (int i = 0; i < 2; ++i) Command(CMD_EXTEND_LINE_DOWN);
    for (int i = 0; i < 6; ++i) Command(CMD_EXTEND_CHAR_RIGHT);
    EXPECT_EQ(Query(editor, kQueryAnchorLine), 10);
    EXPECT_EQ(Query(editor, kQueryCursorLine), 12);
    Sync();
    EXPECT_TRUE(Screenshot(dir + "\\editor_colours.bmp"));
}

TEST_F(EditorWindow, ShowInactiveCodeGreysWhatTheToolReports) {
    HWND editor = Open("inactive.c",
                       "#define ON 1\r\n#if 0\r\nint dead;\r\n#define LONG a \\\r\n\tb\r\n#endif\r\n"
                       "#ifdef NOT_DEFINED\r\nint dead2;\r\n#else\r\nint live;\r\n#endif\r\n"
                       "#if ON\r\nint live2;\r\n#else\r\nint dead3;\r\n#endif\r\n");
    Command(CMD_INACTIVE_CODE);
    EXPECT_EQ(GreyLines(editor), "3 4 5 8 15 ");
    // The temporary files are gone.
    EXPECT_EQ(GetFileAttributesA((dir + "\\tarvomp_99_88_77_66_.c").c_str()), INVALID_FILE_ATTRIBUTES);
    // An edit keeps the marks on their lines; running it again after a change finds the new state.
    Key(editor, VK_DOWN);
    Key(editor, VK_END);
    Key(editor, VK_LEFT);
    Type(editor, "\b1");  // "#if 0" becomes "#if 1"
    Command(CMD_INACTIVE_CODE);
    EXPECT_EQ(GreyLines(editor), "8 15 ");
}

TEST_F(EditorWindow, TwoWindowsOnOneDocumentShowEachOthersEdits) {
    HWND first = Open("two.c", "int one;\r\nint two;\r\n");
    Command(CMD_NEW_WINDOW);  // another window on the file
    HWND second = editor::ActiveDocumentWindow();
    ASSERT_NE(second, first);
    ASSERT_EQ(editor::DocumentWindows().size(), 2u);
    Key(second, VK_DOWN);
    Type(second, "long ");
    EXPECT_EQ(ScreenRow(first, 1), "long int two;");  // drawn in the other window too
    EXPECT_EQ(Query(first, kQueryCursorLine), 1);      // whose cursor stays where it was
    Key(first, VK_END);
    SendMessageA(GetParent(first), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    Sync();
    Type(first, " /* 1 */");
    EXPECT_EQ(ScreenRow(second, 0), "int one; /* 1 */");
    EXPECT_EQ(Query(second, kQueryCursorColumn), 5);  // after "long ", untouched by the edit above
    EXPECT_EQ(Text(first).rfind("* ", 0), 0u);
    EXPECT_EQ(Text(second).rfind("* ", 0), 0u);
    Command(CMD_TILE);  // side by side
    Sync();
    Screenshot(dir + "\\two_windows.bmp");
    // Closing one of the two windows asks nothing: the other still shows the text.
    SendMessageA(second, WM_CLOSE, 0, 0);
    EXPECT_EQ(editor::DocumentWindows().size(), 1u);
    EXPECT_TRUE(shown->boxes.empty());
    // The last one asks: Cancel keeps it open, Yes saves and closes it.
    shown->answers = {platform::kAnswerCancel, platform::kAnswerYes};
    SendMessageA(first, WM_CLOSE, 0, 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{file + " has been modified.\nSave the changes?"});
    EXPECT_EQ(editor::DocumentWindows().size(), 1u);
    SendMessageA(first, WM_CLOSE, 0, 0);
    EXPECT_TRUE(editor::DocumentWindows().empty());
    EXPECT_EQ(ReadTextFile(file), "int one; /* 1 */\r\nlong int two;\r\n");
}

TEST_F(EditorWindow, DraggingBelowTheWindowScrollsAndExtendsTheSelection) {
    std::string text;
    for (int i = 1; i <= 300; ++i) text += "line " + std::to_string(i) + "\r\n";
    HWND editor = Open("drag.c", text);
    RECT area;
    GetClientRect(editor, &area);
    long rows = static_cast<long>(Query(editor, kQueryRows));
    int rowHeight = area.bottom / static_cast<int>(rows);
    long pressed = rows - 1;  // the row above the last: the cursor soon reaches the bottom
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, rowHeight * (pressed - 1) + 2));
    EXPECT_EQ(Query(editor, kQueryCursorLine), pressed);
    LPARAM below = MAKELPARAM(30, area.bottom + 20);
    SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, below);
    DWORD start = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return Query(editor, kQueryTopLine) >= 21; }, 10000));
    DWORD elapsed = GetTickCount() - start;
    SendMessageA(editor, WM_LBUTTONUP, 0, below);
    long top = static_cast<long>(Query(editor, kQueryTopLine));
    EXPECT_EQ(Query(editor, kQueryAnchorLine), pressed);
    EXPECT_EQ(Query(editor, kQueryCursorLine), top + rows - 1);  // on the last row
    // A line per 25 ms tick, to the last row and twenty more: half a second, give or take the
    // timer's grain.
    EXPECT_GE(elapsed, 300u);
    EXPECT_LE(elapsed, 5000u);
    // The scrolling stopped with the button: four more ticks' time moves nothing.
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(Query(editor, kQueryTopLine), top);
}

TEST_F(EditorWindow, BookmarksAreSetWithF7AndVisitedWithCtrlShiftF7) {
    HWND editor = Open("bm.c", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    Key(editor, VK_DOWN);
    Key(editor, VK_F7);
    EXPECT_EQ(Status(), "Bookmark set");
    Key(editor, VK_DOWN, 3);
    Key(editor, VK_F7);
    Key(editor, VK_HOME);
    Command(CMD_TOP);
    for (long expected : {2, 5, 2}) {
        Chord({VK_CONTROL, VK_SHIFT, VK_F7});
        EXPECT_EQ(Query(editor, kQueryCursorLine), expected);
    }
    Key(editor, VK_F7);  // on line 2 again: removed
    EXPECT_EQ(Status(), "Bookmark removed");
    Command(CMD_TOP);
    Command(CMD_GO_TO_BOOKMARK);  // the only one left: straight to it
    EXPECT_EQ(Query(editor, kQueryCursorLine), 5);
}

TEST_F(EditorWindow, AFileChangedOnDiskIsOfferedForReload) {
    HWND editor = Open("disk.c", "int old;\r\n");
    WriteTextFile(file, "int fresh;\r\nint more;\r\n");
    ShiftFileTime(file, 5);  // a later modification time, whatever the clock's grain
    shown->answers = {platform::kAnswerYes};
    SendMessageA(frame, WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_TRUE(WaitUntil([&] { return ScreenRow(editor, 1) == "int more;"; })) << ScreenRow(editor, 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"File " + file + " has been changed. Reload from disk?"});
    EXPECT_EQ(DocumentText(editor), "int fresh;\nint more;");
}

TEST_F(EditorWindow, AReadOnlyDocumentIsNotChangedByTyping) {
    HWND editor = Open("ro.c", "int x;\r\n");
    Command(CMD_READ_ONLY);
    EXPECT_EQ(Text(editor), file + " [read only]");
    Type(editor, "a\n");
    Key(editor, VK_DELETE);
    EXPECT_EQ(DocumentText(editor), "int x;");
    EXPECT_FALSE(Modified(editor));
    Command(CMD_READ_ONLY);
    Type(editor, "Z");
    EXPECT_EQ(DocumentText(editor), "Zint x;");
}

}  // namespace
}  // namespace tarvo::test

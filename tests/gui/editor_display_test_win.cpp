// What the editor window shows: colours of a C file with a selection (saved as a screenshot),
// the scroll bar, the continuation box, two windows on one document, and dragging a selection
// below the window.
#include <gtest/gtest.h>

#include "editor_gui_util_win.h"
#include "base/command_ids.h"

namespace tarvo::gui {
namespace {

using namespace edit;

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

class EditorDisplay : public EditorTest {};

TEST_F(EditorDisplay, ColouredCFileWithASelection) {
    HWND editor = Open("sample.c", kSample);
    ASSERT_NE(editor, nullptr);
    // Select from line 10 column 1 to line 12's middle with the selection commands.
    Command(tarvo.frame, CMD_TOP);  // Top
    for (int i = 0; i < 9; ++i) Key(editor, VK_DOWN);
    Key(editor, VK_RIGHT);
    for (int i = 0; i < 2; ++i) Command(tarvo.frame, CMD_EXTEND_LINE_DOWN);
    for (int i = 0; i < 6; ++i) Command(tarvo.frame, CMD_EXTEND_CHAR_RIGHT);
    EXPECT_EQ(Query(editor, kAnchorLine), 10);
    EXPECT_EQ(Query(editor, kCursorLine), 12);
    Settle(tarvo);
    EXPECT_TRUE(Screenshot(dir + "\\editor_colours.bmp"));
}

TEST_F(EditorDisplay, ShowInactiveCodeGreysWhatTheToolReports) {
    HWND editor = Open("inactive.c",
                       "#define ON 1\r\n#if 0\r\nint dead;\r\n#define LONG a \\\r\n\tb\r\n#endif\r\n"
                       "#ifdef NOT_DEFINED\r\nint dead2;\r\n#else\r\nint live;\r\n#endif\r\n"
                       "#if ON\r\nint live2;\r\n#else\r\nint dead3;\r\n#endif\r\n");
    ASSERT_NE(editor, nullptr);
    Command(tarvo.frame, CMD_INACTIVE_CODE);
    std::string grey;
    for (long n = 1; n <= Query(editor, kLineCount); ++n)
        if (Query(editor, kLineMarks, n) & 0x08) grey += std::to_string(n) + " ";
    EXPECT_EQ(grey, "3 4 5 8 15 ");
    // The temporary files are gone.
    EXPECT_EQ(GetFileAttributesA((dir + "\\tarvomp_99_88_77_66_.c").c_str()), INVALID_FILE_ATTRIBUTES);
    // An edit keeps the marks on their lines; running it again after a change finds the new state.
    Key(editor, VK_DOWN);
    Key(editor, VK_END);
    Key(editor, VK_LEFT);
    Type(editor, "\b1");  // "#if 0" becomes "#if 1"
    Command(tarvo.frame, CMD_INACTIVE_CODE);
    grey.clear();
    for (long n = 1; n <= Query(editor, kLineCount); ++n)
        if (Query(editor, kLineMarks, n) & 0x08) grey += std::to_string(n) + " ";
    EXPECT_EQ(grey, "8 15 ");
}

TEST_F(EditorDisplay, TwoWindowsOnOneDocumentShowEachOthersEdits) {
    HWND first = Open("two.c", "int one;\r\nint two;\r\n");
    ASSERT_NE(first, nullptr);
    Command(tarvo.frame, CMD_NEW_WINDOW);  // another window on the file
    Settle(tarvo);
    HWND second = ActiveEditor(tarvo.frame);
    ASSERT_NE(second, first);
    ASSERT_EQ(MdiChildren(tarvo.frame).size(), 2u);
    Key(second, VK_DOWN);
    Type(second, "long ");
    EXPECT_EQ(ScreenRow(first, 1), "long int two;");  // drawn in the other window too
    EXPECT_EQ(Query(first, kCursorLine), 1);           // whose cursor stays where it was
    Key(first, VK_END);
    SendMessageA(tarvo.frame, WM_MDIACTIVATE, 0, 0);
    SendMessageA(MdiClient(tarvo.frame), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    Settle(tarvo);
    Type(first, " /* 1 */");
    EXPECT_EQ(ScreenRow(second, 0), "int one; /* 1 */");
    EXPECT_EQ(Query(second, kCursorColumn), 5);  // after "long ", untouched by the edit above
    EXPECT_EQ(Text(first).rfind("* ", 0), 0u);
    EXPECT_EQ(Text(second).rfind("* ", 0), 0u);
    Command(tarvo.frame, CMD_TILE);  // side by side
    Settle(tarvo);
    Screenshot(dir + "\\two_windows.bmp");
    // Closing one of the two windows asks nothing: the other still shows the text.
    PostMessageA(second, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return MdiChildren(tarvo.frame).size() == 1; }));
    EXPECT_TRUE(Dialogs(tarvo).empty());
    // The last one asks; No closes it and the file keeps its old text.
    PostMessageA(first, WM_CLOSE, 0, 0);
    HWND box = WaitForBox(tarvo, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(BoxText(box).find("has been modified"), std::string::npos) << BoxText(box);
    Answer(box, IDCANCEL);
    EXPECT_EQ(MdiChildren(tarvo.frame).size(), 1u);  // Cancel keeps it open
    PostMessageA(first, WM_CLOSE, 0, 0);
    box = WaitForBox(tarvo, 5000);
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);  // Yes saves, then closes
    ASSERT_TRUE(WaitUntil([&] { return MdiChildren(tarvo.frame).empty(); }));
    EXPECT_EQ(ReadTextFile(file), "int one; /* 1 */\r\nlong int two;\r\n");
}

TEST_F(EditorDisplay, DraggingBelowTheWindowScrollsAndExtendsTheSelection) {
    std::string text;
    for (int i = 1; i <= 300; ++i) text += "line " + std::to_string(i) + "\r\n";
    HWND editor = Open("drag.c", text);
    ASSERT_NE(editor, nullptr);
    RECT area;
    GetClientRect(editor, &area);
    long rows = static_cast<long>(Query(editor, kRows));
    int rowHeight = area.bottom / static_cast<int>(rows);
    Click(editor, 30, rowHeight * 2 + 2, WM_LBUTTONDOWN, 0);  // press on the third row
    EXPECT_EQ(Query(editor, kCursorLine), 3);
    PostMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, area.bottom + 20));
    DWORD start = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return Query(editor, kTopLine) >= 21; }, 10000));
    DWORD elapsed = GetTickCount() - start;
    PostMessageA(editor, WM_LBUTTONUP, 0, MAKELPARAM(30, area.bottom + 20));
    Settle(tarvo);
    long top = static_cast<long>(Query(editor, kTopLine));
    EXPECT_EQ(Query(editor, kAnchorLine), 3);
    EXPECT_EQ(Query(editor, kCursorLine), top + rows - 1);  // on the last row
    // Twenty rows at one row per 25 ms tick: half a second, give or take the timer's grain.
    EXPECT_GE(elapsed, 300u);
    EXPECT_LE(elapsed, 5000u);
    // The scrolling stopped with the button.
    Sleep(200);
    EXPECT_EQ(Query(editor, kTopLine), top);
}

// What was typed before a crash comes back from its autosave file (the restore dialog is
// saved as a screenshot), and saving then writes it to the file.
TEST_F(EditorDisplay, TypingLostInACrashIsRestoredFromItsAutosaveFile) {
    SetValue("Software\\vex\\Tarvo", "EditorFlags", "111");  // the defaults and auto save
    HWND editor = Open("crash.c", "int kept;\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_END);
    Type(editor, "\nint typed;");
    SendMessageA(tarvo.frame, WM_TIMER, 53987, 0);  // the autosave tick
    Kill(tarvo);
    ASSERT_EQ(ReadTextFile(file), "int kept;\r\n");

    ASSERT_TRUE(Launch(tarvo, "", dir));
    HWND restore = WaitForBox(tarvo);
    ASSERT_NE(restore, nullptr);
    Settle(tarvo);
    Screenshot(dir + "\\restore_dialog.bmp");
    Answer(restore, IDOK);
    HWND told = WaitForBox(tarvo);
    ASSERT_NE(told, nullptr);
    Answer(told, IDOK);
    ASSERT_TRUE(WaitForFrame(tarvo));
    Settle(tarvo);
    editor = ActiveEditor(tarvo.frame);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(DocumentText(editor), "int kept;\nint typed;");
    EXPECT_TRUE(Query(editor, kFlags) & kModified);
    Command(tarvo.frame, CMD_SAVE);
    EXPECT_EQ(ReadTextFile(file), "int kept;\r\nint typed;\r\n");
}

}  // namespace
}  // namespace tarvo::gui

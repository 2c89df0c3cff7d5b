// The editor's commands in the program: Go to line, the function list, bookmarks, the reload
// question, read-only documents and saving the untitled buffer under a name.
#include <gtest/gtest.h>

#include "editor_gui_util_win.h"
#include "base/command_ids.h"

namespace tarvo::gui {
namespace {

using namespace edit;

constexpr int kPromptEdit = 1002;  // IDC_EDIT of the prompt dialog
constexpr int kListBox = 1003;     // IDC_LIST of the list dialog

class EditorCommands : public EditorTest {
protected:
    static void SetItemText(HWND dialog, int id, const std::string& text) {
        SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string Status() { return Text(ChildOfClass(tarvo.frame, "TarvoOutput")); }
};

TEST_F(EditorCommands, GoToLineRefusesWhatIsNotALineNumber) {
    HWND editor = Open("g.c", "a\r\nb\r\nc\r\nd\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_DOWN);
    Chord(tarvo.frame, {VK_CONTROL, 'G'});
    HWND prompt = WaitForBox(tarvo, 5000);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(Text(prompt), "Go to line");
    SetItemText(prompt, kPromptEdit, "3x");
    Answer(prompt, IDOK);
    HWND box = WaitForBox(tarvo, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Incorrect line number: 3x");
    Answer(box, IDOK);
    EXPECT_EQ(Query(editor, kCursorLine), 2);  // nothing moved
    PostMessageA(tarvo.frame, WM_COMMAND, CMD_GO_TO_LINE, 0);
    prompt = WaitForBox(tarvo, 5000);
    ASSERT_NE(prompt, nullptr);
    SetItemText(prompt, kPromptEdit, " 4 ");
    Answer(prompt, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return Query(editor, kCursorLine) == 4; }));
}

TEST_F(EditorCommands, F12ListsTheFunctionsAndGoesToTheChosenOne) {
    HWND editor = Open("fn.c",
                       "int one(void)\r\n{\r\n\treturn 1;\r\n}\r\n\r\n"
                       "static int two(int x)\r\n{\r\n\treturn x;\r\n}\r\n\r\n"
                       "void three(char *s)\r\n{\r\n}\r\n");
    ASSERT_NE(editor, nullptr);
    PostMessageA(editor, WM_KEYDOWN, VK_F12, 1);
    HWND list = WaitForBox(tarvo, 5000);
    ASSERT_NE(list, nullptr);
    HWND box = GetDlgItem(list, kListBox);
    ASSERT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 3);
    SendMessageA(box, LB_SETCURSEL, 2, 0);
    Answer(list, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return Query(editor, kCursorLine) == 11; })) << Query(editor, kCursorLine);
}

TEST_F(EditorCommands, BookmarksAreSetWithF7AndVisitedWithCtrlShiftF7) {
    HWND editor = Open("bm.c", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_DOWN);
    Key(editor, VK_F7);
    EXPECT_EQ(Status(), "Bookmark set");
    Key(editor, VK_DOWN, 3);
    Key(editor, VK_F7);
    Key(editor, VK_HOME);
    Command(tarvo.frame, CMD_TOP);  // Top
    for (long expected : {2, 5, 2}) {
        Chord(tarvo.frame, {VK_CONTROL, VK_SHIFT, VK_F7});
        ASSERT_TRUE(WaitUntil([&] { return Query(editor, kCursorLine) == expected; })) << expected;
    }
    Key(editor, VK_F7);  // on line 2 again: removed
    EXPECT_EQ(Status(), "Bookmark removed");
    Command(tarvo.frame, CMD_TOP);
    Command(tarvo.frame, CMD_GO_TO_BOOKMARK);  // the only one left: straight to it
    EXPECT_EQ(Query(editor, kCursorLine), 5);
}

TEST_F(EditorCommands, AFileChangedOnDiskIsOfferedForReload) {
    HWND editor = Open("disk.c", "int old;\r\n");
    ASSERT_NE(editor, nullptr);
    WriteTextFile(file, "int fresh;\r\nint more;\r\n");
    ShiftFileTime(file, 5);  // a later modification time, whatever the clock's grain
    SendMessageA(tarvo.frame, WM_ACTIVATE, WA_ACTIVE, 0);
    HWND box = WaitForBox(tarvo, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "File " + file + " has been changed. Reload from disk?");
    Answer(box, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return ScreenRow(editor, 1) == "int more;"; })) << ScreenRow(editor, 1);
    EXPECT_EQ(ScreenRow(editor, 0), "int fresh;");
    EXPECT_EQ(DocumentText(editor), "int fresh;\nint more;");
}

TEST_F(EditorCommands, AReadOnlyDocumentIsNotChangedByTyping) {
    HWND editor = Open("ro.c", "int x;\r\n");
    ASSERT_NE(editor, nullptr);
    Command(tarvo.frame, CMD_READ_ONLY);
    EXPECT_EQ(Text(editor), file + " [read only]");
    Type(editor, "a \tb\n");
    Key(editor, VK_DELETE);
    EXPECT_EQ(DocumentText(editor), "int x;");
    EXPECT_EQ(Query(editor, kCursorColumn), 2);  // the blank and the tab moved the cursor instead
    EXPECT_FALSE(Query(editor, kFlags) & kModified);
    Command(tarvo.frame, CMD_READ_ONLY);
    Type(editor, "Z");
    EXPECT_EQ(DocumentText(editor), "inZt x;");
}

// The untitled buffer is saved under the name chosen in the file dialog and its window then
// shows that file.
TEST_F(EditorCommands, SavingTheUntitledBufferAsksForAName) {
    ASSERT_TRUE(Start(tarvo, "", dir));
    Command(tarvo.frame, CMD_NEW);  // New
    Settle(tarvo);
    HWND editor = ActiveEditor(tarvo.frame);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor), "untitled");
    Type(editor, "int made;\n");
    PostMessageA(tarvo.frame, WM_COMMAND, CMD_SAVE, 0);
    HWND dialog = WaitForBox(tarvo, 10000);
    ASSERT_NE(dialog, nullptr);
    std::string target = dir + "\\made.c";
    // The file name box of the common dialog: an edit field in a combo box in an extended one.
    HWND name = GetDlgItem(dialog, 0x47c);
    for (const char* inner : {"ComboBox", "Edit"})
        if (HWND child = name ? FindWindowExA(name, nullptr, inner, nullptr) : nullptr) name = child;
    ASSERT_NE(name, nullptr);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return ReadTextFile(target) == "int made;\r\n\r\n"; }, 10000)) << ReadTextFile(target);
    ASSERT_TRUE(WaitUntil([&] { return ActiveEditor(tarvo.frame) && Text(ActiveEditor(tarvo.frame)) == target; }));
    EXPECT_EQ(MdiChildren(tarvo.frame).size(), 1u);
    EXPECT_EQ(DocumentText(ActiveEditor(tarvo.frame)), "int made;\n");
}

// Text typed into the untitled buffer is offered for saving at exit like any modified file.
TEST_F(EditorCommands, QuittingAsksAboutTextInTheUntitledBuffer) {
    ASSERT_TRUE(Start(tarvo, "", dir));
    Command(tarvo.frame, CMD_NEW);
    Settle(tarvo);
    HWND editor = ActiveEditor(tarvo.frame);
    ASSERT_NE(editor, nullptr);
    Type(editor, "keep me");
    PostMessageA(tarvo.frame, WM_CLOSE, 0, 0);
    HWND save = WaitForBox(tarvo);
    ASSERT_NE(save, nullptr);
    Answer(save, IDOK);  // Save: the buffer has no file, so Save as asks for a name
    HWND saveAs = WaitForBox(tarvo, 10000);
    ASSERT_NE(saveAs, nullptr);
    PostMessageA(saveAs, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    // Cancelling the name ends the exit: the program and the text are still there.
    Settle(tarvo);
    ASSERT_EQ(WaitForSingleObject(tarvo.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(DocumentText(ActiveEditor(tarvo.frame)), "keep me");

    PostMessageA(tarvo.frame, WM_CLOSE, 0, 0);
    save = WaitForBox(tarvo);
    ASSERT_NE(save, nullptr);
    Answer(save, 1006);  // Don't save: the user's choice ends the program
    EXPECT_EQ(WaitForSingleObject(tarvo.process.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
}

}  // namespace
}  // namespace tarvo::gui

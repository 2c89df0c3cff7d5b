// Find and Replace as a user meets them: the dialogs with their options and errors, Find Next
// on F3, and a replacement asked about match by match and undone at once.
#include <gtest/gtest.h>

#include "editor_gui_util_win.h"
#include "base/command_ids.h"

namespace tarvo::gui {
namespace {

using namespace edit;

// Controls of the Find and Replace dialogs (resources/resource_ids.h).
constexpr int kSearchText = 1020, kReplaceText = 1021, kRegex = 1022, kForwards = 1028, kBackwards = 1029,
              kWrap = 1030, kReplaceAll = 1032;

class EditorSearch : public EditorTest {
protected:
    // Opens a dialog with a command and waits for it.
    HWND OpenDialog(unsigned command) {
        PostMessageA(tarvo.frame, WM_COMMAND, command, 0);
        return WaitForBox(tarvo, 5000);
    }
    static void SetText(HWND dialog, int id, const std::string& text) {
        SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    static void SetCheck(HWND dialog, int id, bool on) {
        SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    static void Direction(HWND dialog, int chosen) {
        for (int id : {kForwards, kBackwards, kWrap}) SetCheck(dialog, id, id == chosen);
    }
    // Presses OK and returns the box that comes instead of the dialog closing, if any.
    HWND PressOk(HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int tick = 0; tick < 100; ++tick) {
            for (HWND other : Dialogs(tarvo))
                if (other != dialog) return other;
            if (!IsWindow(dialog)) return nullptr;
            Sleep(50);
        }
        return nullptr;
    }
    // Presses OK on a dialog that closes at once (what comes next is waited for apart).
    static void CloseWithOk(HWND dialog) { Answer(dialog, IDOK); }
    std::string Status() { return Text(ChildOfClass(tarvo.frame, "TarvoOutput")); }
};

TEST_F(EditorSearch, FindAPatternThenFindNextWithF3) {
    HWND editor = Open("f.c", "int alpha;\r\nint beta2;\r\nchar gamma33;\r\n");
    ASSERT_NE(editor, nullptr);
    HWND dialog = OpenDialog(CMD_FIND);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog), "Find");
    // Both faults of the form keep the dialog open with their message.
    SetText(dialog, kSearchText, "");
    HWND box = PressOk(dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Empty search string?");
    Answer(box, IDOK);
    SetText(dialog, kSearchText, "[a-z]+[0-9]+");
    SetCheck(dialog, kRegex, true);
    Direction(dialog, 0);  // none chosen (the settings start without a direction)
    box = PressOk(dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Direction ?");
    Answer(box, IDOK);
    ASSERT_TRUE(IsWindow(dialog));
    Direction(dialog, kForwards);
    Settle(tarvo);
    Screenshot(dir + "\\find_dialog.bmp");
    EXPECT_EQ(PressOk(dialog), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Query(editor, kAnchorLine) == 2; }));
    EXPECT_EQ(Query(editor, kAnchorColumn), 4);
    EXPECT_EQ(Query(editor, kCursorColumn), 9);  // "beta2" selected
    Key(editor, VK_F3);
    EXPECT_EQ(Query(editor, kAnchorLine), 3);
    EXPECT_EQ(Query(editor, kAnchorColumn), 5);
    EXPECT_EQ(Query(editor, kCursorColumn), 12);  // "gamma33"
    PostMessageA(editor, WM_KEYDOWN, VK_F3, 1);
    box = WaitForBox(tarvo, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "String not found");
    Answer(box, IDOK);
    EXPECT_EQ(Query(editor, kCursorLine), 3);  // nothing moved
}

TEST_F(EditorSearch, CancellingFindChangesNothing) {
    HWND editor = Open("c.c", "abc\r\nabc\r\n");
    ASSERT_NE(editor, nullptr);
    Key(editor, VK_DOWN);
    HWND dialog = OpenDialog(CMD_FIND);
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, kSearchText, "abc");
    Answer(dialog, IDCANCEL);
    EXPECT_EQ(Query(editor, kCursorLine), 2);
    EXPECT_EQ(Query(editor, kAnchorLine), 0);
    Command(tarvo.frame, CMD_UNDO);  // the cancelled Find left nothing to undo; Down is undone
    EXPECT_EQ(Query(editor, kCursorLine), 1);
}

TEST_F(EditorSearch, ReplaceAsksForEachMatchAndOneUndoTakesItBack) {
    HWND editor = Open("r.c", "x = x + x;\r\nint x;\r\n");
    ASSERT_NE(editor, nullptr);
    HWND dialog = OpenDialog(CMD_REPLACE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog), "Search and replace");
    SetText(dialog, kSearchText, "x");
    SetText(dialog, kReplaceText, "yy");
    Direction(dialog, kForwards);
    CloseWithOk(dialog);
    // Confirmation is ticked whenever the dialog opens: a question per match.
    std::string seen;
    for (int answer : {IDYES, IDNO, IDYES, IDCANCEL}) {
        HWND question = WaitForBox(tarvo, 5000);
        ASSERT_NE(question, nullptr);
        seen += BoxText(question) + "|";
        Answer(question, answer);
    }
    EXPECT_EQ(seen, "Replace this occurrence?|Replace this occurrence?|Replace this occurrence?|"
                    "Replace this occurrence?|");
    EXPECT_EQ(DocumentText(editor), "yy = x + yy;\nint x;");  // the fourth was cancelled
    Command(tarvo.frame, CMD_UNDO);
    EXPECT_EQ(DocumentText(editor), "x = x + x;\nint x;");
    // "All" replaces this match and every later one without asking.
    Command(tarvo.frame, CMD_TOP);
    dialog = OpenDialog(CMD_REPLACE);
    ASSERT_NE(dialog, nullptr);
    SetText(dialog, kSearchText, "x");
    SetText(dialog, kReplaceText, "z");
    Direction(dialog, kForwards);
    CloseWithOk(dialog);
    HWND question = WaitForBox(tarvo, 5000);
    ASSERT_NE(question, nullptr);
    Answer(question, kReplaceAll);
    ASSERT_TRUE(WaitUntil([&] { return DocumentText(editor) == "z = z + z;\nint z;"; })) << DocumentText(editor);
    EXPECT_TRUE(Dialogs(tarvo).empty());
    EXPECT_EQ(Status(), "4 substitutions");
}

}  // namespace
}  // namespace tarvo::gui

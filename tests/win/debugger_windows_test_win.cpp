// The debugger's windows on a real program built by the project's stand-in toolchain: locals,
// watches and nearby variables follow a loop; Evaluate reports a failure and lives on; the call
// stack of a recursion chooses an outer frame and the locals follow it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "debugger/debugger_windows_win.h"
#include "debugging_fixture_win.h"
#include "editor/editor_paint_win.h"

namespace tarvo::test {
namespace {

// Line numbers below are the lines of this text.
const char* kProgram =
    "#include <stdio.h>\r\n"                     // 1
    "\r\n"                                       // 2
    "struct point { int x; int y; };\r\n"        // 3
    "struct point where;\r\n"                    // 4
    "\r\n"                                       // 5
    "static int depth(int n)\r\n"                // 6
    "{\r\n"                                      // 7
    "\tint local = n * 10;\r\n"                  // 8
    "\tif (n > 0)\r\n"                           // 9
    "\t\treturn depth(n - 1) + local;\r\n"       // 10
    "\treturn local;\r\n"                        // 11
    "}\r\n"                                      // 12
    "\r\n"                                       // 13
    "int main(void)\r\n"                         // 14
    "{\r\n"                                      // 15
    "\tint arr[4] = {1, 2, 3, 4};\r\n"           // 16
    "\tint i;\r\n"                               // 17
    "\tint total = 0;\r\n"                       // 18
    "\twhere.y = 7;\r\n"                         // 19
    "\tfor (i = 0; i < 3; i++) {\r\n"            // 20
    "\t\twhere.x = arr[i] * 2;\r\n"              // 21
    "\t\ttotal += where.x;\r\n"                  // 22
    "\t}\r\n"                                    // 23
    "\ttotal += depth(2);\r\n"                   // 24
    "\treturn total;\r\n"                        // 25
    "}\r\n";                                     // 26

class DebuggerWindows : public DebuggingTest {
protected:
    void SetUp() override {
        DebuggingTest::SetUp();
        BuildDemo(kProgram);
    }
    // A screenshot once every window of ours has painted what it holds now.
    void Picture(const std::string& path) {
        Command(CMD_STACK_WINDOW);  // in front: the frame comes up over them when a dialog ends
        Command(CMD_WATCHES);
        Sync();
        EnumThreadWindows(GetCurrentThreadId(), Repaint, 0);
        // Wine hands what was painted to the display a little later: messages handled meanwhile.
        ULONGLONG start = GetTickCount64();
        WaitUntil([start] { return GetTickCount64() - start > 200; });
        Screenshot(path);
    }
    static BOOL CALLBACK Repaint(HWND window, LPARAM) {
        return RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN), TRUE;
    }
    static std::string Selected(HWND list) {
        LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
        std::vector<std::string> rows = Rows(list);
        return at >= 0 && at < static_cast<LRESULT>(rows.size()) ? rows[static_cast<std::size_t>(at)] : std::string();
    }
    static std::vector<HTREEITEM> Roots(HWND tree) {
        std::vector<HTREEITEM> roots;
        for (LRESULT item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); item;
             item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
            roots.push_back(reinterpret_cast<HTREEITEM>(item));
        return roots;
    }
    static std::string ItemText(HWND tree, HTREEITEM item) {
        char text[256] = "";
        TVITEMA t{};
        t.mask = TVIF_TEXT;
        t.hItem = item;
        t.pszText = text;
        t.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&t));
        return text;
    }
};

// A breakpoint in a loop: each stop the locals show the loop variable and select what changed
// last, the nearby variables follow the line, a watch on a structure member changes while an
// unchanged one keeps its item; Evaluate reports a division by zero and goes on; Show value of
// and the value tip name what is under the cursor and the mouse.
TEST_F(DebuggerWindows, LocalsWatchesAndNearbyVariablesFollowALoop) {
    base::settings().project.breakpoints = {{"demo.c", 21}};
    RunToStop(CMD_DEBUGGER);
    RunToStop(CMD_DEBUG_EXECUTE);
    Command(CMD_STACK_WINDOW);
    Command(CMD_WATCHES);
    HWND locals = View("Locals"), tree = View("Watch"), nearbyList = View("Nearby variables");
    ASSERT_TRUE(locals && tree && nearbyList && View("Call stack"));
    EXPECT_TRUE(Holds(Rows(locals), "i = 0")) << ::testing::PrintToString(Rows(locals));
    // Insert in the watch tree opens the watch dialog.
    AnswerDialogs({[](HWND dialog) {
        for (const char* e : {"where.x", "where.y", "where.x"}) {
            SetDlgItemTextA(dialog, IDC_WATCH_ENTRY, e);
            Press(dialog, IDC_WATCH_ADD);
        }
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_WATCH_LIST, LB_GETCOUNT, 0, 0), 2);
        Press(dialog, IDOK);
    }});
    SendMessageA(tree, WM_KEYDOWN, VK_INSERT, 0);
    std::vector<HTREEITEM> roots = Roots(tree);
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(ItemText(tree, roots[0]), "where.x = 0");
    EXPECT_EQ(ItemText(tree, roots[1]), "where.y = 7");
    Picture(dir + "\\debugger_windows.bmp");  // the source mark, call stack, locals, watch, nearby
    // A mark of ours on the items: only a watch that changed is written again.
    for (HTREEITEM item : roots) {
        TVITEMA t{};
        t.mask = TVIF_TEXT;
        t.hItem = item;
        t.pszText = const_cast<char*>("untouched");
        SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&t));
    }

    RunToStop(CMD_DEBUG_EXECUTE);
    EXPECT_EQ(CursorLine(), 21);
    EXPECT_TRUE(Holds(Rows(locals), "i = 1")) << ::testing::PrintToString(Rows(locals));
    EXPECT_EQ(Selected(locals), "total = 2");  // i and total changed; total is the last
    EXPECT_EQ(Roots(tree), roots);
    EXPECT_EQ(ItemText(tree, roots[0]), "where.x = 2");
    EXPECT_EQ(ItemText(tree, roots[1]), "untouched");
    std::vector<std::string> nearby = Rows(nearbyList);
    EXPECT_TRUE(Holds(nearby, "i = 1")) << ::testing::PrintToString(nearby);
    EXPECT_TRUE(Holds(nearby, "where.x = 2")) << ::testing::PrintToString(nearby);

    std::vector<std::vector<std::string>> results;
    std::vector<std::string> statuses;
    AnswerDialogs({[&](HWND dialog) {
        for (const char* expression : {"arr[i/0]", "arr[i]"}) {
            SetDlgItemTextA(dialog, IDC_EV_EXPRESSION, expression);
            Press(dialog, IDOK);
            results.push_back(Rows(GetDlgItem(dialog, IDC_EV_RESULT)));
            statuses.push_back(Status());
        }
        // The history, newest first.
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_EV_EXPRESSION, CB_GETCOUNT, 0, 0), 2);
        Press(dialog, IDCANCEL);
    }});
    Command(CMD_EVALUATE);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].empty());
    EXPECT_EQ(statuses[0].rfind("Error evaluating\n", 0), 0u) << statuses[0];
    EXPECT_NE(statuses[0].find("Division by zero"), std::string::npos) << statuses[0];
    EXPECT_EQ(results[1], std::vector<std::string>{"arr[i] = 2"});

    // Show value of the word at the cursor: a variable's value in a list; a function's place.
    std::vector<std::string> shownValue;
    editor::GoToLine(22);
    editor::MoveToLineStart();
    editor::MoveRight(3);  // in "total"
    AnswerDialogs({[&](HWND dialog) {
        shownValue = Rows(GetDlgItem(dialog, IDC_LIST));
        Press(dialog, IDOK);
    }});
    Command(CMD_SHOW_VALUE);
    EXPECT_EQ(shownValue, std::vector<std::string>{"total = 2"});
    editor::GoToLine(24);
    editor::MoveToLineStart();
    editor::MoveRight(11);  // in "depth"
    Command(CMD_SHOW_VALUE);
    EXPECT_EQ(Status().rfind("Procedure depth, address 0x", 0), 0u) << Status();

    // A value tip: the mouse rests on "main" in its line; a debugger command hides the tip.
    HWND editorWindow = editor::ActiveDocumentWindow();
    const editor::Metrics& m = editor::EditorMetrics();
    int row = static_cast<int>(14 - Query(editorWindow, kQueryTopLine));
    POINT at{editor::MarginWidth() + 5 * m.charWidth + m.charWidth / 2, row * m.rowHeight + m.rowHeight / 2};
    ClientToScreen(editorWindow, &at);
    debugger::TickValueTip(at.x, at.y);  // the mouse came
    debugger::TickValueTip(at.x, at.y);  // and stayed
    HWND tip = FindWindowA("TarvoValueTip", nullptr);
    ASSERT_TRUE(tip && IsWindowVisible(tip));
    EXPECT_EQ(Text(tip).rfind("main = function at 0x", 0), 0u) << Text(tip);
    Command(CMD_WATCHES);
    EXPECT_FALSE(IsWindowVisible(tip));

    RunToStop(CMD_DEBUG_EXECUTE);
    EXPECT_TRUE(Holds(Rows(locals), "i = 2"));
    EXPECT_EQ(ItemText(tree, Roots(tree)[0]), "where.x = 4");
    Command(CMD_STOP_DEBUGGING);
    EXPECT_EQ(View("Locals"), nullptr);
}

// Stopped three calls deep in a recursion: the call stack lists the frames; choosing the
// outermost call of the function shows its line and its own locals.
TEST_F(DebuggerWindows, ChoosingAnOuterFrameShowsItsLocals) {
    base::settings().project.breakpoints = {{"demo.c", 11}};
    RunToStop(CMD_DEBUGGER);
    RunToStop(CMD_DEBUG_EXECUTE);
    Command(CMD_STACK_WINDOW);
    HWND stack = View("Call stack"), locals = View("Locals");
    ASSERT_TRUE(stack && locals);
    std::vector<std::string> frames = Rows(stack);
    std::vector<std::string> depths;
    std::vector<WPARAM> at;  // their rows: the two callers' texts are the same
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i].rfind("depth", 0) == 0) depths.push_back(frames[i]), at.push_back(i);
    ASSERT_EQ(depths.size(), 3u) << ::testing::PrintToString(frames);
    EXPECT_NE(depths[0].find(": 11"), std::string::npos) << depths[0];
    EXPECT_NE(depths[2].find(": 10"), std::string::npos) << depths[2];
    EXPECT_TRUE(Holds(Rows(locals), "n = 0")) << ::testing::PrintToString(Rows(locals));
    // The third frame's row, as the user clicks it.
    SendMessageA(stack, LB_SETCURSEL, at[2], 0);
    SendMessageA(GetParent(stack), WM_COMMAND, MAKEWPARAM(IDC_DEBUG_VIEW, LBN_SELCHANGE), reinterpret_cast<LPARAM>(stack));
    EXPECT_EQ(CursorLine(), 10);
    std::vector<std::string> outer = Rows(locals);
    EXPECT_TRUE(Holds(outer, "n = 2")) << ::testing::PrintToString(outer);
    EXPECT_TRUE(Holds(outer, "local = 20")) << ::testing::PrintToString(outer);
    Picture(dir + "\\call_stack.bmp");
    Command(CMD_STOP_DEBUGGING);
}

}  // namespace
}  // namespace tarvo::test

// The debugger on a real program built by the project's stand-in toolchain: it runs to main's
// first line, stops at breakpoints set with F2 and at saved ones, shows a fault and lets the
// program end with it, and ends a program that loops for ever through the program's own exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "base/dialogs_win.h"
#include "debugging_fixture_win.h"
#include "platform/text.h"
#include "debugger/debugger_win.h"
#include "debugger/engine.h"
#include "editor/editor_window_win.h"
#include "resource_ids.h"

namespace tarvo::test {
namespace {

// Line numbers below are the lines of this text.
const char* kProgram =
    "#include <stdio.h>\r\n"                                              // 1
    "#include <stdlib.h>\r\n"                                             // 2
    "#include <windows.h>\r\n"                                            // 3
    "\r\n"                                                                // 4
    "static void bye(void)\r\n"                                           // 5
    "{\r\n"                                                               // 6
    "\tFILE *f = fopen(\"bye.txt\", \"w\");\r\n"                          // 7
    "\tif (f) fclose(f);\r\n"                                             // 8
    "}\r\n"                                                               // 9
    "\r\n"                                                                // 10
    "int main(int argc, char **argv)\r\n"                                 // 11
    "{\r\n"                                                               // 12
    "\tint total = 0;\r\n"                                                // 13
    "\tint i;\r\n"                                                        // 14
    "\tatexit(bye);\r\n"                                                  // 15
    "\tfor (i = 0; i < 3; i++)\r\n"                                       // 16
    "\t\ttotal += i;\r\n"                                                 // 17
    "\tif (argc > 1 && argv[1][0] == 'n')\r\n"                            // 18
    "\t\treturn *(volatile int *)0;\r\n"                                  // 19
    "\twhile (argc > 1 && argv[1][0] == 'l')\r\n"                         // 20
    "\t\tSleep(10);\r\n"                                                  // 21
    "\treturn 43 + total;\r\n"                                            // 22
    "}\r\n"                                                               // 23
    "int table[3] = {1, 2, 3};\r\n";                                      // 24

class Debugging : public DebuggingTest {
protected:
    void SetUp() override {
        DebuggingTest::SetUp();
        BuildDemo(kProgram);
        DeleteFileA((dir + "\\vex\\bye.txt").c_str());
    }
};

// F5 runs to main's first line and marks it; Restart does it again; Go lets the program end
// with its code.
TEST_F(Debugging, RunsToMainAndGoFinishesWithTheReturnCode) {
    RunToStop(CMD_DEBUGGER);
    EXPECT_EQ(_stricmp(platform::BaseName(ActiveName()).c_str(), "demo.c"), 0) << ActiveName();
    long first = CursorLine();
    EXPECT_TRUE(first == 12 || first == 13) << first;
    EXPECT_TRUE(MarkedCurrent(first));
    // No build while the program is being debugged.
    Command(CMD_MAKE);
    EXPECT_TRUE(Idle());
    // Restart asks, ends this run and starts the next, which stops at main again.
    shown->answers = {platform::kAnswerYes};
    RunToStop(CMD_DEBUG_RESTART);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Restart demo.exe?"});
    EXPECT_EQ(CursorLine(), first);
    RunToEnd();
    EXPECT_EQ(Status(), "Finished. Return code 46");
    EXPECT_FALSE(MarkedCurrent(first));
    EXPECT_TRUE(platform::FileExists(dir + "\\vex\\bye.txt"));
}

// F2 on a line inside the loop: the program stops there each time round; the breakpoint is the
// project's, saved as file and line.
TEST_F(Debugging, ABreakpointInALoopStopsEachTimeRound) {
    Open("demo.c", kProgram);
    editor::GoToLine(17);
    Command(CMD_BREAKPOINT);
    EXPECT_TRUE(Marked(17));
    ASSERT_EQ(base::settings().project.breakpoints.size(), 1u);
    EXPECT_EQ(base::settings().project.breakpoints[0].line, 17);
    RunToStop(CMD_DEBUGGER);
    for (int round = 0; round < 3; ++round) {
        RunToStop(CMD_DEBUG_EXECUTE);
        EXPECT_EQ(CursorLine(), 17) << round;
        EXPECT_TRUE(MarkedCurrent(17));
    }
    RunToEnd();
    EXPECT_EQ(Status(), "Finished. Return code 46");
    EXPECT_TRUE(Marked(17));
}

// Saved breakpoints: one stops the program; one in a file that holds no code of it is reported
// and stays in the project's list. Evaluate at the stop.
TEST_F(Debugging, SavedBreakpointsAreSetOrReportedAndKept) {
    base::settings().project.breakpoints = {{"demo.c", 17}, {"demo.h", 3}};
    RunToStop(CMD_DEBUGGER);
    auto& said = shown->status;
    EXPECT_NE(std::find(said.begin(), said.end(), "Not all breakpoints could be restored"), said.end());
    RunToStop(CMD_DEBUG_EXECUTE);
    EXPECT_EQ(CursorLine(), 17);
    // Evaluate there: a value, and a division by zero that fails with its message, the IDE alive.
    std::vector<std::string> results;
    AnswerDialogs({[&](HWND dialog) {
        for (const char* expression : {"total", "table[i + 2]", "table[i/0]"}) {
            SetDlgItemTextA(dialog, IDC_EV_EXPRESSION, expression);
            Press(dialog, IDOK);
            char row[256] = "";
            if (SendDlgItemMessageA(dialog, IDC_EV_RESULT, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row)) >= 0) results.push_back(row);
        }
        Press(dialog, IDCANCEL);
    }});
    Command(CMD_EVALUATE);
    EXPECT_EQ(results, (std::vector<std::string>{"total = 0", "table[i+2] = 3"}));
    EXPECT_EQ(Status().rfind("Error evaluating\n", 0), 0u) << Status();
    EXPECT_NE(Status().find("Division by zero"), std::string::npos) << Status();
    Command(CMD_STOP_DEBUGGING);
    EXPECT_TRUE(Ended());
    std::vector<base::Breakpoint> expected{{"demo.h", 3}};
    std::vector<base::Breakpoint>& kept = base::settings().project.breakpoints;
    EXPECT_EQ(kept.size(), 2u);
    EXPECT_NE(std::find(kept.begin(), kept.end(), expected[0]), kept.end());
}

// A NULL dereference: the first chance goes to the program, the second stops with the exception
// shown; Go then ends the program with the fault as its code, not a stop for ever.
TEST_F(Debugging, AFaultIsShownAndTheNextGoEndsTheProgram) {
    base::settings().project.debuggerArguments = "n";
    RunToStop(CMD_DEBUGGER);
    RunToStop(CMD_DEBUG_EXECUTE);
    HWND shownException = FindWindowA("TarvoException", nullptr);
    ASSERT_NE(shownException, nullptr);
    char text[512] = "";
    GetWindowTextA(GetWindow(shownException, GW_CHILD), text, sizeof text);
    EXPECT_NE(std::string(text).find("Access Violation - Second Chance"), std::string::npos) << text;
    RunToEnd();
    EXPECT_EQ(Status(), "Finished. Return code -1073741819");
}

// Stop debugging a program in an endless loop ends it soon, through its own exit: its exit
// handler runs.
TEST_F(Debugging, StopDebuggingEndsALoopingProgramThroughItsExit) {
    base::settings().project.debuggerArguments = "l";
    RunToStop(CMD_DEBUGGER);
    Command(CMD_DEBUG_EXECUTE);
    Sleep(300);
    EXPECT_FALSE(Stopped());
    ULONGLONG start = GetTickCount64();
    Command(CMD_STOP_DEBUGGING);
    EXPECT_LT(GetTickCount64() - start, 2000u);
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(platform::FileExists(dir + "\\vex\\bye.txt"));
    // The IDE goes on: the next run starts and ends.
    base::settings().project.debuggerArguments.clear();
    RunToStop(CMD_DEBUGGER);
    RunToEnd();
    EXPECT_EQ(Status(), "Finished. Return code 46");
}

// Edit breakpoints outside a run edits the project's list as records: a row deleted, one set
// from the entry field, the marks of the open document following on OK.
TEST_F(Debugging, EditBreakpointsOutsideARunEditsTheProjectsList) {
    Open("demo.c", kProgram);
    base::settings().project.breakpoints = {{"demo.c", 13}, {"demo.c", 17}};
    debugger::RemarkBreakpoints();
    EXPECT_TRUE(Marked(13) && Marked(17));
    AnswerDialogs({[](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_BP_LIST);
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
        char row[64] = "";
        SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
        // The open document's marks are the list's truth: its entries carry its full name.
        EXPECT_TRUE(std::string(row).ends_with("\\demo.c 13 }")) << row;
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        Press(dialog, IDC_BP_DELETE);
        SetDlgItemTextA(dialog, IDC_BP_ENTRY, "demo.c 22");
        Press(dialog, IDC_BP_SET);
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
        Press(dialog, IDOK);
    }});
    Command(CMD_EDIT_BREAKPOINTS);
    const std::vector<base::Breakpoint>& saved = base::settings().project.breakpoints;
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(platform::BaseName(saved[0].file) + " " + std::to_string(saved[0].line), "demo.c 17");
    EXPECT_EQ(platform::BaseName(saved[1].file) + " " + std::to_string(saved[1].line), "demo.c 22");
    EXPECT_FALSE(Marked(13));
    EXPECT_TRUE(Marked(17) && Marked(22));
}

// A pass count set in the breakpoint's properties: with 2 the loop passes the breakpoint twice
// and stops on its third (last) round only.
TEST_F(Debugging, APassCountLetsTheProgramPassTheBreakpoint) {
    base::settings().project.breakpoints = {{"demo.c", 17}};
    RunToStop(CMD_DEBUGGER);
    AnswerDialogs({[](HWND dialog) {
                       HWND list = GetDlgItem(dialog, IDC_BP_LIST);
                       EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1) << Log();
                       char row[128] = "";
                       SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
                       EXPECT_NE(std::string(row).find(" {demo.c:17 }"), std::string::npos) << row;
                       SendMessageA(list, LB_SETCURSEL, 0, 0);
                       // Posted: the properties open from the dialog's own loop, not inside this step.
                       PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BP_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
                   },
                   [](HWND prompt) {
                       SetDlgItemTextA(prompt, IDC_EDIT, "2");
                       Press(prompt, IDOK);
                   },
                   [](HWND dialog) { Press(dialog, IDOK); }});
    Command(CMD_EDIT_BREAKPOINTS);
    RunToStop(CMD_DEBUG_EXECUTE);
    EXPECT_EQ(CursorLine(), 17);
    // Only the third round stopped: i is 2 there, so total is 1 and the program returns 46.
    RunToEnd();
    EXPECT_EQ(Status(), "Finished. Return code 46");
    EXPECT_EQ(base::settings().project.breakpoints.size(), 1u);
}

// The debug registers of a stopped program's thread read back what the data-breakpoint dialog
// wrote (they do not fire on these machines: the firing is tested in the core).
TEST_F(Debugging, ADataBreakpointIsWrittenIntoTheDebugRegisters) {
    RunToStop(CMD_DEBUGGER);
    AnswerDialogs({[](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_DB_ADDRESS + 1, "0x1003");
        SendDlgItemMessageA(dialog, IDC_DB_SIZE + 1, CB_SETCURSEL, 2, 0);  // four bytes
        base::Check(dialog, IDC_DB_ENABLED + 1, true);
        Press(dialog, IDOK);
    }});
    Command(CMD_DATA_BREAKPOINTS);
    // An unaligned address is refused, and the slot stays free.
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_NE(BoxTexts()[0].find("multiple of 4"), std::string::npos) << BoxTexts()[0];
    std::uint64_t at = debugger::engineState().stackBase - 64;
    AnswerDialogs({[at](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_DB_ADDRESS + 1, Printf("0x%llx", static_cast<unsigned long long>(at)).c_str());
        SendDlgItemMessageA(dialog, IDC_DB_SIZE + 1, CB_SETCURSEL, 2, 0);
        SendDlgItemMessageA(dialog, IDC_DB_ACCESS + 1, CB_SETCURSEL, 1, 0);
        base::Check(dialog, IDC_DB_ENABLED + 1, true);
        Press(dialog, IDOK);
    }});
    Command(CMD_DATA_BREAKPOINTS);
    debugger::Engine& e = debugger::engineState();
    debugger::Registers regs;
    ASSERT_TRUE(e.process.getRegisters(e.mainThread, regs));
    EXPECT_EQ(regs.dr[1], at);
    EXPECT_EQ(regs.dr7 & 0xC, 0x4u);                  // slot 2's local enable
    EXPECT_EQ((regs.dr7 >> 20) & 0xF, 0xFu);          // read/write, four bytes
    RunToEnd();
    EXPECT_EQ(Status(), "Finished. Return code 46");
}

// Attach to a program that runs already: Break stops it, F2 while it runs sets a breakpoint it
// then stops at, and Stop debugging ends it through its own exit.
TEST_F(Debugging, AttachBreakAndABreakpointSetWhileRunning) {
    std::string program = dir + "\\vex\\demo.exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION running{};
    std::string commandLine = "\"" + program + "\" l";
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, (dir + "\\vex").c_str(),
                               &startup, &running));
    CloseHandle(running.hThread);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    debugger::Attach(running.dwProcessId, static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(done)));
    EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(done, 0) == WAIT_OBJECT_0; }, kRunMs)) << Status();
    CloseHandle(done);
    ASSERT_TRUE(debugger::DebuggingActive());
    RunToStop(CMD_DEBUG_BREAK);
    Command(CMD_DEBUG_EXECUTE);
    EXPECT_FALSE(Stopped());

    Open("demo.c", kProgram);
    editor::GoToLine(21);
    Command(CMD_BREAKPOINT);  // the program is held still for it, then goes on
    EXPECT_TRUE(Marked(21));
    ASSERT_TRUE(WaitUntil(Stopped, kRunMs)) << Status();
    Sync();
    EXPECT_EQ(CursorLine(), 21);
    EXPECT_TRUE(MarkedCurrent(21)) << Status() << " in " << ActiveName() << "\n" << Log();
    Command(CMD_STOP_DEBUGGING);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(WaitForSingleObject(running.hProcess, 5000), WAIT_OBJECT_0);
    CloseHandle(running.hProcess);
    EXPECT_TRUE(platform::FileExists(dir + "\\vex\\bye.txt"));
}

}  // namespace
}  // namespace tarvo::test

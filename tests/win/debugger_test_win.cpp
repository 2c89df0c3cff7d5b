// The debugger on a real program built by the project's stand-in toolchain: it runs to main's
// first line, stops at breakpoints set with F2 and at saved ones, shows a fault and lets the
// program end with it, and ends a program that loops for ever through the program's own exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "build_fixture_win.h"
#include "debugger/debugger_win.h"
#include "editor/editor_window_win.h"

namespace tarvo::test {
namespace {

constexpr DWORD kRunMs = 20000;

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
    "}\r\n";                                                              // 23

class Debugging : public ProjectBuildTest {
protected:
    void SetUp() override {
        ProjectBuildTest::SetUp();
        CreateDemo({{"demo.c", kProgram}});
        std::vector<std::string> rows = Make();
        ASSERT_TRUE(Succeeded(rows)) << ::testing::PrintToString(rows);
        DeleteFileA((dir + "\\vex\\bye.txt").c_str());
    }
    void TearDown() override {
        debugger::StopDebugging();
        ProjectBuildTest::TearDown();
    }
    static bool Stopped() { return debugger::ProgramStopped(); }
    static bool Ended() { return !debugger::DebuggingActive(); }
    // Starts (or goes on) and waits for the next stop.
    void RunToStop(unsigned command) {
        Command(command);
        ASSERT_TRUE(WaitUntil(Stopped, kRunMs)) << "no stop; status: " << Status();
        Sync();
    }
    void RunToEnd() {
        Command(CMD_DEBUG_EXECUTE);
        ASSERT_TRUE(WaitUntil(Ended, kRunMs)) << "no end; status: " << Status();
    }
    static bool MarkedCurrent(long line) {
        editor::Document* doc = editor::CurrentDocument();
        editor::Line* l = doc ? editor::LineAtNumber(*doc, line) : nullptr;
        return l && (l->marks & editor::kMarkDebugB);
    }
    static bool Marked(long line) {
        editor::Document* doc = editor::CurrentDocument();
        editor::Line* l = doc ? editor::LineAtNumber(*doc, line) : nullptr;
        return l && (l->marks & editor::kMarkBreakpoint);
    }
};

// F5 runs to main's first line and marks it; Go lets the program end with its code.
TEST_F(Debugging, RunsToMainAndGoFinishesWithTheReturnCode) {
    RunToStop(CMD_DEBUGGER);
    EXPECT_EQ(_stricmp(platform::BaseName(ActiveName()).c_str(), "demo.c"), 0) << ActiveName();
    long first = CursorLine();
    EXPECT_TRUE(first == 12 || first == 13) << first;
    EXPECT_TRUE(MarkedCurrent(first));
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
// and stays in the project's list.
TEST_F(Debugging, SavedBreakpointsAreSetOrReportedAndKept) {
    base::settings().project.breakpoints = {{"demo.c", 17}, {"demo.h", 3}};
    RunToStop(CMD_DEBUGGER);
    auto& said = shown->status;
    EXPECT_NE(std::find(said.begin(), said.end(), "Not all breakpoints could be restored"), said.end());
    RunToStop(CMD_DEBUG_EXECUTE);
    EXPECT_EQ(CursorLine(), 17);
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

}  // namespace
}  // namespace tarvo::test

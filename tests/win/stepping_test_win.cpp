// Stepping in the running program: step over lands on the next line and keeps the value the
// call returned, step into stops on the callee's first line, step out comes back to the
// caller, run to cursor stops again at a breakpoint inside a loop, set next statement moves
// on, and a line with a long loop is stepped over at full speed.
#include <windows.h>

#include <gtest/gtest.h>

#include "debugger/debug_queries.h"
#include "debugging_fixture_win.h"

namespace tarvo::test {
namespace {

// Line numbers below are the lines of this text.
const char* kSteps =
    "#include <stdio.h>\r\n"                                   // 1
    "\r\n"                                                     // 2
    "static int sq(int v)\r\n"                                 // 3
    "{\r\n"                                                    // 4
    "\tint r = v * v;\r\n"                                     // 5
    "\treturn r;\r\n"                                          // 6
    "}\r\n"                                                    // 7
    "\r\n"                                                     // 8
    "int main(void)\r\n"                                       // 9
    "{\r\n"                                                    // 10
    "\tint r, i, t = 0;\r\n"                                   // 11
    "\tlong s = 0; int k;\r\n"                                 // 12
    "\tr = sq(7);\r\n"                                         // 13
    "\tr = sq(r - 40);\r\n"                                    // 14
    "\tfor (i = 0; i < 4; i++)\r\n"                            // 15
    "\t\tt += i;\r\n"                                          // 16
    "\tfor (k = 0; k < 100000; k++) s += k;\r\n"               // 17
    "\tprintf(\"%d %d %ld\\n\", r, t, s);\r\n"                 // 18
    "\treturn r + t;\r\n"                                      // 19
    "}\r\n";                                                   // 20

class Stepping : public DebuggingTest {
protected:
    void SetUp() override {
        DebuggingTest::SetUp();
        BuildDemo(kSteps);
    }
    void At(long line, unsigned command) {
        editor::GoToLine(line);
        RunToStop(command);
    }
};

TEST_F(Stepping, OverIntoOutRunToCursorAndSetNextStatement) {
    RunToStop(CMD_DEBUGGER);
    Command(CMD_STACK_WINDOW);  // the call stack, the locals and the nearby variables
    At(13, CMD_RUN_TO_CURSOR);
    ASSERT_EQ(CursorLine(), 13);
    // Over: the next line, not the same one again; the value sq returned is kept.
    RunToStop(CMD_SAME_LEVEL);
    EXPECT_EQ(CursorLine(), 14) << Log();
    ASSERT_FALSE(debugger::engineState().returned.empty());
    const debugger::ReturnedValue& back = debugger::engineState().returned.back();
    EXPECT_EQ(back.value, 49u);
    EXPECT_EQ(std::string(debugger::FunctionNameAt(debugger::debugInfo(), back.function)).find("sq"), 0u);
    EXPECT_TRUE(Holds(Rows(View("Nearby variables")), "sq() returns 49 (0x31)"))
        << ::testing::PrintToString(Rows(View("Nearby variables")));
    // Into sq's first line, and out again to the line after the call.
    RunToStop(CMD_STEP_IN);
    EXPECT_EQ(CursorLine(), 5) << Log();
    EXPECT_TRUE(MarkedCurrent(5));
    // The call stack: sq on its line, main on the call's line.
    std::vector<std::string> stack = Rows(View("Call stack"));
    auto frame = [&](const std::string& function, long line) {
        return std::any_of(stack.begin(), stack.end(), [&](const std::string& row) {
            return row.rfind(function + ": ", 0) == 0 && row.ends_with(": " + std::to_string(line));
        });
    };
    EXPECT_TRUE(frame("sq", 5) && frame("main", 14)) << ::testing::PrintToString(stack);
    // The stack dump: 15 words from the stack pointer, the frame pointer's marked.
    Command(CMD_CPU_WINDOW);
    std::vector<std::string> dump = Rows(View("Stack dump"));
    EXPECT_EQ(dump.size(), 16u) << ::testing::PrintToString(dump);
    EXPECT_TRUE(Holds(dump, "<--ebp-->")) << ::testing::PrintToString(dump);
    RunToStop(CMD_STEP_OUT);
    EXPECT_EQ(CursorLine(), 15) << Log();
    // Run to a cursor beyond a breakpoint in a loop: the breakpoint stops it, each round.
    editor::GoToLine(16);
    Command(CMD_BREAKPOINT);
    ASSERT_TRUE(Marked(16));
    At(18, CMD_RUN_TO_CURSOR);
    EXPECT_EQ(CursorLine(), 16);
    At(18, CMD_RUN_TO_CURSOR);
    EXPECT_EQ(CursorLine(), 16);
    editor::GoToLine(16);
    Command(CMD_BREAKPOINT);
    EXPECT_FALSE(Marked(16));
    // Set next statement: out of the loop; the long loop's line is stepped over in one go.
    editor::GoToLine(17);
    Command(CMD_SET_NEXT_STATEMENT);
    EXPECT_TRUE(Stopped());
    EXPECT_TRUE(MarkedCurrent(17));
    RunToStop(CMD_SAME_LEVEL);
    EXPECT_EQ(CursorLine(), 18) << Log();
    // Set next statement refuses the function's last line.
    editor::GoToLine(20);
    shown->boxes.clear();
    Command(CMD_SET_NEXT_STATEMENT);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Impossible to jump outside the current function"});
    RunToEnd();
    EXPECT_EQ(Status(), "Finished. Return code 81");  // sq(49 - 40) + 0: the loop left at once
}

}  // namespace
}  // namespace tarvo::test

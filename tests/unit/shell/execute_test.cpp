// Execute: a console program goes through the console runner, a GUI program starts itself,
// and a missing scanner does not stop the start.
#include <gtest/gtest.h>

#include "scripted_process.h"
#include "scripted_ui.h"
#include "shell/execute.h"

namespace tarvo::shell {
namespace {

TEST(Execute, ConsoleProgramsRunUnderTheConsoleRunner) {
    test::ScopedScriptedUi boxes;
    test::ScopedScriptedProcess tools;
    struct Case {
        platform::RunResult scan;
        const char* started;
    } cases[] = {
        {{platform::RunStatus::Finished, 1, 0}, "\"c:\\my vex\\bin\\conrun.exe\" \"c:\\a b\\x.exe\" -v"},
        {{platform::RunStatus::Finished, 0, 0}, "\"c:\\a b\\x.exe\" -v"},
        {{platform::RunStatus::Finished, 2, 0}, "\"c:\\a b\\x.exe\" -v"},  // not an image
        {{platform::RunStatus::CannotStart, -1, 2}, "\"c:\\a b\\x.exe\" -v"},
        {{platform::RunStatus::TimedOut, -1, 0}, "\"c:\\a b\\x.exe\" -v"},
    };
    for (const Case& c : cases) {
        tools.process.runs.clear();
        tools.process.started.clear();
        tools.process.handler = [&](const platform::ProcessRequest&) { return c.scan; };
        ASSERT_TRUE(ExecuteProgram("c:\\my vex", "\"c:\\a b\\x.exe\" -v"));
        ASSERT_EQ(tools.process.runs.size(), 1u);
        EXPECT_EQ(tools.process.runs[0].commandLine, "\"c:\\my vex\\bin\\pescan.exe\" /isdos \"c:\\a b\\x.exe\"");
        EXPECT_EQ(tools.process.runs[0].timeoutMs, kProgramKindTimeoutMs);
        ASSERT_EQ(tools.process.started.size(), 1u);
        EXPECT_EQ(tools.process.started[0].commandLine, c.started);
        EXPECT_TRUE(tools.process.started[0].shown);
    }
    EXPECT_TRUE(boxes.ui.boxes.empty());
}

}  // namespace
}  // namespace tarvo::shell

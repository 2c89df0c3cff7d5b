// The debugger in the program's own window layer, on a program built by the stand-in toolchain:
// the time from Go to the stop being shown at a breakpoint, stepping over a line whose loop
// runs 100,000 rounds (run to the step's breakpoints), and, beside it, what tracing costs per
// instruction here (single steps over a short line).
// Usage: tarvo_debugger_bench_win [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock_win.h"
#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/settings.h"
#include "bench_files_win.h"
#include "bench_project_win.h"
#include "debugger/debugger_win.h"
#include "debugger/engine.h"
#include "editor/cursor.h"
#include "editor/document_windows_win.h"
#include "project/build_win.h"
#include "project/makefile_generation.h"
#include "project/project_state.h"
#include "shell/startup_win.h"

namespace {

using namespace tarvo;

const char* kProgram =
    "#include <stdio.h>\n"                                  // 1
    "int main(void)\n"                                      // 2
    "{\n"                                                   // 3
    "\tlong s = 0; int k, round, t = 0;\n"                  // 4
    "\tfor (round = 0; round < 50; round++)\n"              // 5
    "\t\tt += round;\n"                                     // 6
    "\tfor (k = 0; k < 100000; k++) s += k;\n"              // 7
    "\tt += 1; t += 2; t += 3; t += 4; t += 5; t += 6;\n"   // 8
    "\tprintf(\"%ld %d\\n\", s, t);\n"                      // 9
    "\treturn 0;\n"                                         // 10
    "}\n";                                                  // 11

void Send(int command) { SendMessageA(base::app().frame, WM_COMMAND, static_cast<WPARAM>(command), 0); }

// The command, and the time until the program is stopped again and the stop shown (seconds).
double TimedStop(int command) {
    double t0 = Now();
    Send(command);
    bench::PumpUntil([] { return debugger::ProgramStopped() || !debugger::DebuggingActive(); });
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) shell::HandleMessage(msg);
    return Now() - t0;
}

long Line() { return editor::CursorPosition().line; }

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::string dir = bench::WindowsPath(TARVO_BUILD_DIR) + "\\debugger-bench";
    if (!bench::StartWithProject(dir)) return 1;
    base::Settings& s = base::settings();
    bench::Write(dir + "\\d.c", kProgram);
    s.project.files = {{"d.c", {}}};
    s.project.exe = "bench.exe";
    if (!project::GenerateMakefile(s, {})) return 1;
    Send(CMD_MAKE);
    bench::PumpUntil([] { return project::projectRun().build == project::BuildState::Idle; });
    if (project::projectRun().returnCode != 0) {
        std::printf("the build failed\n");
        return 1;
    }
    double start = TimedStop(CMD_DEBUGGER);
    if (!debugger::ProgramStopped()) {
        std::printf("the debugger did not stop at main\n");
        return 1;
    }
    // A breakpoint in the first loop: each Go runs one round and stops there.
    editor::GoToLine(6);
    Send(CMD_BREAKPOINT);
    if (debugger::engineState().BreakpointList().empty()) {
        std::printf("no breakpoint on line 6\n");
        return 1;
    }
    std::vector<double> goes;
    for (int r = 0; r < runs && r < 50; ++r) {
        goes.push_back(TimedStop(CMD_DEBUG_EXECUTE));
        if (Line() != 6) {
            std::printf("Go stopped at line %ld, not 6\n", Line());
            return 1;
        }
    }
    Send(CMD_BREAKPOINT);  // off again
    editor::GoToLine(7);
    TimedStop(CMD_RUN_TO_CURSOR);
    double loop = TimedStop(CMD_SAME_LEVEL);
    long after = Line();
    // Line 8 has no call and no loop: it is traced instruction by instruction.
    std::uint64_t steps = 0;
    double traced = 0;
    if (after == 8) {
        std::uint64_t before = debugger::engineState().traced;
        traced = TimedStop(CMD_SAME_LEVEL);
        steps = debugger::engineState().traced - before;
    }
    std::printf("start to main's first line: %.0f ms\n", start * 1000);
    std::printf("Go to the stop shown at a breakpoint: %.1f ms (median of %zu)\n", Median(goes) * 1000, goes.size());
    std::printf("step over a line looping 100,000 rounds: %.0f ms, stopped at line %ld (goal under 1 s, line 8)\n",
                loop * 1000, after);
    if (steps)
        std::printf("a traced line of %llu single steps: %.1f ms, %.2f ms a step; tracing the loop's 100,000 rounds "
                    "(at least 4 instructions each) would take about %.0f s\n",
                    static_cast<unsigned long long>(steps), traced * 1000, traced * 1000 / static_cast<double>(steps),
                    traced / static_cast<double>(steps) * 400000);
    debugger::StopDebugging();
    project::EndBuild();
    return after == 8 ? 0 : 1;
}

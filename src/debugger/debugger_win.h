// The debugger in the running program: the debug thread that owns the debuggee and its
// handles, and the window side that shows what the thread reports. The thread never touches a
// window; it posts notices, which the window thread shows.
#pragma once
#include <cstdint>
#include <string>

#include "debugger/engine.h"

namespace tarvo::debugger {

struct DebuggerSeam {
    // Whether debugging `program` may start (the up-to-date check); null: always.
    bool (*mayStart)(const std::string& program) = nullptr;
};
DebuggerSeam& debuggerSeam();

// The runner of the debugger's commands.
bool RunDebuggerCommand(int id, std::intptr_t param, std::intptr_t& result);

bool DebuggingActive();
// The debuggee is stopped and waits for Go: its state may be read.
bool ProgramStopped();
// The engine; only while the program is stopped (or no run is active).
Engine& engineState();

// Ends the run: the program is asked to run its exit code, terminated when it does not end in
// time, the debug thread waited for, then everything freed. Nothing happens when no run is active.
void StopDebugging();

// F2 outside a run: a breakpoint set on, or taken off, the cursor line of the active document;
// the project's list follows.
void ToggleEditorBreakpoint();

}  // namespace tarvo::debugger

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

// Attaches to a running process (the command line's request); `doneEvent`, when not 0, is an
// event handle of ours to signal once the attach is complete.
void Attach(unsigned long processId, unsigned long doneEvent);

// Ends the run: the program is asked to run its exit code, terminated when it does not end in
// time, the debug thread waited for, then everything freed. Nothing happens when no run is active.
void StopDebugging();

// For a change made while debugging (a toggle, a dialog): a running program is stopped
// quietly first; false when it does not stop. `held` says whether it has to go on afterwards.
bool HoldProgram(bool& held);
void ReleaseProgram(bool held);

// The breakpoint dialogs: the project's list (or the run's records) and the data breakpoints.
void EditBreakpointsDialog();
void DataBreakpointsDialog();
// A source file as the debug information names it, as a file of this machine.
std::string SourcePathOf(const std::string& file);

// Marks of open documents redone from the project's list.
void RemarkBreakpoints();

// F2 outside a run: a breakpoint set on, or taken off, the cursor line of the active document;
// the project's list follows.
void ToggleEditorBreakpoint();

}  // namespace tarvo::debugger

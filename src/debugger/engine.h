// The debug engine's core: the state of one debugging run and what each debug event does to
// it. The Win32 debug loop turns the system's events into DebugEvent records and carries out
// the Reply; tests drive the same core with scripted events. The core touches the debuggee
// only through ProcessAccess, and acts on the thread the event came from.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "debugger/breakpoints.h"
#include "debugger/call_stack.h"
#include "debugger/data_breakpoints.h"
#include "debugger/debug_info.h"
#include "debugger/debug_reader.h"
#include "debugger/registers.h"

namespace tarvo::debugger {

inline constexpr std::uint32_t kContinueHandled = 0x00010002;
inline constexpr std::uint32_t kContinueNotHandled = 0x80010001;
inline constexpr std::uint32_t kExceptionBreakpoint = 0x80000003;
inline constexpr std::uint32_t kExceptionSingleStep = 0x80000004;
inline constexpr std::uint32_t kExceptionAccessViolation = 0xC0000005;

// "Access Violation", ..., "Unknown (code %d)".
std::string ExceptionName(std::uint32_t code);

// The event log: when a line comes while more than 300 are kept, the oldest 100 go.
class EventLog {
public:
    void Add(const std::string& text);  // may hold several lines
    const std::deque<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    std::deque<std::string> lines_;
};

enum class EventKind { Exception, ThreadStart, ProcessStart, ThreadEnd, ProcessEnd, DllLoad, DllUnload, DebugString, Rip, Other };

struct DebugEvent {
    EventKind kind = EventKind::Other;
    std::uint32_t process = 0, thread = 0;
    std::uint32_t rawKind = 0;  // the system's event code, for an unknown event
    // Exceptions.
    std::uint32_t code = 0, exceptionFlags = 0;
    std::uint64_t address = 0;
    bool firstChance = true;
    std::vector<std::uint64_t> parameters;
    // Creation and DLL events: the image's base, the thread's start and local base, handles
    // (for the log), the debug-information fields of the event.
    std::uint64_t base = 0, start = 0, localBase = 0, processHandle = 0, threadHandle = 0, imageName = 0;
    std::uint32_t debugInfoOffset = 0, debugInfoSize = 0;
    bool unicode = false;
    // The DLL's or the executable's name, or the debug string, as the loop read it.
    std::string text;
    // The image file of a process creation or DLL load, read by the loop; null when unreadable.
    ImageSource* image = nullptr;
    std::uint32_t exitCode = 0, ripError = 0, ripType = 0;
};

// The debuggee as the core reaches it.
struct ProcessAccess {
    std::function<bool(std::uint64_t address, void* data, std::size_t size)> read;
    std::function<bool(std::uint64_t address, const void* data, std::size_t size)> write;  // data
    std::function<bool(std::uint64_t address, std::uint8_t byte)> writeCode;
    std::function<bool(std::uint32_t thread, Registers& regs)> getRegisters;
    std::function<bool(std::uint32_t thread, const Registers& regs)> setRegisters;
};

// What the window thread is to do. The debug thread hands over copies; it shows nothing.
struct Notice {
    enum Kind {
        Status,       // the status line
        Error,        // a message box
        ShowLine,     // open `text` at `line` and mark it as the current position
        NoSource,     // the program stopped where no source line is known
        MarkBreak,    // a breakpoint was set on `text` at `line`
        UnmarkBreak,  // ... or removed
        Stopped,
        Running,
        Exception,    // the exception window's text
        Finished,     // the debuggee's process ended, `number` its exit code
        StopDebugging,
    } kind;
    std::string text;
    unsigned line = 0;
    long number = 0;
};

struct Reply {
    bool stop = false;   // the event stays unanswered until Go (or the end)
    bool ended = false;  // the debuggee is gone: the loop ends
    std::uint32_t status = kContinueHandled;
    std::vector<Notice> notices;
};

// What a step knows of where it started.
struct StepState {
    enum Mode { Off, Tracing, Running } mode = Off;  // Running: to a step breakpoint, untraced
    bool into = false;
    int module = 0;
    Function function;        // the function the step started in
    FunctionLines lines;      // its line entries
    unsigned line = 0;        // the line it started on
    std::uint64_t lineStart = 0;  // that line's start: coming back there is a new round of a loop
    std::uint64_t stackPointer = 0, last = 0;
    bool Active() const { return mode != Off; }
};

// Whether a step or a move of the instruction pointer could be prepared.
struct StepStart {
    bool ok = false;
    bool resume = false;       // the program is to run
    std::string problem;       // for the user, when not ok
    std::string file;          // set next statement: the file and line used
    unsigned line = 0;
};

struct SavedBreakpoint {
    std::string file;
    unsigned line = 0;
    bool operator==(const SavedBreakpoint&) const = default;
};

struct ThreadEntry {
    std::uint32_t id = 0;
    std::uint64_t localBase = 0, start = 0;
};

// The result of a toggle.
enum class Toggle { Set, Removed, Kept, NoCode, NotModule, Failed };
struct ToggleResult {
    Toggle outcome = Toggle::Failed;
    unsigned line = 0;     // the line used
    std::string file;      // the source file as the debug information names it
};

// How the engine ends a debuggee: through its own exit code (the call set up in the main
// thread) or, when no exit function can be trusted, by terminating it.
struct KillPlan {
    bool terminate = true;
    std::uint64_t function = 0;
};

struct Engine {
    // Given at the start.
    ProcessAccess process;
    bool attaching = false;
    bool stopOnFirstChanceFaults = false;
    std::vector<SavedBreakpoint> saved;  // the project's breakpoints; never shortened here

    // The run.
    const Target* target = nullptr;
    std::uint32_t processId = 0, mainThread = 0, eventThread = 0;
    std::uint64_t loadBase = 0, startAddress = 0, stackBase = 0;
    int firstBreak = 0;  // 0 before the loader breakpoint, 1 just after it, 2 afterwards
    bool noDebugInfo = false, skipForeignBreak = false, stepForData = false, breakRequested = false;
    StepState step;
    std::uint64_t traced = 0;  // single steps the steps took, for the log and the benchmark
    bool exited = false;
    long exitCode = 0;
    std::optional<std::uint64_t> rearm;  // the breakpoint to write back after the next step
    std::uint32_t rearmThread = 0;
    Registers context, exceptionContext;
    std::uint32_t resumeStatus = kContinueHandled;  // what Go answers the stopped event with
    std::vector<ThreadEntry> threads;               // newest first
    std::vector<std::uint32_t> children;            // child process ids, newest first
    EventLog log;
    BreakpointTable breakpoints;
    std::vector<SavedBreakpoint> pending;  // the user's, not set yet (a DLL may bring them)
    DataSlot slots[kDataSlots];
    std::vector<ReturnedValue> returned;   // at most 10, newest last
    std::string stoppedFile;               // the current position
    unsigned stoppedLine = 0;

    // One event; the reply says whether the program stops and how to continue the event.
    Reply Handle(DebugEvent& event);
    // Go: prepares the stopped program to run and says how to continue its event.
    std::uint32_t PrepareResume();

    // The window thread's requests, made only while the program is stopped.
    ToggleResult ToggleFromEditor(const std::string& file, unsigned line, bool setOnly);
    ToggleResult ToggleLine(int module, int file, unsigned line);
    bool BreakOnFunction(const std::string& name);
    bool BreakAtAddress(std::uint64_t address);
    bool SetDataSlot(int slot, const DataSlot& data, std::string& problem);
    // Takes every breakpoint out, clears the trace flag and the debug registers, and sets the
    // main thread up to call the program's exit function with code 0.
    KillPlan PrepareKill();
    // The user's breakpoints (flag kBreakUser) as the list shows them, and their record ids.
    std::vector<std::string> BreakpointList() const;
    std::vector<int> BreakpointIds() const;
    // Takes a record out (its byte back when it was the last at its address).
    bool RemoveBreakpoint(int id);
    // The user's line breakpoints as the project keeps them, the waiting ones included.
    std::vector<SavedBreakpoint> UserLines() const;

    // Stepping (stepping.cpp): each prepares the stopped program to move, or says why it cannot;
    // the caller then resumes it.
    StepStart StepInto() { return BeginStep(true); }
    StepStart StepOver() { return BeginStep(false); }
    StepStart StepOut();
    StepStart RunToCursor(const std::string& file, unsigned line);
    // Moves the instruction pointer to the line (of the current function); the line used.
    StepStart SetNextStatement(const std::string& file, unsigned line);
    // The step decision at a single step or a step's breakpoint (the debug thread).
    Reply StepDecision(std::uint32_t thread, Registers& regs, bool first = false);
    // Ends a step: its breakpoints go.
    void ClearStep();
    // The stack base of a thread, from its thread block; 0 when unreadable.
    std::uint64_t StackBaseOf(std::uint32_t thread) const;

    CodeAccess Code() const;

private:
    StepStart BeginStep(bool into);
};

// The name of a DLL from its export directory in the debuggee's memory; the text of a problem
// ("Bad MZ Signature: 0x%x", ...) when it cannot be read.
std::string DllNameFromMemory(const ProcessAccess& process, std::uint64_t base, bool& ok);

}  // namespace tarvo::debugger

// Where a stopped program is and how it got there: a function's line entries and the line of
// an address in it, the return-address test, the walk of the frame-pointer chain, the search
// of the stack for the nearest function with source, and the texts of the call stack, the
// locals, the stack dump and the nearby variables. Everything reads the program through a
// MemoryReader, so it runs the same on scripted memory in the tests.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "debugger/debug_info.h"
#include "debugger/expressions.h"
#include "debugger/registers.h"
#include "debugger/target.h"
#include "debugger/values.h"

namespace tarvo::debugger {

// A value returned by a call that a step went over: the function called and the accumulator.
struct ReturnedValue {
    std::uint64_t function = 0, value = 0;
};

struct LineEntry {
    std::uint64_t address = 0;
    unsigned line = 0;
};

// The entries of the function's source file's line table from the first whose address is at
// or above the function's start, as long as their addresses lie below its end.
struct FunctionLines {
    int module = 0, file = -1;  // the file in the module; -1 when the function has no lines
    std::vector<LineEntry> entries;
    bool Empty() const { return entries.empty(); }
};
FunctionLines LinesOfFunction(const DebugInfo& info, int module, const Function& function);

// The line whose code holds the address: the entry at or before it; from the last entry to the
// function's end, the last line (the epilogue). 0 outside the function or before its first entry.
unsigned LineInFunction(const FunctionLines& lines, const Function& function, std::uint64_t address);
// The line that starts exactly at the address (of several entries at one address, the last
// one's), or 0.
unsigned LineStartingAt(const FunctionLines& lines, std::uint64_t address);

// The return-address test: whether the word W follows a call instruction in the program's
// memory. `target` is the direct call's target, the memory slot of a call through one, or W
// itself for a call through a register; 0 when W is not a return address.
struct ReturnTest {
    bool isReturn = false;
    std::uint64_t target = 0;
};
ReturnTest TestReturnAddress(const Target& target, std::uint64_t word, const MemoryReader& read);

// One frame of a walk. Callers are looked up at their return address less one, so a call on the
// last line of a statement shows that line, not the next.
struct Frame {
    int module = 0;      // 0: outside every module
    int function = -1;   // in the module's functions; -1 none
    std::uint64_t address = 0;       // the instruction pointer, or the return address
    std::uint64_t framePointer = 0;  // of this frame: its locals are reached through it
    std::string file;                // as the debug information names it
    unsigned line = 0;               // 0: unknown
    std::string text;                // the call stack window's line
    std::vector<std::string> arguments;  // its argument lines
};

// The frames from the stopped position outward through the frame-pointer chain. Each next frame
// pointer must lie above the one before and below the stack base; the walk stops after the
// entry function's frame, at a failed read, at a frame outside modules and DLLs, or after
// kMaxFrames frames.
inline constexpr std::size_t kMaxFrames = 256;
std::vector<Frame> WalkStack(const DebugInfo& info, const Target& target, const Registers& regs,
                             const MemoryReader& read, std::uint64_t stackBase, int radix);

// The argument lines of a frame ("    %10s %s %s", or "    %10s" "(void)").
std::vector<std::string> FrameArguments(const DebugInfo& info, const Target& target, int module,
                                        const Function& function, std::uint64_t framePointer,
                                        const MemoryReader& read, int radix);

// The search of the stack for the nearest function with source, whenever the program stops.
struct StackSearch {
    bool found = false;
    int module = 0, function = -1;
    std::uint64_t address = 0;  // the word found: the instruction pointer or a return address
    std::string file;
    unsigned line = 0;
    std::string error;              // a message for the user; empty when none
    std::vector<std::string> log;   // the lines of the event log
};
inline constexpr std::uint64_t kStackSearchLimit = 4096;
StackSearch FindCurrentFunction(const DebugInfo& info, const Target& target, const Registers& regs,
                                const MemoryReader& read, std::uint64_t stackBase);

// The stack dump: 15 words from the stack pointer, "<--ebp-->" before the frame pointer's word.
std::string StackDumpText(const Target& target, const Registers& regs, const MemoryReader& read, int radix);

// The locals window's lines for the function of `ctx` (its frame pointer chosen by the caller):
// empty before the function's debug start.
std::vector<std::string> LocalsText(const EvalContext& ctx, int module, const Function& function,
                                    std::uint64_t instructionPointer);

// The nearby variables: the identifiers of the line before the current one, the line and the two
// after it, each evaluated, then "%s() returns %d (0x%x)" for each returned value.
std::vector<std::string> NearbyVariablesText(const EvalContext& ctx, const FunctionLines& lines, unsigned currentLine,
                                             const std::function<std::string(unsigned line)>& sourceLine,
                                             std::span<const ReturnedValue> returned);

}  // namespace tarvo::debugger

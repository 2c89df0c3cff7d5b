// Code breakpoints: the user's and the engine's own records, over one patch per address. A
// patch keeps the byte the program had there and counts the records that want it, so a second
// record at an address never saves our own 0xCC, and the program's byte goes back only when
// the last record goes.
#pragma once
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace tarvo::debugger {

enum BreakFlags : std::uint32_t {
    kBreakTemporary = 0x0001,      // removed when reached
    kBreakUser = 0x0002,           // the user's: shown in the lists
    kBreakStep = 0x0004,           // a step's own: the step decides when reached; gone when it ends
    kBreakNoSource = 0x0008,       // at an address without source
    kBreakReturnCapture = 0x0010,  // after a call, to collect the result
    kBreakImportThunk = 0x0020,    // the engine performs the thunk's jump itself
    kBreakStepOut = 0x0040,        // continue by single steps once reached
    kBreakEiffel = 0x0080,
    kBreakEiffelReport = 0x0400,
    kBreakFunction = 0x2000,       // placed on a function by name
    kBreakPassCount = 0x4000,
};
// Those that stop the program without showing a source line.
inline constexpr std::uint32_t kBreakNoLineShown = kBreakNoSource | kBreakStepOut | kBreakEiffel;
inline constexpr std::uint8_t kBreakInstruction = 0xCC;

struct Breakpoint {
    int id = 0;
    unsigned line = 0;  // 0: no line
    std::uint64_t address = 0;
    int module = 0;     // 0: outside all modules
    int file = -1;      // in the module
    unsigned passCount = 0;
    std::uint32_t flags = 0;
    std::uint64_t callTarget = 0;  // return capture: the function called, taken when placed
    // Non-zero: a hit with the stack pointer below this is a deeper activation's, passed over.
    std::uint64_t stackPointer = 0;
};

// One byte of the debuggee's code.
struct CodeAccess {
    std::function<bool(std::uint64_t address, std::uint8_t& byte)> read;
    std::function<bool(std::uint64_t address, std::uint8_t byte)> write;
};

class BreakpointTable {
public:
    // Adds the record and arms its address; null (nothing changed) when the code cannot be read
    // or written there.
    Breakpoint* Insert(const CodeAccess& code, Breakpoint record);
    // Removes the record; false when there is none of that id.
    bool Remove(const CodeAccess& code, int id);
    Breakpoint* Find(std::uint64_t address);  // the newest record at the address
    Breakpoint* FindId(int id);
    // The next record at that module and line after `after` (newest first), non-temporary only.
    Breakpoint* FindLine(int module, unsigned line, const Breakpoint* after = nullptr);
    const std::list<Breakpoint>& Records() const { return records_; }
    // Takes the patch out while the program runs the instruction there, and puts it back.
    bool Lift(const CodeAccess& code, std::uint64_t address);
    bool Rearm(const CodeAccess& code, std::uint64_t address);
    bool Patched(std::uint64_t address) const { return patches_.count(address) != 0; }
    // Frees every record whose flags are all clear.
    void RemoveUnflagged(const CodeAccess& code);
    // Frees everything; with code, the program's bytes go back first.
    void Clear(const CodeAccess* code);
    // A DLL went away: its records and patches in [start, end) are dropped without a write (the
    // code is gone; new code may be there). The user's records are returned, to wait for the
    // DLL to come back.
    std::vector<Breakpoint> DropRange(std::uint64_t start, std::uint64_t end);
    // Memory as the program has it: patched bytes in [address, address + size) replaced by
    // their saved bytes.
    void Unpatch(std::uint64_t address, std::span<std::uint8_t> bytes) const;

private:
    struct Patch {
        std::uint8_t saved = 0;
        int count = 0;
        bool lifted = false;
    };
    std::list<Breakpoint> records_;  // newest first
    std::map<std::uint64_t, Patch> patches_;
    int nextId_ = 1;
};

}  // namespace tarvo::debugger
